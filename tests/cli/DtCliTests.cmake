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

# Time and samples: a log of times of day that passes midnight, with an empty field name, a
# field beyond the header and texts to escape. Lines span their records' times; a sample every
# 25 m carries its record as Data and in its balloon.
set(timed ${D}/timed-route.txt @OUT@ --theme 场强 --grades 3 --time 时间 --date 2026-12-31)
add_cli_test(NAME dt.time-samples ARGS dt ${timed} --samples 25 KML ${D}/timed-samples.kml)
add_cli_test(NAME dt.time-without-date ARGS dt ${D}/timed-route.txt @OUT@ --theme 场强 --time 时间
             STATUS 1 PRESET "kept"
             STDERR "${D}/timed-route.txt: '23:59:52' on line 2 is not a valid time (YYYY-MM-DD HH:MM:SS, YYYY/MM/DD HH:MM:SS, or HH:MM:SS with the log's date)")
add_cli_test(NAME usage.dt.date-without-time ARGS dt ${D}/timed-route.txt @OUT@ --date 2026-12-31
             STATUS 2 NO_OUTPUT)
add_cli_test(NAME usage.dt.samples ARGS dt ${D}/timed-route.txt @OUT@ --samples 0 STATUS 2
             NO_OUTPUT)
# Every combination with legend folders and merged lines is valid KML 2.2; GIS programs read
# the samples' fields by their names and types, and the times (GDAL 3.6 reads no fields of
# folders inside a .kmz, ours or others').
set(with_time "")
set(with_samples --samples 10)
set(with_utc --samples 10 --utc-offset +08:00)
foreach(options IN ITEMS time samples utc)
    foreach(grouping IN ITEMS plain legend-folders merge-lines)
        set(words ${with_${options}})
        if(NOT grouping STREQUAL "plain")
            list(APPEND words --${grouping})
        endif()
        add_cli_test(NAME standard.dt.${options}.${grouping} ARGS dt ${timed} ${words}
                     --layout standard SCHEMA)
    endforeach()
endforeach()
add_cli_test(NAME kmz.dt.time-samples ARGS dt ${timed} ${with_utc} --layout standard
             KMZ ENTRIES doc.kml files/orvane-dot.png SCHEMA)
add_cli_test(NAME gis.dt.time-samples ARGS dt ${timed} ${with_utc} --merge-lines --layout standard
             OGR "begin (DateTime) = 2026/12/31 15:59:52+00" "end (DateTime) = 2026/12/31 16:00:10+00"
                 "timestamp (DateTime) = 2026/12/31 16:00:00.250+00" "备注 (String) = A&B"
                 "场强 (Integer) = -84" "经度 (Real) = 113.04048" "字段5 (Integer) = 1")
