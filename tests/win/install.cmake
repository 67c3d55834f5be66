# What a user downloads, tested as the user meets it: the packages that scripts/release.sh
# writes, unpacked and started, installed, started from the shortcut, upgraded, removed.
set(VESMO_RELEASE_DIR ${PROJECT_SOURCE_DIR}/build/release CACHE PATH "Where scripts/release.sh writes the packages")
# The packages of this build's architecture are the ones unpacked and used, and installed.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(release_zip win64)
  set(release_installer x64)
else()
  set(release_zip win32)
  set(release_installer x86)
endif()
# binutils' objdump reads the executables of both zips; the i686 MinGW one reads no x86-64.
find_program(VESMO_PE_OBJDUMP objdump REQUIRED)

add_executable(vesmo_install_tests ${CMAKE_CURRENT_LIST_DIR}/install/install_test.cpp)
target_compile_definitions(vesmo_install_tests PRIVATE "VESMO_VERSION=\"${PROJECT_VERSION}\"")
target_link_libraries(vesmo_install_tests PRIVATE vesmo_ui_driver GTest::gtest_main ole32 uuid shell32)

add_test(NAME release.zips COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/install/zips.sh ${VESMO_RELEASE_DIR}
  $<TARGET_FILE:vesmo_install_tests> ${VESMO_NATIVE_BUILD_DIR}/vesmo-tones ${VESMO_PE_OBJDUMP} ${release_zip})
# Both zips' executables against the oldest Windows Vesmo runs on.
add_test(NAME release.windows-version COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/install/windows-version.sh
  ${VESMO_RELEASE_DIR} ${VESMO_PE_OBJDUMP} ${VESMO_WINDOWS_MIN_MAJOR} ${VESMO_WINDOWS_MIN_MINOR} ${PROJECT_SOURCE_DIR})
add_test(NAME release.installer COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/install/installer.sh ${VESMO_RELEASE_DIR}
  $<TARGET_FILE:vesmo_install_tests> ${release_installer})
set_tests_properties(release.installer PROPERTIES TIMEOUT 600)
