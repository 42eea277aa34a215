# orvane-convert dt with the serving-cell analysis, end to end.
set(S ${CLI_DATA}/dt)
set(SERVING_EXAMPLES ${CMAKE_CURRENT_LIST_DIR}/../../examples)
set(cell_columns --cells-site 站名 --cells-lon 经度 --cells-lat 纬度 --cells-azimuth 方向角)
set(serving ${S}/serving-route.txt @OUT@ --theme 场强 --grades 3 --cells ${S}/serving-cells.csv
    ${cell_columns} --cells-beamwidth 波束宽度)

# Keys as whole numbers (0101 = 101), samples of keys the table lacks, a crossed-feeder and an
# overshooting cell; the report with its byte-order mark.
add_cli_test(NAME serving.route ARGS dt ${serving} --cell-key CI=CI --report @REPORT@
             KML ${S}/serving.kml CSV ${S}/serving.csv
             STDOUT "生成KML文件开始...|5个采样点的服务小区不在基站表中:X9,999|1个小区疑似天馈接反:101|1个小区越区覆盖:201|生成KML文件完成：${CLI_OUT}/serving.route.kml|小区统计已导出：${CLI_OUT}/serving.route.csv|导出完成.|")
add_cli_test(NAME kmz.serving ARGS dt ${serving} --cell-key CI=CI KMZ KML ${S}/serving.kml)
add_cli_test(NAME standard.serving ARGS dt ${serving} --cell-key CI=CI --layout standard SCHEMA)
# The README's command on the examples calls out one cell of each kind.
add_cli_test(NAME serving.examples
             ARGS dt ${SERVING_EXAMPLES}/dt-route.txt @OUT@ --theme 场强
                  --cells ${SERVING_EXAMPLES}/serving-cells.csv ${cell_columns}
                  --cells-beamwidth 波束宽度 --cell-key 小区=小区 --report @REPORT@
             STDOUT "生成KML文件开始...|1个小区疑似天馈接反:南湖3|1个小区越区覆盖:北区2|生成KML文件完成：${CLI_OUT}/serving.examples.kml|小区统计已导出：${CLI_OUT}/serving.examples.csv|导出完成.|")

# Inputs that stop the conversion once read: status 1, a message naming the file, nothing
# written.
add_cli_test(NAME serving.no-key-column ARGS dt ${serving} --cell-key CI=小区 --report @REPORT@
             STATUS 1 NO_OUTPUT
             STDERR "${S}/serving-cells.csv: no column '小区' in sheet \"serving-cells\" of ${S}/serving-cells.csv")
add_cli_test(NAME serving.no-key-field ARGS dt ${serving} --cell-key 小区=CI --report @REPORT@
             STATUS 1 NO_OUTPUT
             STDERR "no field named '小区' in the header of ${S}/serving-route.txt")
add_cli_test(NAME serving.empty-table
             ARGS dt ${S}/serving-route.txt @OUT@ --theme 场强 --cells ${S}/serving-empty.csv
                  ${cell_columns} --cell-key CI=站名 --report @REPORT@
             STATUS 1 NO_OUTPUT
             STDERR "The cell table ${S}/serving-empty.csv has no row with a cell key, a longitude, a latitude and an azimuth")
add_cli_test(NAME serving.missing-table
             ARGS dt ${S}/serving-route.txt @OUT@ --cells ${CLI_OUT}/none.csv ${cell_columns}
                  --cell-key CI=CI STATUS 1 NO_OUTPUT STDERR "Cannot open file ${CLI_OUT}/none.csv")

# Usage errors are found before any file is opened: neither the log nor the table exists.
set(serving_none ${CLI_OUT}/none.txt @OUT@ --cells ${CLI_OUT}/none.csv ${cell_columns})
foreach(case
        "key-without-cells|${CLI_OUT}/none.txt|@OUT@|--cell-key|CI=CI"
        "report-without-cells|${CLI_OUT}/none.txt|@OUT@|--report|r.csv"
        "no-key|${serving_none}"
        "three-keys|${serving_none}|--cell-key|A=A|--cell-key|B=B|--cell-key|C=C"
        "key-without-column|${serving_none}|--cell-key|CI="
        "key-without-equals|${serving_none}|--cell-key|CI"
        "no-azimuth|${CLI_OUT}/none.txt|@OUT@|--cells|${CLI_OUT}/none.csv|--cells-site|A|--cells-lon|B|--cells-lat|C|--cell-key|CI=CI"
        "rank-0|${serving_none}|--cell-key|CI=CI|--overshoot-rank|0"
        "spacing-negative|${serving_none}|--cell-key|CI=CI|--serving-spacing|-1"
        "report-is-output|${serving_none}|--cell-key|CI=CI|--report|@OUT@")
    string(REPLACE "|" ";" words "${case}")
    list(POP_FRONT words name)
    add_cli_test(NAME serving.usage-${name} ARGS dt ${words} STATUS 2 NO_OUTPUT)
endforeach()
