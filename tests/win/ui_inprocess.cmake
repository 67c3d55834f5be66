# The program's windows in-process: the vesmo_ui library and the program's resources in a
# test program, for what another process cannot see of them. The main window opens wave
# device 0, so this runs where Wine has the captured sound device, as ui_with_sound does.
# The notification icon's record is read there too, as the shell gets it.
add_executable(vesmo_ui_inprocess_tests ${CMAKE_CURRENT_LIST_DIR}/ui_inprocess/main_window_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui_inprocess/notify_tray_test.cpp ${CMAKE_CURRENT_LIST_DIR}/ui_inprocess/layout_test.cpp)
# The texts the user should see, written down for the end-to-end tests.
target_include_directories(vesmo_ui_inprocess_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/ui)
target_link_libraries(vesmo_ui_inprocess_tests PRIVATE vesmo_ui vesmo_resources GTest::gtest_main)
add_test(NAME ui_in_process COMMAND vesmo_ui_inprocess_tests --gtest_filter=-*WindowLayout*)
# Every window's texts and controls as drawn, at each resolution users set: 100 %, 125 %,
# 150 % and 200 %. scripts/wine-exec sets the prefix's resolution for the run.
foreach(dpi 96 120 144 192)
  add_test(NAME ui_layout_${dpi}dpi COMMAND vesmo_ui_inprocess_tests --gtest_filter=*WindowLayout*)
  set_tests_properties(ui_layout_${dpi}dpi PROPERTIES ENVIRONMENT VESMO_DPI=${dpi})
endforeach()
set_tests_properties(ui_in_process ui_layout_96dpi ui_layout_120dpi ui_layout_144dpi ui_layout_192dpi
  PROPERTIES TIMEOUT 120)
