# Runs orvane-convert once and checks what it did. Variables:
#   PROGRAM, EMULATOR (what runs it, such as Wine, or empty), ARGS (words separated by "|"),
#   OUTPUT (the KML path the command writes),
#   EXPECT_STATUS, EXPECT_KML (file the output must equal byte for byte, or empty),
#   EXPECT_STDOUT (exact standard output, "|" for line breaks, or unset),
#   EXPECT_STDERR (exact standard error, or unset), EXPECT_NO_OUTPUT (ON: no file at OUTPUT),
#   PRESET_OUTPUT (text written to OUTPUT before the run; it must survive a failed run),
#   SCHEMA (the OGC KML 2.2 schema the KML must validate against, or unset),
#   EXPECT_OGR (texts separated by "|" that ogrinfo's LIBKML report of OUTPUT must hold),
#   REPORT (a second output, CSV) and EXPECT_CSV (the file it must equal byte for byte),
#   EXPECT_GPKG (texts that ogrinfo must report for OUTPUT turned into a GeoPackage),
#   EXPECT_ENTRIES (the entries of a .kmz archive, separated by "|"),
#   EXPECT_BESIDE (files, separated by "|", that the run must write beside OUTPUT),
#   TOGEOJSON, NODE_MODULES, TOGEOJSON_SCRIPT (the property every resolved style gives).
# A .kmz OUTPUT must be a zip archive holding EXPECT_ENTRIES, doc.kml first; its doc.kml is
# the KML checked.
string(REPLACE "|" ";" arguments "${ARGS}")
file(REMOVE "${OUTPUT}")
string(REPLACE "|" ";" beside "${EXPECT_BESIDE}")
get_filename_component(output_folder "${OUTPUT}" DIRECTORY)
list(TRANSFORM beside PREPEND "${output_folder}/")
if(beside)
    file(REMOVE ${beside})
endif()
if(DEFINED REPORT)
    file(REMOVE "${REPORT}")
endif()
if(DEFINED PRESET_OUTPUT)
    file(WRITE "${OUTPUT}" "${PRESET_OUTPUT}")
endif()
execute_process(
    COMMAND ${EMULATOR} "${PROGRAM}" ${arguments}
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
set(kml "${OUTPUT}")
if(OUTPUT MATCHES "\\.kmz$" AND EXPECT_STATUS EQUAL 0)
    execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf "${OUTPUT}" OUTPUT_VARIABLE entries
                    RESULT_VARIABLE unreadable)
    string(REPLACE "|" "\n" expected_entries "${EXPECT_ENTRIES}\n")
    if(unreadable OR NOT entries STREQUAL expected_entries)
        message(FATAL_ERROR "${OUTPUT} holds '${entries}', expected '${expected_entries}'")
    endif()
    set(unpacked "${OUTPUT}.unpacked")
    file(REMOVE_RECURSE "${unpacked}")
    file(MAKE_DIRECTORY "${unpacked}")
    execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf "${OUTPUT}" WORKING_DIRECTORY "${unpacked}")
    set(kml "${unpacked}/doc.kml")
endif()
foreach(file IN LISTS beside)
    if(NOT EXISTS "${file}")
        message(FATAL_ERROR "${file} was not written beside ${OUTPUT}")
    endif()
endforeach()
if(EXPECT_KML)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${kml}" "${EXPECT_KML}"
                    RESULT_VARIABLE different)
    if(different)
        message(FATAL_ERROR "${kml} differs from ${EXPECT_KML}")
    endif()
endif()
if(DEFINED SCHEMA)
    execute_process(COMMAND xmllint --noout --schema "${SCHEMA}" "${kml}"
                    RESULT_VARIABLE invalid ERROR_VARIABLE report)
    if(NOT invalid EQUAL 0)
        message(FATAL_ERROR "${kml} does not validate against ${SCHEMA} (xmllint from "
                            "libxml2-utils, the schema from python3-mapproxy):\n${report}")
    endif()
endif()
if(EXPECT_OGR)
    execute_process(COMMAND ogrinfo --config OGR_SKIP KML --config LIBKML_RESOLVE_STYLE YES
                            -al "${OUTPUT}"
                    OUTPUT_VARIABLE report ERROR_VARIABLE errors RESULT_VARIABLE failed)
    string(REPLACE "|" ";" expected_texts "${EXPECT_OGR}")
    foreach(text IN LISTS expected_texts)
        string(FIND "${report}" "${text}" at)
        if(failed OR at EQUAL -1)
            message(FATAL_ERROR "ogrinfo (LIBKML) does not report '${text}' for ${OUTPUT}:\n"
                                "${report}${errors}")
        endif()
    endforeach()
endif()
if(EXPECT_GPKG)
    set(gpkg "${OUTPUT}.gpkg")
    file(REMOVE "${gpkg}")
    execute_process(COMMAND ogr2ogr --config OGR_SKIP KML -f GPKG "${gpkg}" "${OUTPUT}"
                    RESULT_VARIABLE failed ERROR_VARIABLE errors)
    if(failed)
        message(FATAL_ERROR "ogr2ogr -f GPKG failed for ${OUTPUT}:\n${errors}")
    endif()
    execute_process(COMMAND ogrinfo -so -al "${gpkg}" OUTPUT_VARIABLE report)
    string(REPLACE "|" ";" expected_texts "${EXPECT_GPKG}")
    foreach(text IN LISTS expected_texts)
        string(FIND "${report}" "${text}" at)
        if(at EQUAL -1)
            message(FATAL_ERROR "ogrinfo does not report '${text}' for ${gpkg}:\n${report}")
        endif()
    endforeach()
endif()
if(DEFINED TOGEOJSON)
    execute_process(COMMAND node "${TOGEOJSON_SCRIPT}" "${NODE_MODULES}" "${kml}" "${TOGEOJSON}"
                    OUTPUT_VARIABLE report ERROR_VARIABLE errors RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "togeojson left styles of ${kml} unresolved:\n${report}${errors}")
    endif()
endif()
if(DEFINED EXPECT_CSV)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${REPORT}" "${EXPECT_CSV}"
                    RESULT_VARIABLE different)
    if(different)
        message(FATAL_ERROR "${REPORT} differs from ${EXPECT_CSV}")
    endif()
endif()
if(EXPECT_NO_OUTPUT AND DEFINED REPORT AND EXISTS "${REPORT}")
    message(FATAL_ERROR "${REPORT} was written although the conversion failed")
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
