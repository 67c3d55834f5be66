# The program's windows in-process: the vesmo_ui library and the program's resources in a
# test program, for what another process cannot see of them. The main window opens wave
# device 0, so this runs where Wine has the captured sound device, as ui_with_sound does.
# The notification icon's record is read there too, as the shell gets it.
add_executable(vesmo_ui_inprocess_tests ${CMAKE_CURRENT_LIST_DIR}/ui_inprocess/main_window_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ui_inprocess/notify_tray_test.cpp)
# The texts the user should see, written down for the end-to-end tests.
target_include_directories(vesmo_ui_inprocess_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/ui)
target_link_libraries(vesmo_ui_inprocess_tests PRIVATE vesmo_ui vesmo_resources GTest::gtest_main)
add_test(NAME ui_in_process COMMAND vesmo_ui_inprocess_tests)
set_tests_properties(ui_in_process PROPERTIES TIMEOUT 120)
