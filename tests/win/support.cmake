# Test support shared by the Windows test programs: what the captured sound device played.
add_library(vesmo_test_support STATIC ${CMAKE_CURRENT_LIST_DIR}/support/SoundCapture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/support/UnixShell.cpp)
target_include_directories(vesmo_test_support PUBLIC ${CMAKE_CURRENT_LIST_DIR}/support)
