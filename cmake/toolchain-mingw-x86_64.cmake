# MinGW-w64 x86_64: the build the Windows tests run under 64-bit Wine.
set(TESSALY_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
