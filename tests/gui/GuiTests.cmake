# Window tests (Qt Test). Most run offscreen against the recording globe; the few that need
# the real Marble map run under Xvfb and carry the label "globe".
find_package(Qt5 5.15 REQUIRED COMPONENTS Test)

# The recording globe that the offscreen tests connect the desktop to instead of Marble.
add_library(orvane_gui_testing STATIC ${CMAKE_CURRENT_LIST_DIR}/RecordingApplicationGE.cpp)
target_include_directories(orvane_gui_testing PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(orvane_gui_testing PUBLIC orvane_gui)
set_target_properties(orvane_gui_testing PROPERTIES AUTOMOC ON)

function(add_gui_test name)
    add_executable(${name} ${CMAKE_CURRENT_LIST_DIR}/${name}.cpp)
    target_link_libraries(${name} PRIVATE orvane_gui orvane_gui_testing Qt5::Test)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_compile_definitions(${name} PRIVATE ORVANE_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
                                               ORVANE_EXAMPLES="${PROJECT_SOURCE_DIR}/examples")
endfunction()

foreach(name MainFormTest DesktopPartsTest ConverterWindowsTest StartupTest LegendPanelTest DtWindowTest
             BsWindowTest CqtWindowTest FieldDesktopTest FeatureLayerTest GlobeToolsTest PlaybackTest
             ImageExportTest InputFilesTest SingleInstanceTest ServingCellWindowTest
             LegendFiguresWindowTest)
    add_gui_test(${name})
    add_test(NAME gui.${name} COMMAND ${name})
    # Each test keeps the program's settings in a folder of its own.
    set_tests_properties(gui.${name} PROPERTIES LABELS gui ENVIRONMENT
        "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${CMAKE_CURRENT_BINARY_DIR}/settings/${name}")
endforeach()

# The second start is the real program.
target_compile_definitions(SingleInstanceTest PRIVATE ORVANE_EXECUTABLE="$<TARGET_FILE:orvane>")
add_dependencies(SingleInstanceTest orvane)

# The web engine that Marble loads finds no OpenGL offscreen; an X server gives it one.
# GlobeTest: the conversions' files on the map; FieldGlobeTest: every feature drawn, street
# level, the file list's controls; PlaybackGlobeTest: the moving view and its cross;
# ImageExportGlobeTest: the image export on the real map, read back with GDAL's gdalinfo.
foreach(name GlobeTest FieldGlobeTest PlaybackGlobeTest ImageExportGlobeTest)
    add_gui_test(${name})
    add_test(NAME globe.${name}
             COMMAND xvfb-run -a -s "-screen 0 1280x1024x24" $<TARGET_FILE:${name}>)
    set_tests_properties(globe.${name} PROPERTIES LABELS "gui;globe" TIMEOUT 300 ENVIRONMENT
        "QTWEBENGINE_CHROMIUM_FLAGS=--no-sandbox --disable-gpu;QT_QPA_PLATFORM=xcb;XDG_CONFIG_HOME=${CMAKE_CURRENT_BINARY_DIR}/settings/${name}")
endforeach()
