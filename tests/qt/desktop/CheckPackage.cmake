# Builds the Debian package with CPack into a scratch directory and checks what apt would see:
# its name and file name, section, computed library dependencies, and the files it installs.
#
#   cmake -DCPACK=<cpack> -DBUILD_DIR=<build> -DWORK_DIR=<scratch> -DDESKTOP_ID=<id>
#         -DVERSION=<version> -P CheckPackage.cmake

foreach(var CPACK BUILD_DIR WORK_DIR DESKTOP_ID VERSION)
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
if(NOT description MATCHES "Czech" OR description MATCHES "\n")
    message(SEND_ERROR "Description is not one line mentioning Czech: ${description}")
endif()
if(maintainer STREQUAL "")
    message(SEND_ERROR "no Maintainer")
endif()
# dpkg-shlibdeps found the libraries the program links, with their versions.
foreach(library IN ITEMS libqt6widgets6 libqt6gui6 libqt6core6 libstdc\\+\\+6 libc6)
    if(NOT depends MATCHES "(^|, )${library} \\(>= [^)]+\\)")
        message(SEND_ERROR "Depends lacks ${library}: ${depends}")
    endif()
endforeach()

execute_process(COMMAND ${DPKG_DEB} --contents ${deb} OUTPUT_VARIABLE contents)
foreach(file IN ITEMS
        ./usr/bin/kostkolam
        ./usr/share/applications/${DESKTOP_ID}.desktop
        ./usr/share/metainfo/${DESKTOP_ID}.metainfo.xml
        ./usr/share/icons/hicolor/48x48/apps/${DESKTOP_ID}.png
        ./usr/share/icons/hicolor/scalable/apps/${DESKTOP_ID}.svg)
    string(REPLACE "+" "\\+" pattern "${file}")
    if(NOT contents MATCHES " ${pattern}\n")
        message(SEND_ERROR "the package does not install ${file}")
    endif()
endforeach()
# Nothing of the build or the tests travels with the game.
if(contents MATCHES "/usr/(include|lib)/|_tests|kostkolam-script")
    message(SEND_ERROR "the package carries more than the game:\n${contents}")
endif()
