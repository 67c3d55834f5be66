# Tone generator: synthesis and the generator against a fake device, with sanitizers.
add_executable(vesmo_tones_tests
  ${CMAKE_CURRENT_LIST_DIR}/tones_synthesis.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tones_generator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tones_failing_new.cpp)
target_link_libraries(vesmo_tones_tests PRIVATE vesmo_tones_checked GTest::gtest_main)
add_test(NAME tones.unit COMMAND vesmo_tones_tests)

# The checksums of the tone buffers at every length, which the Windows tests compare with
# what the Windows builds render (ToneChecksum.h, shared with them).
add_executable(vesmo-tone-checksums ${CMAKE_CURRENT_LIST_DIR}/tone_checksums.cpp)
target_link_libraries(vesmo-tone-checksums PRIVATE vesmo_tones)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/tone-checksums.txt
  COMMAND vesmo-tone-checksums > ${CMAKE_BINARY_DIR}/tone-checksums.txt
  DEPENDS vesmo-tone-checksums VERBATIM)
add_custom_target(tone-checksums ALL DEPENDS ${CMAKE_BINARY_DIR}/tone-checksums.txt)

# The command-line tool, judged by multimon-ng.
add_test(NAME tones.tool COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/tones_tool.sh $<TARGET_FILE:vesmo-tones>)
