# The dialog toolkit in-process, with a dialog of the tests' own.
add_executable(vesmo_toolkit_tests ${CMAKE_CURRENT_LIST_DIR}/toolkit/toolkit_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/toolkit/toolkit_test.rc)
target_include_directories(vesmo_toolkit_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/toolkit)
target_link_libraries(vesmo_toolkit_tests PRIVATE vesmo_toolkit GTest::gtest_main)
add_test(NAME toolkit.modal_loop COMMAND vesmo_toolkit_tests --gtest_filter=ModalLoop.*)
add_test(NAME toolkit.dialog_procedure COMMAND vesmo_toolkit_tests --gtest_filter=-ModalLoop.*)
