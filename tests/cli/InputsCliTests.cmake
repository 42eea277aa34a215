# orvane-convert on hostile inputs: usage errors found before any file is read, an output
# that names an input, UTF-16 text, values near the largest double, broken colour schemes,
# sheets spanning billions of cells, and inputs that are no regular files.
set(D ${CLI_DATA}/dt)
set(M ${CLI_DATA}/mif)

# Usage errors come first, even when the input cannot be read.
foreach(case "grades|--grades|1" "boundary|--boundary|up" "classify-grades|--classify|--grades|3"
             "colcfg-without-scheme|--colcfg|${D}/schemes.col" "colcfg-empty|--scheme|a|--colcfg="
             "colcfg-option-as-value|--scheme|a|--colcfg|--classify")
    string(REPLACE "|" ";" words "${case}")
    list(POP_FRONT words name)
    add_cli_test(NAME usage.dt.${name} ARGS dt ${D}/none.txt @OUT@ ${words} STATUS 2 NO_OUTPUT)
endforeach()

# An output that is the input is refused before anything is read; the input stays.
file(READ ${M}/regions-utf8.mif mif_text)
add_cli_test(NAME same-file.mif ARGS mif @OUT@ @OUT@ STATUS 1 PRESET "${mif_text}"
             STDERR "Cannot create file ${CLI_OUT}/same-file.mif.kml: the output file is the input file")
add_cli_test(NAME same-file.points ARGS points @OUT@ @OUT@ STATUS 1 PRESET "113.1,25.7\n"
             STDERR "Cannot create file ${CLI_OUT}/same-file.points.kml: the output file is the input file")
add_cli_test(NAME same-file.colcfg ARGS dt ${D}/route-gbk.txt @OUT@ --scheme Short --colcfg @OUT@
             STATUS 1 PRESET "<ORVANE_Config_File/>"
             STDERR "Cannot create file ${CLI_OUT}/same-file.colcfg.kml: the output file is the input file")

# Text saved as "Unicode" by Windows programs: UTF-16 with its byte-order mark.
add_cli_test(NAME mif.utf16le ARGS mif ${M}/regions-utf16le.mif @OUT@ KML ${M}/regions.kml)
add_cli_test(NAME mif.utf16be ARGS mif ${M}/regions-utf16be.mif @OUT@ KML ${M}/regions.kml)

# Values reaching 1E307 are graded; the default bounds read back as numbers.
add_cli_test(NAME dt.extreme-values ARGS dt ${D}/extremes.txt @OUT@ --theme value
             STDOUT "生成KML文件开始...|生成KML文件完成：${CLI_OUT}/dt.extreme-values.kml|导出完成.|")

# A colour scheme at fault is named, with its row.
add_cli_test(NAME dt.scheme-short ARGS dt ${D}/route-gbk.txt @OUT@ --theme 场强 --scheme Short
             --colcfg ${D}/schemes.col STATUS 1 NO_OUTPUT
             STDERR "Colour scheme 'Short', row 5: '' is not a valid floating point value")
add_cli_test(NAME dt.scheme-colour ARGS dt ${D}/route-gbk.txt @OUT@ --theme 场强 --scheme BadColour
             --colcfg ${D}/schemes.col STATUS 1 NO_OUTPUT
             STDERR "Colour scheme 'BadColour', row 2: '1.5' is not a valid integer value")
add_cli_test(NAME dt.scheme-bound ARGS dt ${D}/route-gbk.txt @OUT@ --theme 场强 --scheme NoBound
             --colcfg ${D}/schemes.col STATUS 1 NO_OUTPUT
             STDERR "Colour scheme 'NoBound', row 2: 'x' is not a valid floating point value")

# Two cells in opposite corners of a 1.4 KB .xlsx: refused, not printed as 17 GB of TABs.
add_cli_test(NAME inspect-corners ARGS inspect ${CLI_DATA}/workbooks/corners.xlsx --cells
             STATUS 1 NO_OUTPUT STDOUT ""
             STDERR "Cannot read workbook ${CLI_DATA}/workbooks/corners.xlsx: the sheet \"Corners\" spans A1:XFD1048576, 17179869184 cells, more than the 50000000 that Orvane reads")

# Named pipes, real pipes, devices and linked outputs (a shell script: they need mkfifo,
# pipes and ulimit). Labelled "cli" alone: the address-space limit of the device case
# leaves no room for the sanitizers.
foreach(case fifo pipe devices links)
    add_test(NAME cli.inputs.${case}
             COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/inputs.sh $<TARGET_FILE:orvane-convert>
                     ${CLI_DATA} ${CLI_OUT} ${case})
    set_tests_properties(cli.inputs.${case} PROPERTIES LABELS cli TIMEOUT 300)
endforeach()
