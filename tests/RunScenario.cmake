# Runs one scenario through kostkolam-script and compares what it prints, byte for byte, with the
# expected output beside it. A scenario with the line "# expect-exit: N" must end with status N; one
# with the line "# expect-error: TEXT" must print exactly TEXT and a line feed on standard error.
#   cmake -DRUNNER=... -DSCENARIO=path/NAME.txt -P RunScenario.cmake
# RUNNER is the program, or a list of the program and its first arguments (node and the script).

string(REGEX REPLACE "\\.txt$" ".expected" expected_file "${SCENARIO}")
file(READ "${SCENARIO}" script)
set(expected_exit 0)
if(script MATCHES "(^|\n)# expect-exit: ([0-9]+)")
    set(expected_exit "${CMAKE_MATCH_2}")
endif()
unset(expected_error)
if(script MATCHES "(^|\n)# expect-error: ([^\n]*)")
    set(expected_error "${CMAKE_MATCH_2}\n")
endif()

execute_process(
    COMMAND ${RUNNER}
    INPUT_FILE "${SCENARIO}"
    OUTPUT_VARIABLE actual
    ERROR_VARIABLE errors
    RESULT_VARIABLE status)
file(READ "${expected_file}" expected)

if(DEFINED expected_error AND NOT errors STREQUAL expected_error)
    message(FATAL_ERROR "standard error differs:\nexpected: ${expected_error}actual:   ${errors}")
endif()

if(NOT status STREQUAL expected_exit)
    message(FATAL_ERROR "exit status ${status}, expected ${expected_exit}\n${errors}")
endif()
if(NOT actual STREQUAL expected)
    string(RANDOM LENGTH 8 tag)
    set(actual_file "${CMAKE_CURRENT_BINARY_DIR}/scenario-${tag}.actual")
    file(WRITE "${actual_file}" "${actual}")
    execute_process(COMMAND diff -u "${expected_file}" "${actual_file}" OUTPUT_VARIABLE difference)
    message(FATAL_ERROR "output differs from ${expected_file}:\n${difference}${errors}")
endif()
