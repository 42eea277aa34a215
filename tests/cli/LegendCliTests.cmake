# orvane-convert dt and cqt with the legend's figures and folders, end to end.
set(L ${CLI_DATA}/dt)
set(LC ${CLI_DATA}/cqt)
# The sample route with three samples above -60, outside the scheme Narrow (-100 … -60).
set(legend_route ${L}/legend-route.txt @OUT@ --theme 场强 --scheme Narrow --colcfg ${L}/legend.col)
set(legend_cqt ${CLI_DATA}/workbooks/cqt-cases.xlsx @OUT@ --name 测试点 --lon B --lat C:纬度
    --theme RxLev --sheet 分级 --grades 2 --boundary right)

# The route's lines in one folder per range, named by its figures; the figures printed after
# the summary and written as CSV with a byte-order mark.
add_cli_test(NAME legend.dt ARGS dt ${legend_route} --legend-folders --stats @REPORT@
             KML ${L}/legend-folders.kml CSV ${L}/legend-stats.csv
             STDOUT "生成KML文件开始...|生成KML文件完成：${CLI_OUT}/legend.dt.kml|导出完成.|-100 ≤ x < -85：5个点，20.8%，0.0 km，最小-91，平均-88.8，最大-86|-85 ≤ x < -75：7个点，29.2%，0.1 km，最小-85，平均-80.9，最大-76|-75 ≤ x ≤ -60：9个点，37.5%，0.1 km，最小-75，平均-71，最大-67|不在图例范围内：3个点，12.5%，0.0 km，最小-58，平均-55，最大-52|图例统计已导出：${CLI_OUT}/legend.dt.csv|")
# Classes: folders named by the class text, in legend order; no theme value is a number.
add_cli_test(NAME legend.dt.classes
             ARGS dt ${L}/legend-route.txt @OUT@ --theme 小区 --legend-folders --stats @REPORT@
             KML ${L}/legend-classes.kml CSV ${L}/legend-classes.csv)
# The figures alone leave the route as it is.
add_cli_test(NAME legend.dt.stats-only ARGS dt ${legend_route} --stats @REPORT@
             KML ${L}/legend-plain.kml CSV ${L}/legend-stats.csv)
add_cli_test(NAME kmz.legend.dt ARGS dt ${legend_route} --legend-folders KMZ
             KML ${L}/legend-folders.kml)
add_cli_test(NAME standard.legend.dt ARGS dt ${legend_route} --legend-folders --layout standard
             SCHEMA)
add_cli_test(NAME legend.cqt ARGS cqt ${legend_cqt} --legend-folders --stats @REPORT@
             KML ${LC}/grades-legend-folders.kml CSV ${LC}/grades-legend-stats.csv)
add_cli_test(NAME standard.legend.cqt ARGS cqt ${legend_cqt} --legend-folders --layout standard
             SCHEMA)
add_cli_test(NAME legend.stats-is-output ARGS dt ${legend_route} --stats @OUT@ STATUS 2
             NO_OUTPUT)

# Merged lines: legend folders whose lines are one placemark per entry; dt only.
add_cli_test(NAME legend.merged ARGS dt ${legend_route} --merge-lines
             KML ${L}/legend-merged.kml)
add_cli_test(NAME kmz.legend.merged ARGS dt ${legend_route} --merge-lines KMZ
             KML ${L}/legend-merged.kml)
add_cli_test(NAME standard.legend.merged ARGS dt ${legend_route} --merge-lines --layout standard
             SCHEMA)
add_cli_test(NAME legend.cqt-merged ARGS cqt ${legend_cqt} --merge-lines STATUS 2 NO_OUTPUT)

# The legend on the map: a ScreenOverlay of the image beside a .kml, inside a .kmz; refused
# where the build cannot draw it.
if(ORVANE_LEGEND_IMAGE)
    add_cli_test(NAME legend.overlay ARGS dt ${legend_route} --legend-overlay
                 KML ${L}/legend-overlay.kml BESIDE legend.overlay-legend.png)
    add_cli_test(NAME kmz.standard.legend.overlay
                 ARGS dt ${legend_route} --merge-lines --stats @REPORT@ --legend-overlay
                      --layout standard
                 KMZ ENTRIES doc.kml files/legend.png SCHEMA CSV ${L}/legend-stats.csv
                 OGR "Layer name: -100 ≤ x < -85：5个点")
    add_cli_test(NAME standard.legend.cqt-overlay
                 ARGS cqt ${legend_cqt} --legend-overlay --layout standard
                 SCHEMA BESIDE standard.legend.cqt-overlay-legend.png)
else()
    add_cli_test(NAME legend.overlay-refused ARGS dt ${legend_route} --legend-overlay STATUS 2
                 NO_OUTPUT)
endif()
