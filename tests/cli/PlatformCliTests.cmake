# What the system layer does on every system the program is built for (Linux, and Windows
# under Wine): Chinese file names in and out, an .xls read by the child process, a KMZ, and an
# output refused before anything is read.
set(bs_chinese_input ${CLI_OUT}/基站表.xls)
file(COPY_FILE ${CMAKE_CURRENT_LIST_DIR}/../../examples/bs-table.xls ${bs_chinese_input})
add_cli_test(NAME bs.基站 ARGS bs ${bs_chinese_input} @OUT@ --site 站名 --lon 经度 --lat 纬度
             --azimuth 方向角 KMZ KML ${CLI_DATA}/bs/bs-table.kml STDOUT "导出完成,共导入6行数据.|")
file(MAKE_DIRECTORY ${CLI_OUT}/文件夹.kml)
add_cli_test(NAME refused-folder ARGS points ${CLI_DATA}/points/latlon.txt ${CLI_OUT}/文件夹.kml
             STATUS 1 STDOUT ""
             STDERR "Cannot create file ${CLI_OUT}/文件夹.kml: the output file is a folder")
