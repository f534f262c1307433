# MinGW-w64 i686: the shipped 32-bit deliverables.
set(TESSALY_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
