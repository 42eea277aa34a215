# add_cli_test(NAME name ARGS word... [STATUS n] [KML expected-file] [STDOUT text]
#              [STDERR text] [NO_OUTPUT] [PRESET text] [KMZ] [SCHEMA] [OGR text...]
#              [CSV expected-file] [ENTRIES name...] [GPKG text...] [TOGEOJSON property]
#              [BESIDE name...])
# The word @REPORT@ in ARGS stands for a second output, a CSV file compared with CSV (and
# absent after a run with NO_OUTPUT).
# The word @OUT@ in ARGS stands for the output path of the test: a .kmz path with KMZ, whose
# archive must then hold only doc.kml (or the ENTRIES named), compared with KML. SCHEMA
# validates the KML against the OGC KML 2.2 schema (xmllint); OGR lists texts that GDAL's
# LIBKML driver must report for the output, styles resolved; GPKG texts that ogrinfo must
# report for the output turned into a GeoPackage by ogr2ogr. BESIDE names files the run must
# write beside the output. TOGEOJSON converts the KML with togeojson (npm, installed by the
# test cli.setup.togeojson) and requires every feature's style to resolve to properties that
# include `property`.
set(CLI_DATA ${CMAKE_CURRENT_LIST_DIR}/../data)
set(CLI_OUT ${CMAKE_CURRENT_BINARY_DIR}/cli-out)
file(MAKE_DIRECTORY ${CLI_OUT})
# The official schema files ship with Debian's python3-mapproxy (scripts/install-deps.sh).
set(KML22_SCHEMA /usr/share/python3-mapproxy/test/schemas/kml/2.2.0/ogckml22.xsd)

function(add_cli_test)
    cmake_parse_arguments(T "NO_OUTPUT;KMZ;SCHEMA"
                          "NAME;STATUS;KML;STDOUT;STDERR;PRESET;CSV;TOGEOJSON"
                          "ARGS;OGR;ENTRIES;GPKG;BESIDE" ${ARGN})
    if(NOT DEFINED T_STATUS)
        set(T_STATUS 0)
    endif()
    set(output ${CLI_OUT}/${T_NAME}.kml)
    if(T_KMZ)
        set(output ${CLI_OUT}/${T_NAME}.kmz)
    endif()
    list(TRANSFORM T_ARGS REPLACE "@OUT@" "${output}")
    set(report ${CLI_OUT}/${T_NAME}.csv)
    list(TRANSFORM T_ARGS REPLACE "@REPORT@" "${report}")
    list(JOIN T_ARGS "|" joined)
    list(JOIN T_OGR "|" ogr)
    list(JOIN T_GPKG "|" gpkg)
    if(NOT T_ENTRIES)
        set(T_ENTRIES doc.kml)
    endif()
    list(JOIN T_ENTRIES "|" entries)
    list(JOIN T_BESIDE "|" beside)
    set(defines -DPROGRAM=$<TARGET_FILE:orvane-convert> "-DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}"
        "-DARGS=${joined}" -DOUTPUT=${output}
        -DEXPECT_STATUS=${T_STATUS} -DEXPECT_NO_OUTPUT=${T_NO_OUTPUT} "-DEXPECT_OGR=${ogr}"
        "-DEXPECT_GPKG=${gpkg}" "-DEXPECT_ENTRIES=${entries}" "-DEXPECT_BESIDE=${beside}")
    if(T_TOGEOJSON)
        list(APPEND defines -DTOGEOJSON=${T_TOGEOJSON} -DNODE_MODULES=${TOGEOJSON_MODULES}
             -DTOGEOJSON_SCRIPT=${CMAKE_CURRENT_LIST_DIR}/togeojson-styles.cjs)
    endif()
    if(T_SCHEMA)
        list(APPEND defines -DSCHEMA=${KML22_SCHEMA})
    endif()
    if(T_KML)
        list(APPEND defines -DEXPECT_KML=${T_KML})
    endif()
    if(T_CSV)
        list(APPEND defines -DEXPECT_CSV=${T_CSV})
    endif()
    if("@REPORT@" IN_LIST ARGN)
        list(APPEND defines -DREPORT=${report})
    endif()
    if(DEFINED T_STDOUT)
        list(APPEND defines "-DEXPECT_STDOUT=${T_STDOUT}")
    endif()
    if(DEFINED T_STDERR)
        list(APPEND defines "-DEXPECT_STDERR=${T_STDERR}")
    endif()
    if(DEFINED T_PRESET)
        list(APPEND defines "-DPRESET_OUTPUT=${T_PRESET}")
    endif()
    add_test(NAME cli.${T_NAME}
             COMMAND ${CMAKE_COMMAND} ${defines} -P ${CMAKE_CURRENT_LIST_DIR}/RunCli.cmake)
    set_tests_properties(cli.${T_NAME} PROPERTIES LABELS "cli;core")
    if(T_TOGEOJSON)
        set_tests_properties(cli.${T_NAME} PROPERTIES FIXTURES_REQUIRED togeojson)
    endif()
endfunction()

# togeojson, the converter web maps use, from npm (pinned), into the build folder once.
set(TOGEOJSON_PREFIX ${CMAKE_CURRENT_BINARY_DIR}/togeojson)
set(TOGEOJSON_MODULES ${TOGEOJSON_PREFIX}/node_modules)
add_test(NAME cli.setup.togeojson
         COMMAND sh -c "test -d '${TOGEOJSON_MODULES}/@tmcw/togeojson' || npm install --silent --no-audit --no-fund --prefix '${TOGEOJSON_PREFIX}' @tmcw/togeojson@7.1.4 @xmldom/xmldom@0.9.12")
set_tests_properties(cli.setup.togeojson PROPERTIES FIXTURES_SETUP togeojson LABELS cli TIMEOUT 300)

include(${CMAKE_CURRENT_LIST_DIR}/PointsMifCliTests.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/DtCliTests.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/InspectCliTests.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/InputsCliTests.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/OutputCliTests.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/BsCliTests.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/CqtCliTests.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/PlatformCliTests.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/ServingCliTests.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/GisCliTests.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/LegendCliTests.cmake)
