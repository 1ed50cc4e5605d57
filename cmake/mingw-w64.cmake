# Cross build for 64-bit Windows with MinGW-w64 on Debian; the programs and
# tests run under Wine.
#
# The posix-thread variants of the compilers are required: the win32-thread
# ones lack std::mutex, which GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(RECO_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${RECO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RECO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${RECO_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${RECO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything is linked in: without -static an executable finds neither
# libstdc++-6.dll nor libwinpthread-1.dll under Wine and exits with status 53
# before printing anything.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under Wine, in a prefix of this build tree's own, so
# that two build trees never share named objects or registry state.
set(CMAKE_CROSSCOMPILING_EMULATOR
    "${CMAKE_CURRENT_LIST_DIR}/wine-run.sh;${CMAKE_BINARY_DIR}/wineprefix")
