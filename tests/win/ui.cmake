# End-to-end tests: the real vesmo.exe, started under Wine and driven with window messages.
add_library(vesmo_ui_driver STATIC ui/VesmoDriver.cpp)
# The program's control and command ids come from its own resource.h.
target_include_directories(vesmo_ui_driver PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/ui ${PROJECT_SOURCE_DIR}/ui/resources)
target_link_libraries(vesmo_ui_driver PUBLIC vesmo_test_files vesmo_test_support)
target_compile_definitions(vesmo_ui_driver PRIVATE "VESMO_EXE=\"Z:$<TARGET_FILE:vesmo>\"")
add_dependencies(vesmo_ui_driver vesmo)

file(GLOB ui_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/ui/*_test.cpp)
add_executable(vesmo_ui_tests ${ui_test_sources})
target_link_libraries(vesmo_ui_tests PRIVATE vesmo_ui_driver vesmo_test_support vesmo_records GTest::gtest_main winmm)
# The request a later start sends to the running copy, and its replies (RunningCopy.h).
target_include_directories(vesmo_ui_tests PRIVATE ${PROJECT_SOURCE_DIR}/ui)

# Pictures of every window for the documentation, taken by scripts/screenshot.sh; no test.
add_executable(vesmo_screenshots ${CMAKE_CURRENT_SOURCE_DIR}/ui/screenshots.cpp)
target_link_libraries(vesmo_screenshots PRIVATE vesmo_ui_driver)

# One run per suite: each start of a Wine program costs time. The no-device suite runs
# where Wine has no sound device at all.
add_test(NAME ui_with_sound COMMAND vesmo_ui_tests --gtest_filter=-NoSoundDevice.*)
add_test(NAME ui_without_sound COMMAND vesmo_ui_tests --gtest_filter=NoSoundDevice.*)
set_tests_properties(ui_without_sound PROPERTIES ENVIRONMENT VESMO_SOUND=none)
# Through a PulseAudio server and through PipeWire, with no ALSA device: every keypad key
# from silence and the slider's length as heard, and a number, a key and a speed-dial row
# dialled.
foreach(server pulseaudio pipewire)
  add_test(NAME ui_through_${server} COMMAND vesmo_ui_tests
    --gtest_filter=MainWindow.EachKeypadButtonIsHeardAsItsKey:MainWindow.TheSliderTakesEffectOnlyAtTheNextKey:Dialling.*)
endforeach()
set_tests_properties(ui_through_pulseaudio PROPERTIES ENVIRONMENT VESMO_SOUND=pulse)
set_tests_properties(ui_through_pipewire PROPERTIES ENVIRONMENT VESMO_SOUND=pipewire)
set_tests_properties(ui_with_sound ui_without_sound ui_through_pulseaudio ui_through_pipewire PROPERTIES TIMEOUT 900)
