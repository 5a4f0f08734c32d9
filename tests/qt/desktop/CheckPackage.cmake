# Builds the Debian package with CPack into a scratch directory and checks what apt would see:
# its name and file name, section, description, computed library dependencies, and the files it
# installs; that its copyright file names every picture the game shows; and, given LINTIAN, that
# Debian's own checker finds nothing in it. Every informational tag the package keeps is
# overridden, with its reason, in data/lintian-overrides; any tag lintian still shows fails.
#
#   cmake -DCPACK=<cpack> -DBUILD_DIR=<build> -DSOURCE_DIR=<source> -DWORK_DIR=<scratch>
#         -DDESKTOP_ID=<id> -DVERSION=<version> [-DLINTIAN=<lintian>] -P CheckPackage.cmake

foreach(var CPACK BUILD_DIR SOURCE_DIR WORK_DIR DESKTOP_ID VERSION)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "${var} is not set")
    endif()
endforeach()

find_program(DPKG_DEB dpkg-deb REQUIRED)
find_program(DPKG dpkg REQUIRED)

file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${CPACK} -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${WORK_DIR}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cpack failed (${result}):\n${output}")
endif()

execute_process(COMMAND ${DPKG} --print-architecture OUTPUT_VARIABLE arch
                OUTPUT_STRIP_TRAILING_WHITESPACE)
set(deb ${WORK_DIR}/kostkolam_${VERSION}_${arch}.deb)
if(NOT EXISTS ${deb})
    file(GLOB built ${WORK_DIR}/*.deb)
    message(FATAL_ERROR "expected ${deb}, cpack wrote: ${built}")
endif()

function(field name out)
    execute_process(COMMAND ${DPKG_DEB} --field ${deb} ${name} OUTPUT_VARIABLE value
                    OUTPUT_STRIP_TRAILING_WHITESPACE)
    set(${out} "${value}" PARENT_SCOPE)
endfunction()

field(Package package)
field(Section section)
field(Priority priority)
field(Description description)
field(Maintainer maintainer)
field(Depends depends)
message(STATUS "Depends: ${depends}")
if(NOT package STREQUAL "kostkolam")
    message(SEND_ERROR "Package: ${package}")
endif()
if(NOT section STREQUAL "games")
    message(SEND_ERROR "Section: ${section}")
endif()
if(NOT priority STREQUAL "optional")
    message(SEND_ERROR "Priority: ${priority}")
endif()
# A one-line summary that mentions Czech, and a long description below it.
if(NOT description MATCHES "^[^\n]*Czech[^\n]*\n .*kostkolam-script")
    message(SEND_ERROR "Description lacks its summary or its long description: ${description}")
endif()
if(maintainer STREQUAL "")
    message(SEND_ERROR "no Maintainer")
endif()
# dpkg-shlibdeps found the libraries the game links, with their versions: the package depends on
# whichever package holds each of them on this system, under whatever name the release gives it
# (Debian 13 renamed many libraries for its 64-bit time_t, libqt6core6 to libqt6core6t64).
set(game ${BUILD_DIR}/src/app/kostkolam)
find_program(READELF readelf REQUIRED)
find_program(LDD ldd REQUIRED)
execute_process(COMMAND ${READELF} --dynamic ${game} OUTPUT_VARIABLE dynamic RESULT_VARIABLE result)
execute_process(COMMAND ${LDD} ${game} OUTPUT_VARIABLE resolved)
string(REGEX MATCHALL "\\(NEEDED\\)[^[]*\\[[^]]+\\]" needed "${dynamic}")
set(qt_seen FALSE)
foreach(entry IN LISTS needed)
    string(REGEX REPLACE ".*\\[([^]]+)\\]" "\\1" soname "${entry}")
    string(REPLACE "+" "\\+" soname_pattern "${soname}")
    if(NOT resolved MATCHES "${soname_pattern} => ([^ ]+) ")
        message(SEND_ERROR "the loader does not find ${soname}:\n${resolved}")
        continue()
    endif()
    set(path ${CMAKE_MATCH_1})
    # dpkg records a merged /usr's libraries under either of their two names.
    string(REGEX REPLACE "^/usr/" "/" other "${path}")
    if(other STREQUAL path)
        set(other /usr${path})
    endif()
    execute_process(COMMAND ${DPKG} --search ${path} OUTPUT_VARIABLE owner RESULT_VARIABLE result
                    ERROR_QUIET)
    if(NOT result EQUAL 0)
        execute_process(COMMAND ${DPKG} --search ${other} OUTPUT_VARIABLE owner
                        RESULT_VARIABLE result ERROR_QUIET)
    endif()
    if(NOT result EQUAL 0)
        message(SEND_ERROR "no installed package holds ${path}")
        continue()
    endif()
    string(REGEX REPLACE ":.*" "" owner "${owner}")
    string(REPLACE "+" "\\+" owner_pattern "${owner}")
    # Qt's libraries say which version of theirs the game needs; a library without a symbols
    # file (libglx0, linked directly by a build without --as-needed) may be named bare.
    if(soname MATCHES "^libQt6")
        set(version_pattern " \\(>= [^)]+\\)")
    else()
        set(version_pattern "( \\([^)]+\\))?")
    endif()
    if(NOT depends MATCHES "(^|, )${owner_pattern}${version_pattern}(,|$)")
        message(SEND_ERROR "Depends lacks ${owner}, which holds ${soname}: ${depends}")
    endif()
    if(soname MATCHES "^libQt6Widgets")
        set(qt_seen TRUE)
    endif()
endforeach()
if(NOT qt_seen)
    message(SEND_ERROR "the game links no Qt Widgets library:\n${dynamic}")
endif()

execute_process(COMMAND ${DPKG_DEB} --contents ${deb} OUTPUT_VARIABLE contents)
foreach(file IN ITEMS
        ./usr/games/kostkolam
        ./usr/games/kostkolam-script
        ./usr/share/man/man6/kostkolam.6.gz
        ./usr/share/man/man1/kostkolam-script.1.gz
        ./usr/share/doc/kostkolam/copyright
        ./usr/share/doc/kostkolam/changelog.gz
        ./usr/share/lintian/overrides/kostkolam
        ./usr/share/applications/${DESKTOP_ID}.desktop
        ./usr/share/metainfo/${DESKTOP_ID}.metainfo.xml
        ./usr/share/icons/hicolor/48x48/apps/${DESKTOP_ID}.png
        ./usr/share/icons/hicolor/scalable/apps/${DESKTOP_ID}.svg)
    string(REPLACE "+" "\\+" pattern "${file}")
    if(NOT contents MATCHES " ${pattern}\n")
        message(SEND_ERROR "the package does not install ${file}")
    endif()
endforeach()
# Nothing of the build or the tests travels with the game, and a game has nothing in /usr/bin.
if(contents MATCHES "/usr/(include|lib|bin)/|_tests|fuzz")
    message(SEND_ERROR "the package carries more than the game:\n${contents}")
endif()

# The copyright file accounts for every picture built into the game.
set(unpacked ${WORK_DIR}/unpacked)
execute_process(COMMAND ${DPKG_DEB} -x ${deb} ${unpacked} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "dpkg-deb -x failed: ${result}")
endif()
file(READ ${unpacked}/usr/share/doc/kostkolam/copyright copyright)
file(GLOB pictures RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/assets/*.jpg ${SOURCE_DIR}/assets/*.bmp
     ${SOURCE_DIR}/assets/*.png ${SOURCE_DIR}/assets/*.svg ${SOURCE_DIR}/assets/*.ttf
     ${SOURCE_DIR}/assets/*.otf)
if(pictures STREQUAL "")
    message(SEND_ERROR "no pictures found under ${SOURCE_DIR}/assets")
endif()
foreach(picture IN LISTS pictures)
    string(FIND "${copyright}" "${picture}" at)
    if(at EQUAL -1)
        message(SEND_ERROR "the copyright file does not cover ${picture}")
    endif()
endforeach()
if(NOT copyright MATCHES "^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n")
    message(SEND_ERROR "the copyright file is not in the machine-readable format")
endif()

if(DEFINED LINTIAN)
    # --fail-on makes any error, warning, informational or pedantic tag that is not overridden
    # fail the run; experimental tags are shown too and fail it as well.
    execute_process(COMMAND ${LINTIAN} --fail-on error,warning,info,pedantic --display-info --pedantic
                            --display-experimental ${deb}
                    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
    message(STATUS "lintian (${result}):\n${output}")
    if(NOT result EQUAL 0 OR output MATCHES "(^|\n)[EWIPX]: ")
        message(SEND_ERROR "lintian finds fault with the package (${result}):\n${output}${errors}")
    endif()
endif()
