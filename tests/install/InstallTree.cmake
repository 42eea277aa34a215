# Installs the build into a new prefix and checks what a user gets there: the two programs,
# which run from the prefix, the desktop menu entry, the icon and the sample inputs.
# cmake -DBUILD=... -DPREFIX=... -DVERSION=... -P InstallTree.cmake

file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${status}")
endif()

foreach(file bin/orvane bin/orvane-convert share/applications/orvane.desktop
             share/icons/hicolor/16x16/apps/orvane.png share/icons/hicolor/48x48/apps/orvane.png
             share/icons/hicolor/256x256/apps/orvane.png share/orvane/examples/regions.mif
             share/orvane/examples/regions.kml share/orvane/examples/dt-route.txt
             share/orvane/examples/bs-table.xlsx share/orvane/examples/cqt-table.xls)
    if(NOT EXISTS ${PREFIX}/${file})
        message(FATAL_ERROR "Not installed: ${file}")
    endif()
endforeach()

# A PNG gives its width and height at bytes 16 to 23.
file(READ ${PREFIX}/share/icons/hicolor/256x256/apps/orvane.png size OFFSET 16 LIMIT 8 HEX)
if(NOT size STREQUAL "0000010000000100")
    message(FATAL_ERROR "The 256-pixel icon is ${size}")
endif()

file(READ ${PREFIX}/share/applications/orvane.desktop entry)
foreach(line "Exec=orvane %F"
             "MimeType=application/vnd.google-earth.kml+xml;application/vnd.google-earth.kmz;"
             "Icon=orvane")
    string(FIND "${entry}" "\n${line}\n" found)
    if(found EQUAL -1)
        message(FATAL_ERROR "orvane.desktop lacks the line ${line}")
    endif()
endforeach()
execute_process(COMMAND desktop-file-validate ${PREFIX}/share/applications/orvane.desktop
                RESULT_VARIABLE status OUTPUT_VARIABLE report ERROR_VARIABLE report)
if(NOT status EQUAL 0 OR NOT report STREQUAL "")
    message(FATAL_ERROR "desktop-file-validate: ${status} ${report}")
endif()

function(expect_output expected)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE output)
    if(NOT status EQUAL 0 OR NOT output STREQUAL expected)
        message(FATAL_ERROR "${ARGN}: status ${status}, output '${output}'")
    endif()
endfunction()
expect_output("orvane-convert ${VERSION}\n" ${PREFIX}/bin/orvane-convert --version)
# The desktop program answers before it looks for a display or a running copy of itself.
expect_output("Orvane ${VERSION}\n" env QT_QPA_PLATFORM=offscreen ${PREFIX}/bin/orvane --version)
# The installed sample MIF file converts to the installed sample KML file.
expect_output("完成！\n" ${PREFIX}/bin/orvane-convert mif ${PREFIX}/share/orvane/examples/regions.mif
              ${PREFIX}/regions.kml)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${PREFIX}/regions.kml
                        ${PREFIX}/share/orvane/examples/regions.kml RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "regions.mif does not convert to the sample regions.kml")
endif()
file(REMOVE_RECURSE ${PREFIX})
