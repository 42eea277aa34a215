# orvane-convert cqt, end to end.
set(C ${CLI_DATA}/cqt)
set(CASES ${CLI_DATA}/workbooks/cqt-cases)
set(cqt_columns --name 测试点 --lon B --lat C:纬度)

# Sheet 等级: its theme column holds an empty cell, so it can only be classified; rows 5 and 6
# are reported; cells such as <5 and A&B are escaped.
add_cli_test(NAME cqt.classes ARGS cqt ${CASES}.xlsx @OUT@ ${cqt_columns} --theme 质量
             KML ${C}/classes.kml
             STDOUT "第5行数据为无效数据,原因:|  专题字段 :D:质量无有效值!|第6行数据为无效数据,原因:|  标识名称 :A:测试点无有效值!|  经度 :B:经度无有效值!|导出完成,共导入4行数据.|")
add_cli_test(NAME cqt.classes.xls ARGS cqt ${CASES}.xls @OUT@ ${cqt_columns} --theme D
             --classify KML ${C}/classes.kml)
# Sheet 分级: RxLev 0, 5, 10, 15, 20 in two ranges 0-10 and 10-20, 20 itself in the second only
# because the right bound is included.
foreach(kind xls xlsx)
    add_cli_test(NAME cqt.grades.${kind}
                 ARGS cqt ${CASES}.${kind} @OUT@ ${cqt_columns} --theme RxLev --sheet 分级
                 --grades 2 --boundary right
                 KML ${C}/grades-right.kml STDOUT "导出完成,共导入5行数据.|")
endforeach()
add_cli_test(NAME cqt.scheme
             ARGS cqt ${CASES}.xlsx @OUT@ ${cqt_columns} --theme D:RxLev --sheet=2
             --scheme RxLev --colcfg ${C}/schemes.col
             KML ${C}/grades-scheme.kml)
add_cli_test(NAME cqt.header-only ARGS cqt ${CASES}.xlsx @OUT@ ${cqt_columns} --theme 质量
             --sheet 表头 KML ${C}/header-only.kml STDOUT "导出完成,共导入0行数据.|")

# Stops with an error: exit 1, an existing output kept.
add_cli_test(NAME cqt.cannot-grade ARGS cqt ${CASES}.xlsx @OUT@ ${cqt_columns} --theme 质量
             --grades 3 STATUS 1 PRESET "kept"
             STDERR "The field 'D:质量' holds values that are no numbers and cannot be graded")
add_cli_test(NAME cqt.unknown-sheet ARGS cqt ${CASES}.xlsx @OUT@ ${cqt_columns} --theme 质量
             --sheet 5 STATUS 1 NO_OUTPUT STDERR "${CASES}.xlsx: The workbook has no sheet \"5\"")
add_cli_test(NAME cqt.missing-workbook ARGS cqt ${C}/none.xlsx @OUT@ ${cqt_columns} --theme D
             STATUS 1 NO_OUTPUT STDERR "Cannot open file ${C}/none.xlsx")
add_cli_test(NAME cqt.cannot-create
             ARGS cqt ${CASES}.xlsx ${CLI_OUT}/no-folder/out.kml ${cqt_columns} --theme D
             STATUS 1 STDERR "Cannot create file ${CLI_OUT}/no-folder/out.kml")
add_cli_test(NAME cqt.unknown-column ARGS cqt ${CASES}.xlsx @OUT@ ${cqt_columns} --theme 速度
             STATUS 2 NO_OUTPUT)

# Usage errors are found before the workbook is opened (it does not exist): exit 2.
set(none ${C}/none.xlsx)
foreach(usage
        "grades-low|--theme|D|--grades|1"
        "grades-high|--theme|D|--grades|101"
        "grades-text|--theme|D|--grades|four"
        "boundary|--theme|D|--boundary|middle"
        "classify-grades|--theme|D|--classify|--grades|3"
        "classify-scheme|--theme|D|--classify|--scheme|RxLev"
        "colcfg-alone|--theme|D|--colcfg|${C}/schemes.col"
        "missing-value|--theme"
        "missing-theme|--sheet|1"
        "unknown-option|--theme|D|--width|3")
    string(REPLACE "|" ";" words "${usage}")
    list(POP_FRONT words name)
    add_cli_test(NAME cqt.usage.${name} ARGS cqt ${none} @OUT@ ${cqt_columns} ${words}
                 STATUS 2 NO_OUTPUT STDOUT "")
endforeach()
add_cli_test(NAME cqt.usage.extra-argument
             ARGS cqt ${none} @OUT@ extra ${cqt_columns} --theme D STATUS 2 NO_OUTPUT)

# KMZ and the standard layout, as for every conversion.
add_cli_test(NAME kmz.cqt ARGS cqt ${CASES}.xlsx @OUT@ ${cqt_columns} --theme 质量 KMZ
             KML ${C}/classes.kml)
add_cli_test(NAME standard.cqt ARGS cqt ${CASES}.xlsx @OUT@ ${cqt_columns} --theme RxLev
             --sheet 分级 --grades 2 --layout standard SCHEMA)
