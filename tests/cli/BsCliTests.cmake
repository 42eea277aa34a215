# orvane-convert bs, end to end.
set(B ${CLI_DATA}/bs)
set(BS_EXAMPLES ${CMAKE_CURRENT_LIST_DIR}/../../examples)
set(bs_columns --site 站名 --lon 经度 --lat 纬度 --azimuth 方向角)

add_cli_test(NAME bs.sample ARGS bs ${BS_EXAMPLES}/bs-table.xlsx @OUT@ ${bs_columns}
             KML ${B}/bs-table.kml STDOUT "导出完成,共导入6行数据.|")
# Entries, letters in either case and a sheet number name the same columns in an .xls.
add_cli_test(NAME bs.sample-xls
             ARGS bs ${BS_EXAMPLES}/bs-table.xls @OUT@ --site A:站名 --lon B --lat c
                  --azimuth=D --sheet 1 --radius 2
             KML ${B}/bs-table.kml)
add_cli_test(NAME bs.beamwidth-metres
             ARGS bs ${B}/bs-cases.xls @OUT@ --sheet 波束宽度 --site A --lon B --lat C --azimuth D
                  --beamwidth E --metres 500
             KML ${B}/beamwidth-metres.kml
             STDOUT "第3行波束宽度 :E:波束宽度无有效值!按45度绘制.|第4行波束宽度 :E:波束宽度无有效值!按45度绘制.|第6行波束宽度 :E:波束宽度无有效值!按45度绘制.|导出完成,共导入3行数据.|")
add_cli_test(NAME bs.skipped-rows ARGS bs ${B}/bs-cases.xlsx @OUT@ --sheet 跳过行 ${bs_columns}
             STDOUT "第3行数据未导入,原因:|  方向角 :D:方向角无有效值!|第5行数据未导入,原因:|  站名 :A:站名无有效值!|第7行数据未导入,原因:|  纬度 :C:纬度无有效值!|导出完成,共导入2行数据.|")

# Stops: nothing is written and an existing file is kept.
add_cli_test(NAME bs.not-integer-azimuth
             ARGS bs ${B}/bs-cases.xlsx @OUT@ --sheet 非整数方向角 ${bs_columns}
             STATUS 1 STDOUT "" STDERR "${B}/bs-cases.xlsx: '120.5' is not a valid integer value" PRESET "kept")
add_cli_test(NAME bs.unknown-column ARGS bs ${B}/bs-cases.xlsx @OUT@ --site 站名 --lon 经度
             --lat 纬度 --azimuth 方位角 STATUS 2 NO_OUTPUT
             )
add_cli_test(NAME bs.unknown-sheet ARGS bs ${B}/bs-cases.xlsx @OUT@ --sheet 99 ${bs_columns}
             STATUS 1 NO_OUTPUT STDERR "${B}/bs-cases.xlsx: The workbook has no sheet \"99\"")
add_cli_test(NAME bs.missing-workbook ARGS bs ${CLI_OUT}/none.xlsx @OUT@ ${bs_columns}
             STATUS 1 NO_OUTPUT STDERR "Cannot open file ${CLI_OUT}/none.xlsx")

# Usage errors are found before any file is opened: the workbook named here does not exist.
set(bs_none ${CLI_OUT}/none.xlsx)
foreach(case
        "missing-azimuth|--site|A|--lon|B|--lat|C"
        "empty-site|--site=|--lon|B|--lat|C|--azimuth|D"
        "radius-0|${bs_columns}|--radius|0"
        "radius-101|${bs_columns}|--radius|101"
        "radius-fraction|${bs_columns}|--radius|1.5"
        "metres-negative|${bs_columns}|--metres|-5"
        "metres-zero|${bs_columns}|--metres|0"
        "metres-text|${bs_columns}|--metres|abc"
        "radius-and-metres|${bs_columns}|--radius|3|--metres|300"
        "unknown-option|${bs_columns}|--theme|X"
        "beamwidth-without-column|${bs_columns}|--beamwidth")
    string(REPLACE "|" ";" words "${case}")
    list(POP_FRONT words name)
    add_cli_test(NAME bs.usage-${name} ARGS bs ${bs_none} @OUT@ ${words} STATUS 2 NO_OUTPUT)
endforeach()
add_cli_test(NAME bs.usage-one-path ARGS bs ${bs_none} ${bs_columns} STATUS 2 NO_OUTPUT)

# KMZ and the standard layout, as for every conversion.
add_cli_test(NAME kmz.bs ARGS bs ${BS_EXAMPLES}/bs-table.xlsx @OUT@ ${bs_columns} KMZ
             KML ${B}/bs-table.kml)
add_cli_test(NAME standard.bs ARGS bs ${BS_EXAMPLES}/bs-table.xlsx @OUT@ ${bs_columns}
             --layout standard SCHEMA OGR "Style = PEN(c:#00FF00FF,w:2")
