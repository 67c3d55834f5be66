set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VESMO_MINGW_TRIPLE i686-w64-mingw32)
# The synthesis needs IEEE doubles, not x87 extended precision, or the tone bytes
# would differ from the 64-bit and host builds.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
