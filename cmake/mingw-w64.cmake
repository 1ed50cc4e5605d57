# Cross build for 32-bit Windows (x86) with MinGW-w64 on Debian; the programs
# and tests run under Wine's 32-bit support (the wine32 package). 32 bits is
# the device's word size: a pointer, a handle and a DWORD are the same 32 bits
# there, and the system relies on it (the dialog's DWL_USER word, window
# handles as the words of the shared records).
#
# The posix-thread variants of the compilers are required: the win32-thread
# ones lack std::mutex, which GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(RECO_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER ${RECO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RECO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${RECO_MINGW_TRIPLE}-windres)

# CMake records the compilers it found once per build tree and keeps them on
# every later configure, so a tree made for another compiler (the 64-bit one
# this build used before) would go on building with it.
file(GLOB reco_recorded "${CMAKE_BINARY_DIR}/CMakeFiles/*/CMakeCXXCompiler.cmake")
foreach(recorded IN LISTS reco_recorded)
  file(STRINGS "${recorded}" compiler REGEX "^set\\(CMAKE_CXX_COMPILER \"")
  string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*" "\\1" compiler "${compiler}")
  if(compiler AND NOT compiler MATCHES "${RECO_MINGW_TRIPLE}-g\\+\\+")
    message(FATAL_ERROR "${CMAKE_BINARY_DIR} was configured for another compiler, "
                        "${compiler}: configure it afresh (cmake --fresh) or delete it.")
  endif()
endforeach()

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
