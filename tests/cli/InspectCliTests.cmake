# orvane-convert inspect: how workbooks are read, and what a bad one gives.
set(EXAMPLES ${CMAKE_CURRENT_LIST_DIR}/../../examples)
set(WORKBOOKS ${CLI_DATA}/workbooks)

set(cqt_columns "Columns:|  A:测试点|  B:经度|  C:纬度|  D:RxLev|  E:RxQual|  F:通话结果|")
foreach(kind xls xlsx)
    add_cli_test(NAME inspect-cqt-${kind} ARGS inspect ${EXAMPLES}/cqt-table.${kind} NO_OUTPUT
                 STDOUT "Sheets:|  CQT|Sheet: CQT|rowCount: 7|columnCount: 6|${cqt_columns}")
endforeach()

add_cli_test(NAME inspect-cells-by-sheet-name
             ARGS inspect ${WORKBOOKS}/types.xlsx --sheet Offset --cells NO_OUTPUT
             STDOUT "Sheets:|  基站|  Types|  Offset|  Empty|  Wide|Sheet: Offset|rowCount: 6|columnCount: 5|Columns:|  A:|  B:|  C:|  D:|  E:|Cells:|\t\t\t\t|\t\t\t\t|\t\th1\th2\th3|\t\t1\t2\t3|\t\t4\t5\t6|\t\t7\t8\tend|")
add_cli_test(NAME inspect-cells-by-sheet-number
             ARGS inspect ${WORKBOOKS}/table-gbk.txt --sheet=1 --cells NO_OUTPUT
             STDOUT "Sheets:|  table-gbk|Sheet: table-gbk|rowCount: 3|columnCount: 3|Columns:|  A:站名|  B:经度|  C:纬度|Cells:|站名\t经度\t纬度|韶关\t113.5\t24.8|乐昌\t113.35\t25.13|")

add_cli_test(NAME inspect-unknown-sheet ARGS inspect ${EXAMPLES}/bs-table.xlsx --sheet 2
             STATUS 1 NO_OUTPUT STDOUT ""
             STDERR "${EXAMPLES}/bs-table.xlsx: The workbook has no sheet \"2\"")
add_cli_test(NAME inspect-missing-file ARGS inspect ${CLI_OUT}/missing.xls
             STATUS 1 NO_OUTPUT STDOUT "" STDERR "Cannot open file ${CLI_OUT}/missing.xls")
add_cli_test(NAME inspect-renamed-text ARGS inspect ${CMAKE_CURRENT_LIST_DIR}/renamed-text.xls
             STATUS 1 NO_OUTPUT STDOUT ""
             STDERR "Cannot read workbook ${CMAKE_CURRENT_LIST_DIR}/renamed-text.xls: it is not an Excel workbook")
add_cli_test(NAME inspect-no-workbook ARGS inspect STATUS 2 NO_OUTPUT)
