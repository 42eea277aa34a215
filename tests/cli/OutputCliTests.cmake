# Output for every reader: KMZ archives and the standard layout, of every conversion.
set(P ${CLI_DATA}/points)
set(M ${CLI_DATA}/mif)
set(D ${CLI_DATA}/dt)

# A .kmz output holds the very bytes of the .kml.
add_cli_test(NAME kmz.points ARGS points ${P}/latlon.txt @OUT@ KMZ KML ${P}/latlon-point.kml
             STDOUT "完成！|")
add_cli_test(NAME kmz.points.line ARGS points ${P}/lonlat.txt @OUT@ --format 1 --geometry line
             KMZ KML ${P}/lonlat-line.kml)
add_cli_test(NAME kmz.mif ARGS mif ${M}/regions-gbk.mif @OUT@ KMZ KML ${M}/regions.kml)
add_cli_test(NAME kmz.dt ARGS dt ${D}/route-gbk.txt @OUT@ --theme 小区 KMZ
             KML ${D}/route-classes.kml)
add_cli_test(NAME kmz.unwritable ARGS mif ${M}/regions-gbk.mif ${CLI_OUT}/none/out.KMZ STATUS 1
             STDERR "Cannot create file ${CLI_OUT}/none/out.KMZ")
add_cli_test(NAME kmz.stopped ARGS mif ${M}/truncated.mif @OUT@ KMZ STATUS 1 PRESET "kept")

# The standard layout: OGC KML 2.2, valid against its schema, read by GDAL's LIBKML driver
# with unpadded names and resolved styles.
add_cli_test(NAME standard.points ARGS points ${P}/latlon.txt @OUT@ --layout standard
             KML ${P}/latlon-point-standard.kml SCHEMA OGR "Name (String) = Point0")
add_cli_test(NAME standard.points.line
             ARGS points ${P}/lonlat.txt @OUT@ --format 1 --geometry line --layout standard
             KML ${P}/lonlat-line-standard.kml SCHEMA)
add_cli_test(NAME standard.points.polygon
             ARGS points ${P}/lonspace.txt @OUT@ --format 2 --geometry polygon --layout=standard
             KML ${P}/lonspace-polygon-standard.kml SCHEMA
             OGR "Name (String) = Polygon1" "Style = PEN(c:#FF0000FF,w:2")
add_cli_test(NAME standard.mif ARGS mif ${M}/regions-gbk.mif @OUT@ --layout standard
             KML ${M}/regions-standard.kml SCHEMA
             OGR "Feature Count: 3" "Name (String) = Region" "Style = PEN(c:#FF0000FF,w:2")
add_cli_test(NAME standard.dt ARGS dt ${D}/route-gbk.txt @OUT@ --theme 小区 --layout standard
             KML ${D}/route-classes-standard.kml SCHEMA
             OGR "Name (String) = 城东2" "Style = PEN(c:#0000FFFF,w:4")
add_cli_test(NAME standard.dt.grades
             ARGS dt ${D}/route-utf8.txt @OUT@ --theme 场强 --grades 3 --layout standard SCHEMA)
add_cli_test(NAME standard.kmz ARGS mif ${M}/regions-gbk.mif @OUT@ --layout standard KMZ
             KML ${M}/regions-standard.kml SCHEMA
             OGR "Name (String) = Region" "Style = PEN(c:#FF0000FF,w:2")
add_cli_test(NAME standard.bad-layout ARGS mif ${M}/regions-gbk.mif @OUT@ --layout gis STATUS 2
             NO_OUTPUT)

# Outputs that are no plain new file, and conversions cut short by signals or a file-size
# limit (a shell script: they need pipes, links, other users, signals and ulimit). Labelled
# "cli" alone, like the inputs' cases.
foreach(case refused paths signals fsize)
    add_test(NAME cli.outputs.${case}
             COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/outputs.sh $<TARGET_FILE:orvane-convert>
                     ${CLI_DATA} ${CLI_OUT} ${case})
    set_tests_properties(cli.outputs.${case} PROPERTIES LABELS cli TIMEOUT 300)
endforeach()
