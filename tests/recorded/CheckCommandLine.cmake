# The game's command line: --help and --version on standard output, a wrong option or argument
# with the usage on standard error and status 2, no display in one line with status 1, and the
# files of --record and --replay checked before any window opens.
#   cmake -DGAME=... -DWORK_DIR=... -P CheckCommandLine.cmake

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
file(WRITE "${WORK_DIR}/bad.txt" "advance 10\nmenu frmCihlolam mnuNovahra\nwait 3\n")

# Runs the game with a display that is not there (or none) and checks its status and output.
function(check name status stdout_regex stderr_regex)
    execute_process(
        COMMAND ${CMAKE_COMMAND} -E env --unset=QT_QPA_PLATFORM --unset=WAYLAND_DISPLAY ${ARGN}
        RESULT_VARIABLE actual_status
        OUTPUT_VARIABLE out
        ERROR_VARIABLE err
        TIMEOUT 30)
    if(NOT actual_status STREQUAL status)
        message(SEND_ERROR "${name}: status ${actual_status}, expected ${status}\n${out}${err}")
    endif()
    if(NOT out MATCHES "${stdout_regex}")
        message(SEND_ERROR "${name}: standard output does not match '${stdout_regex}':\n${out}")
    endif()
    if(NOT err MATCHES "${stderr_regex}")
        message(SEND_ERROR "${name}: standard error does not match '${stderr_regex}':\n${err}")
    endif()
endfunction()

set(usage "Usage: kostkolam \\[options\\]\n.*--record <FILE>.*--replay <FILE>")
check("--help" 0 "^${usage}" "^$" DISPLAY= "${GAME}" --help)
check("-h" 0 "^${usage}" "^$" DISPLAY= "${GAME}" -h)
check("--version" 0 "^kostkolam [0-9]+\\.[0-9]+\\.[0-9]+\n$" "^$" DISPLAY= "${GAME}" --version)
check("unknown option" 2 "^$" "^kostkolam: Unknown option 'fast'\\.\n${usage}" DISPLAY=
      "${GAME}" --fast)
check("an argument" 2 "^$" "^kostkolam: unexpected argument 'level3'\\.\n${usage}" DISPLAY=
      "${GAME}" level3)
check("--record without FILE" 2 "^$" "Missing value after '--record'" DISPLAY= "${GAME}" --record)
check("both" 2 "^$" "cannot go together" DISPLAY= "${GAME}" --record a --replay b)
# Qt's own options still reach Qt.
check("no display" 1 "^$" "^kostkolam: no display to show the game on \\(DISPLAY is not set\\)\n$"
      DISPLAY= "${GAME}")
check("a display nobody serves" 1 "^$" "^kostkolam: cannot open the display :987\n$"
      DISPLAY=:987 "${GAME}" -platform xcb)
check("--replay of a file not there" 1 "^$" "^kostkolam: cannot read ${WORK_DIR}/none.txt\n$"
      DISPLAY= "${GAME}" --replay "${WORK_DIR}/none.txt")
check("--replay of no scenario" 2 "^$"
      "^kostkolam: ${WORK_DIR}/bad.txt: line 3: unknown command 'wait'\n$" DISPLAY= "${GAME}"
      --replay "${WORK_DIR}/bad.txt")
# The offscreen platform needs no display; a recording that cannot be written stops the game.
check("--record into a folder not there" 1 "^$" "^kostkolam: cannot write ${WORK_DIR}/no/game.txt: "
      QT_QPA_PLATFORM=offscreen DISPLAY= "${GAME}" --record "${WORK_DIR}/no/game.txt")
