# Fails when PROGRAM's RUNPATH or RPATH has an entry that depends on the working directory (an
# empty entry or a relative path): the dynamic loader would then load a library of that name from
# wherever the game is started.
#
#   cmake -DREADELF=readelf -DPROGRAM=path/to/kostkolam -P CheckRunpath.cmake
execute_process(COMMAND ${READELF} -d ${PROGRAM}
                OUTPUT_VARIABLE dynamic
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${READELF} could not read ${PROGRAM}")
endif()
string(REGEX MATCHALL "Library (runpath|rpath): \\[[^]\n]*\\]" search_paths "${dynamic}")
foreach(search_path IN LISTS search_paths)
    string(REGEX REPLACE "^Library (runpath|rpath): \\[(.*)\\]$" "\\2" entries "${search_path}")
    # Keep empty entries: turn each ":" into a list separator with a marker on both sides.
    string(REPLACE ":" "|;|" entries "|${entries}|")
    foreach(entry IN LISTS entries)
        string(REPLACE "|" "" entry "${entry}")
        if(NOT entry MATCHES "^(/|\\$ORIGIN)")
            message(FATAL_ERROR "${PROGRAM} searches the working directory for its libraries: "
                                "${search_path}")
        endif()
    endforeach()
endforeach()
message(STATUS "${PROGRAM}: ${search_paths}")
