# Tests of the record file formats. The test program also builds for Windows; the fuzzers (of
# the two readers and of recording a number) run on the host only.
add_executable(records_tests
  ${CMAKE_CURRENT_LIST_DIR}/records_history_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/records_speed_dial_test.cpp)
target_link_libraries(records_tests PRIVATE vesmo_records vesmo_test_files GTest::gtest_main)
add_test(NAME records_tests COMMAND records_tests)

if(NOT CMAKE_CROSSCOMPILING)
  find_program(VESMO_CLANGXX NAMES clang++ clang++-14 REQUIRED)
  # The fuzzers are built from the sources of the records and of the library they use.
  set(fuzzed_dirs)
  set(fuzzed_sources)
  foreach(library IN ITEMS vesmo_records vesmo_base)
    get_target_property(library_dir ${library} SOURCE_DIR)
    get_target_property(library_sources ${library} SOURCES)
    list(TRANSFORM library_sources PREPEND ${library_dir}/)
    list(APPEND fuzzed_dirs ${library_dir})
    list(APPEND fuzzed_sources ${library_sources})
  endforeach()
  list(JOIN fuzzed_dirs ":" fuzzed_include_path)
  set(fuzz_dir ${CMAKE_CURRENT_LIST_DIR}/../fuzz)
  foreach(reader IN ITEMS history speed_dial append)
    add_test(NAME records_fuzz_${reader}
      COMMAND ${fuzz_dir}/run_fuzzer.sh ${VESMO_CLANGXX} ${CMAKE_CURRENT_BINARY_DIR}/fuzz
              ${fuzzed_include_path} ${fuzz_dir}/records_${reader}_fuzzer.cpp ${fuzzed_sources})
    set_tests_properties(records_fuzz_${reader} PROPERTIES LABELS fuzz TIMEOUT 600)
  endforeach()
endif()

# Saves interrupted for real: saving processes killed at random moments, 500 times on each
# platform, with the counts and the seed of the moments printed (VESMO_KILL_SEED repeats them).
add_executable(records_saver ${CMAKE_CURRENT_LIST_DIR}/records_saver.cpp)
target_link_libraries(records_saver PRIVATE vesmo_records)
add_executable(records_kill_test ${CMAKE_CURRENT_LIST_DIR}/records_kill_test.cpp)
target_link_libraries(records_kill_test PRIVATE vesmo_records vesmo_test_files)
target_compile_definitions(records_kill_test PRIVATE
  "RECORDS_SAVER=\"$<$<BOOL:${WIN32}>:Z:>$<TARGET_FILE:records_saver>\"")
add_dependencies(records_kill_test records_saver)
# Together with the kills of vesmo.exe during its save at exit (50, in the end-to-end tests),
# 1000 kills in all.
add_test(NAME records_killed_saves COMMAND records_kill_test $<IF:$<BOOL:${WIN32}>,450,500>)
set_tests_properties(records_killed_saves PROPERTIES TIMEOUT 900)
