# Shared part of the MinGW-w64 toolchains. The -posix compilers are required: the
# win32-threads variants lack std::thread and std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR ${TESSALY_MINGW_TRIPLE})

set(CMAKE_C_COMPILER ${TESSALY_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TESSALY_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TESSALY_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TESSALY_MINGW_TRIPLE})
set(TESSALY_DEPS_CACHE "$ENV{TESSALY_DEPS_CACHE}")
if(NOT TESSALY_DEPS_CACHE)
  set(TESSALY_DEPS_CACHE /var/cache/tessaly-deps)
endif()
set(OPENSSL_ROOT_DIR ${TESSALY_DEPS_CACHE}/openssl-current-${CMAKE_SYSTEM_PROCESSOR})
list(APPEND CMAKE_FIND_ROOT_PATH ${OPENSSL_ROOT_DIR})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The deliverables must run without MinGW runtime DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
