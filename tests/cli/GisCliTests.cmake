# The standard layout as GIS programs read it, one file per conversion: typed data, base
# stations as two layers, resolved styles, the program's own icons, MIF attributes and holes,
# rounded coordinates. Every file validates and becomes a GeoPackage.
set(EX ${CMAKE_CURRENT_LIST_DIR}/../../examples)
set(B ${CLI_DATA}/bs)
set(D ${CLI_DATA}/dt)
set(M ${CLI_DATA}/mif)
set(P ${CLI_DATA}/points)

add_cli_test(NAME gis.bs ARGS bs ${EX}/bs-table.xlsx @OUT@ ${bs_columns} --layout standard
             KML ${B}/bs-table-standard.kml SCHEMA
             OGR "Layer name: 基站" "Feature Count: 6" "站名 (String) = 丹霞山" "扇区数 (Integer) = 3"
                 "Layer name: 扇区" "Feature Count: 16" "Name (String) = 丹霞山-全向"
                 "Name (String) = 韶关曲江-120°" "方向角 (Integer) = 240" "经度 (Real) = 113.6042"
                 "Style = PEN(c:#00FF00FF,w:2" "orvane-site.png"
             GPKG "Layer name: 基站" "Layer name: 扇区" "Feature Count: 16" "方向角: Integer")
add_cli_test(NAME gis.bs.kmz ARGS bs ${EX}/bs-table.xls @OUT@ ${bs_columns} --layout standard
             --digits 7 KMZ ENTRIES doc.kml files/orvane-site.png SCHEMA
             OGR "Feature Count: 16" "files/orvane-site.png" "((113.6042 24.6811 0,113.6039874 24.6816133 0,")

add_cli_test(NAME gis.cqt ARGS cqt ${EX}/cqt-table.xlsx @OUT@ --name 测试点 --lon 经度 --lat 纬度
             --theme RxLev --layout standard --digits 3
             KML ${CLI_DATA}/cqt/rxlev-standard.kml SCHEMA
             OGR "Feature Count: 6" "RxLev (Integer) = -" "RxQual (Integer)" "通话结果 (String) = 掉话"
                 "orvane-square.png"
             GPKG "Feature Count: 6" "RxLev: Integer" TOGEOJSON icon)

# Values outside the scheme's ranges: grey lines that every reader resolves; a colour above
# 24 bits keeps its lower ones.
add_cli_test(NAME gis.dt ARGS dt ${D}/route-gbk.txt @OUT@ --theme 场强 --scheme Narrow
             --colcfg ${D}/schemes.col --layout standard
             KML ${D}/route-scheme-standard.kml SCHEMA
             OGR "图例序号 (Integer) = -9999" "图例 (String) = 不在图例范围内" "首记录值 (Real) = -"
                 "Style = PEN(c:#808080FF,w:4" "Style = PEN(c:#FF0000FF,w:4"
             GPKG "图例: String" TOGEOJSON stroke)
add_cli_test(NAME gis.dt.classes ARGS dt ${D}/route-gbk.txt @OUT@ --theme 小区 --layout standard
             KMZ SCHEMA OGR "图例 (String) = 城东2" "末记录值 (String) = 城东2" TOGEOJSON stroke)

add_cli_test(NAME gis.mif ARGS mif ${M}/attributes.mif @OUT@ --layout standard
             KML ${M}/attributes-standard.kml SCHEMA STDOUT "完成！|"
             OGR "Feature Count: 3" "Name (String) = 城东片区,含\"湖\"" "面积 (Real) = 3.25"
                 "编号 (Integer) = 5" "MULTIPOLYGON" ",(113.02 25.02 0,"
             GPKG "Feature Count: 3" "面积: Real")
add_cli_test(NAME gis.mif.short-mid
             ARGS mif ${M}/attributes-short.mif @OUT@ --layout standard --name-column 名称 KMZ SCHEMA
             STDOUT "${M}/attributes-short.mid只有3行数据,第4个对象起没有属性,名称为Region.|完成！|"
             OGR "Name (String) = 双环,岛" "Name (String) = Region")
add_cli_test(NAME gis.mif.no-mid ARGS mif ${M}/regions-gbk.mif @OUT@ --layout standard SCHEMA
             STDOUT "没有找到${M}/regions-gbk.mid,对象没有属性,名称为Region.|完成！|")
add_cli_test(NAME gis.mif.unknown-column
             ARGS mif ${M}/attributes.mif @OUT@ --layout standard --name-column 人口 STATUS 1
             STDERR "${M}/attributes.mif: The MIF file has no column \"人口\"" NO_OUTPUT)
add_cli_test(NAME gis.mif.name-column-fixed
             ARGS mif ${M}/attributes.mif @OUT@ --name-column 名称 STATUS 2 NO_OUTPUT)

# Rounded coordinates, in either layout.
add_cli_test(NAME gis.points ARGS points ${P}/latlon.txt @OUT@ --layout standard --digits 2
             KML ${P}/latlon-point-standard-digits.kml SCHEMA
             OGR "行号 (Integer) = 3" "POINT Z (113.07 25.75 0)" GPKG "Feature Count: 5")
add_cli_test(NAME gis.points.fixed-digits ARGS points ${P}/lonlat.txt @OUT@ --format 1
             --geometry polygon --digits 1 KML ${P}/lonlat-polygon-digits.kml)
foreach(digits 0 16 x)
    add_cli_test(NAME gis.digits-${digits} ARGS points ${P}/latlon.txt @OUT@ --digits ${digits}
                 STATUS 2 NO_OUTPUT)
endforeach()
