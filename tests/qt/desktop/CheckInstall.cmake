# Installs the built game into a scratch prefix as `cmake --install` does for a distribution, and
# checks that everything lands where desktops look for it and passes the desktop's validators.
#
#   cmake -DBUILD_DIR=<build> -DWORK_DIR=<scratch> -DDESKTOP_ID=<id> -P CheckInstall.cmake

foreach(var BUILD_DIR WORK_DIR DESKTOP_ID)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "${var} is not set")
    endif()
endforeach()

find_program(DESKTOP_FILE_VALIDATE desktop-file-validate REQUIRED)
find_program(APPSTREAMCLI appstreamcli REQUIRED)

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(expected
    games/kostkolam
    games/kostkolam-script
    share/man/man6/kostkolam.6.gz
    share/man/man1/kostkolam-script.1.gz
    share/doc/kostkolam/copyright
    share/doc/kostkolam/changelog.gz
    share/applications/${DESKTOP_ID}.desktop
    share/metainfo/${DESKTOP_ID}.metainfo.xml
    share/icons/hicolor/scalable/apps/${DESKTOP_ID}.svg)
foreach(size IN ITEMS 16 22 24 32 48 64 128 256)
    list(APPEND expected share/icons/hicolor/${size}x${size}/apps/${DESKTOP_ID}.png)
endforeach()
foreach(file IN LISTS expected)
    if(NOT EXISTS ${prefix}/${file})
        message(SEND_ERROR "not installed: ${file}")
    endif()
endforeach()

# The menu entry starts the installed program by its name, found on the PATH (Debian's PATH holds
# /usr/games).
file(STRINGS ${prefix}/share/applications/${DESKTOP_ID}.desktop exec REGEX "^Exec=")
if(NOT exec STREQUAL "Exec=kostkolam")
    message(SEND_ERROR "the desktop entry starts '${exec}', not the installed games/kostkolam")
endif()
if(EXISTS ${prefix}/bin)
    message(SEND_ERROR "a game installs nothing into bin/")
endif()

execute_process(COMMAND ${DESKTOP_FILE_VALIDATE} ${prefix}/share/applications/${DESKTOP_ID}.desktop
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
# desktop-file-validate reports hints on success too; only an empty report is clean.
if(NOT result EQUAL 0 OR NOT output STREQUAL "")
    message(SEND_ERROR "desktop-file-validate (${result}):\n${output}")
endif()

execute_process(COMMAND ${APPSTREAMCLI} validate --no-net --no-color
                        ${prefix}/share/metainfo/${DESKTOP_ID}.metainfo.xml
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
# A warning or an error fails; so does a failed run. Infos are shown, not judged: an AppStream
# older than the metainfo's form names the newer tags it does not know.
message(STATUS "appstreamcli validate (${result}):\n${output}")
if(NOT result EQUAL 0 OR output MATCHES "(^|\n)[EW]: ")
    message(SEND_ERROR "appstreamcli validate (${result}):\n${output}")
endif()
