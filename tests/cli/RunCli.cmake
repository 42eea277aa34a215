# Runs orvane-convert once and checks what it did. Variables:
#   PROGRAM, ARGS (words separated by "|"), OUTPUT (the KML path the command writes),
#   EXPECT_STATUS, EXPECT_KML (file the output must equal byte for byte, or empty),
#   EXPECT_STDOUT (exact standard output, "|" for line breaks, or unset),
#   EXPECT_STDERR (exact standard error, or unset), EXPECT_NO_OUTPUT (ON: no file at OUTPUT),
#   PRESET_OUTPUT (text written to OUTPUT before the run; it must survive a failed run).
string(REPLACE "|" ";" arguments "${ARGS}")
file(REMOVE "${OUTPUT}")
if(DEFINED PRESET_OUTPUT)
    file(WRITE "${OUTPUT}" "${PRESET_OUTPUT}")
endif()
execute_process(
    COMMAND "${PROGRAM}" ${arguments}
    RESULT_VARIABLE status
    OUTPUT_VARIABLE stdout
    ERROR_VARIABLE stderr)
if(NOT status EQUAL EXPECT_STATUS)
    message(FATAL_ERROR "exit status ${status}, expected ${EXPECT_STATUS}\nstdout: ${stdout}\nstderr: ${stderr}")
endif()
if(DEFINED EXPECT_STDOUT)
    string(REPLACE "|" "\n" expected_stdout "${EXPECT_STDOUT}")
    if(NOT stdout STREQUAL expected_stdout)
        message(FATAL_ERROR "standard output:\n${stdout}\nexpected:\n${expected_stdout}")
    endif()
endif()
if(DEFINED EXPECT_STDERR)
    if(NOT stderr STREQUAL "${EXPECT_STDERR}\n")
        message(FATAL_ERROR "standard error:\n${stderr}\nexpected:\n${EXPECT_STDERR}")
    endif()
endif()
if(EXPECT_KML)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${OUTPUT}" "${EXPECT_KML}"
                    RESULT_VARIABLE different)
    if(different)
        message(FATAL_ERROR "${OUTPUT} differs from ${EXPECT_KML}")
    endif()
endif()
if(EXPECT_NO_OUTPUT AND EXISTS "${OUTPUT}")
    message(FATAL_ERROR "${OUTPUT} was written although the conversion failed")
endif()
if(DEFINED PRESET_OUTPUT)
    file(READ "${OUTPUT}" kept)
    if(NOT kept STREQUAL PRESET_OUTPUT)
        message(FATAL_ERROR "the existing ${OUTPUT} was changed by a failed conversion")
    endif()
endif()
