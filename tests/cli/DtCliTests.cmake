# orvane-convert dt, end to end.
set(D ${CLI_DATA}/dt)

add_cli_test(NAME dt.classes ARGS dt ${D}/route-gbk.txt @OUT@ --theme 小区
             KML ${D}/route-classes.kml
             STDOUT "生成KML文件开始...|生成KML文件完成：${CLI_OUT}/dt.classes.kml|导出完成.|")
add_cli_test(NAME dt.grades.gbk
             ARGS dt ${D}/route-gbk.txt @OUT@ --theme 场强 --grades 3 --boundary both --width 3
             KML ${D}/route-grades.kml)
add_cli_test(NAME dt.grades.utf8
             ARGS dt ${D}/route-utf8.txt @OUT@ --theme=场强 --grades=3 --boundary=both --width=3
             KML ${D}/route-grades.kml)
add_cli_test(NAME dt.header-only ARGS dt ${D}/header-only.txt @OUT@ --theme 场强
             KML ${D}/header-only.kml)
add_cli_test(NAME dt.field-ignoring-case ARGS dt ${D}/bad-coordinate.txt @OUT@ --theme cell
             --lat LAT STATUS 1 STDERR "${D}/bad-coordinate.txt: '25,0' is not a valid floating point value"
             PRESET "kept")
add_cli_test(NAME dt.unknown-field ARGS dt ${D}/route-gbk.txt @OUT@ --theme 速度 STATUS 2
             NO_OUTPUT)
add_cli_test(NAME dt.neither-legend ARGS dt ${D}/route-gbk.txt @OUT@ STATUS 1 NO_OUTPUT
             STDERR "The field '时间' can be neither classified (more than 16 distinct values) nor graded (values that are no numbers)")
add_cli_test(NAME dt.classify-too-many ARGS dt ${D}/route-gbk.txt @OUT@ --theme 场强 --classify
             STATUS 1 NO_OUTPUT)
add_cli_test(NAME dt.missing ARGS dt ${D}/none.txt @OUT@ STATUS 1
             STDERR "Cannot open file ${D}/none.txt" NO_OUTPUT)
add_cli_test(NAME dt.bad-width ARGS dt ${D}/route-gbk.txt @OUT@ --width 11 STATUS 2 NO_OUTPUT)
add_cli_test(NAME dt.missing-scheme
             ARGS dt ${D}/route-gbk.txt @OUT@ --theme 场强 --scheme 无 --colcfg ${D}/none.col
             STATUS 1 STDERR "Cannot open file ${D}/none.col" NO_OUTPUT)
