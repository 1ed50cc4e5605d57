# Toolchain of the ce-check preset: clang for 32-bit ARM Windows, the
# processor of the Windows CE 5.0 devices, compiling only (the objects are
# never linked; there is no CE SDK here). cmake/CeCheck.cmake sets up the
# headers: MinGW's libstdc++, the C run-time headers it needs, and the CE API
# declarations of platform/ce instead of any Windows SDK header.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET armv7-w64-mingw32)
set(CMAKE_AR llvm-ar)
set(CMAKE_RANLIB llvm-ranlib)

# No system include directory of the host or of a target: every include
# directory is named explicitly by cmake/CeCheck.cmake.
set(CMAKE_CXX_FLAGS_INIT "-nostdlibinc -nostdinc++")

# Nothing can be linked for this target; the compiler is checked by building
# a static library instead of a program.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
