# The tone generator on Windows, run under Wine: through the real wave device 0 and
# heard by multimon-ng, and its tone bytes against the host build's.
set(VESMO_NATIVE_BUILD_DIR ${PROJECT_SOURCE_DIR}/build/native CACHE PATH
    "The host build, whose table of tone checksums the Windows tests compare with")

add_executable(vesmo_tones_wintests ${CMAKE_CURRENT_LIST_DIR}/tones_wave.cpp)
# The checksum, as the host build computes it.
target_include_directories(vesmo_tones_wintests PRIVATE ${PROJECT_SOURCE_DIR}/tests/native)
target_compile_definitions(vesmo_tones_wintests PRIVATE
  "VESMO_TONE_CHECKSUMS=\"Z:${VESMO_NATIVE_BUILD_DIR}/tone-checksums.txt\"")
target_link_libraries(vesmo_tones_wintests PRIVATE vesmo_waveout vesmo_test_support GTest::gtest_main)

# One run per suite (each Wine start costs time); the no-device case where Wine has no
# sound device at all.
add_test(NAME tones.wave COMMAND vesmo_tones_wintests --gtest_filter=-NoSoundDevice.*:ForcedWaveFeed.*)
add_test(NAME tones.nosound COMMAND vesmo_tones_wintests --gtest_filter=NoSoundDevice.*)
set_tests_properties(tones.nosound PROPERTIES ENVIRONMENT VESMO_SOUND=none)
# The feed a user forces with VESMO_WAVE_FEED; a value that means nothing leaves Wine's own.
add_test(NAME tones.feed.windows COMMAND vesmo_tones_wintests --gtest_filter=ForcedWaveFeed.Windows*)
add_test(NAME tones.feed.wine COMMAND vesmo_tones_wintests --gtest_filter=ForcedWaveFeed.Wine*)
add_test(NAME tones.feed.ignored COMMAND vesmo_tones_wintests --gtest_filter=ForcedWaveFeed.AnyOther*)
set_tests_properties(tones.feed.windows PROPERTIES ENVIRONMENT VESMO_WAVE_FEED=windows)
set_tests_properties(tones.feed.wine PROPERTIES ENVIRONMENT VESMO_WAVE_FEED=wine)
set_tests_properties(tones.feed.ignored PROPERTIES ENVIRONMENT VESMO_WAVE_FEED=16bit)
set_tests_properties(tones.wave PROPERTIES ENVIRONMENT_MODIFICATION VESMO_WAVE_FEED=unset:)
# What the device played, heard again through the desktop's paths: a PulseAudio server, and
# PipeWire through its PulseAudio service.
add_test(NAME tones.wave.pulseaudio COMMAND vesmo_tones_wintests --gtest_filter=WaveOutput.*)
set_tests_properties(tones.wave.pulseaudio PROPERTIES ENVIRONMENT VESMO_SOUND=pulse)
add_test(NAME tones.wave.pipewire COMMAND vesmo_tones_wintests --gtest_filter=WaveOutput.*)
set_tests_properties(tones.wave.pipewire PROPERTIES ENVIRONMENT VESMO_SOUND=pipewire)
