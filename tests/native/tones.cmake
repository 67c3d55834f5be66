# Tone generator: synthesis and the generator against a fake device, with sanitizers.
add_executable(vesmo_tones_tests
  ${CMAKE_CURRENT_LIST_DIR}/tones_synthesis.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tones_generator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tones_failing_new.cpp)
target_link_libraries(vesmo_tones_tests PRIVATE vesmo_tones_checked GTest::gtest_main)
add_test(NAME tones.unit COMMAND vesmo_tones_tests)

# The command-line tool, judged by multimon-ng.
add_test(NAME tones.tool COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/tones_tool.sh $<TARGET_FILE:vesmo-tones>)
