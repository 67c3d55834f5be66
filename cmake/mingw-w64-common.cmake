# The -posix compilers: the win32-thread ones have no std::mutex, which GoogleTest needs.
set(CMAKE_C_COMPILER ${VESMO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VESMO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VESMO_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VESMO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Windows test programs run under Wine; scripts/wine-env.sh prepares the prefix,
# the display and the captured sound device they expect.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-exec)
