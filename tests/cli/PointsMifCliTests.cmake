# orvane-convert points and mif, end to end.
set(P ${CLI_DATA}/points)
set(M ${CLI_DATA}/mif)

add_cli_test(NAME points.latlon.point ARGS points ${P}/latlon.txt @OUT@
             KML ${P}/latlon-point.kml STDOUT "完成！|")
add_cli_test(NAME points.lonlat.line ARGS points ${P}/lonlat.txt @OUT@ --format 1 --geometry line
             KML ${P}/lonlat-line.kml STDOUT "完成！|")
add_cli_test(NAME points.lonspace.polygon
             ARGS points ${P}/lonspace.txt @OUT@ --format=2 --geometry=polygon
             KML ${P}/lonspace-polygon.kml)
add_cli_test(NAME points.empty-input ARGS points ${M}/empty.mif @OUT@ STATUS 1
             STDERR "${M}/empty.mif: 请填入要转换的坐标串！" NO_OUTPUT)
add_cli_test(NAME points.missing-input ARGS points ${P}/none.txt @OUT@ STATUS 1
             STDERR "Cannot open file ${P}/none.txt" NO_OUTPUT)
add_cli_test(NAME points.unwritable-output ARGS points ${P}/latlon.txt ${CLI_OUT}/none/out.kml
             STATUS 1 STDERR "Cannot create file ${CLI_OUT}/none/out.kml")
add_cli_test(NAME points.bad-format ARGS points ${P}/latlon.txt @OUT@ --format 3 STATUS 2
             NO_OUTPUT)
add_cli_test(NAME points.bad-geometry ARGS points ${P}/latlon.txt @OUT@ --geometry circle
             STATUS 2 NO_OUTPUT)

add_cli_test(NAME mif.gbk ARGS mif ${M}/regions-gbk.mif @OUT@ KML ${M}/regions.kml
             STDOUT "完成！|")
add_cli_test(NAME mif.utf8 ARGS mif ${M}/regions-utf8.mif @OUT@ KML ${M}/regions.kml)
add_cli_test(NAME mif.no-data ARGS mif ${M}/no-data.mif @OUT@ STATUS 1
             STDERR "${M}/no-data.mif: List index out of bounds (3)" PRESET "kept")
add_cli_test(NAME mif.truncated ARGS mif ${M}/truncated.mif @OUT@ STATUS 1
             STDERR "${M}/truncated.mif: List index out of bounds (7)" NO_OUTPUT)
add_cli_test(NAME mif.bad-count ARGS mif ${M}/bad-count.mif @OUT@ STATUS 1
             STDERR "${M}/bad-count.mif: '  4 ' is not a valid integer value" PRESET "kept")
add_cli_test(NAME mif.huge-count ARGS mif ${M}/huge-count.mif @OUT@ STATUS 1
             STDERR "${M}/huge-count.mif: '    Pen (1,2,0)' is not a valid integer value" NO_OUTPUT)
add_cli_test(NAME mif.garbage ARGS mif ${M}/garbage.mif @OUT@ STATUS 1 NO_OUTPUT)
add_cli_test(NAME mif.empty ARGS mif ${M}/empty.mif @OUT@ STATUS 1
             STDERR "${M}/empty.mif: List index out of bounds (0)" NO_OUTPUT)
add_cli_test(NAME mif.missing ARGS mif ${M}/none.mif @OUT@ STATUS 1
             STDERR "Cannot open file ${M}/none.mif" NO_OUTPUT)

add_cli_test(NAME usage.none ARGS STATUS 2)
add_cli_test(NAME usage.coming ARGS bs in.xls @OUT@ STATUS 2 NO_OUTPUT)
add_cli_test(NAME usage.unknown-option ARGS mif ${M}/regions-gbk.mif @OUT@ --fast STATUS 2
             NO_OUTPUT)
add_cli_test(NAME usage.help ARGS --help STATUS 0)
