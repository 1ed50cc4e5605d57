# Settings shared by every target of the project.

# Every source names its headers from the project root: "ini/ini_file.h".
include_directories(${PROJECT_SOURCE_DIR})

if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  add_compile_options(-Wall -Wextra -Wno-unused-parameter)
endif()

if(WIN32)
  add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN)
  # No DLLs beside the executables: the C++ runtime and winpthread are linked in.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

# Header-only libraries from Debian's packages, for both targets. The cross
# compiler must not see the host's /usr/include, so each library gets a
# folder of its own that points at its headers.
function(reco_header_library name header_dir)
  set(shim ${PROJECT_BINARY_DIR}/header-shims/${name})
  get_filename_component(leaf ${header_dir} NAME)
  if(NOT EXISTS ${header_dir})
    message(FATAL_ERROR "${header_dir} is missing: run scripts/setup.sh (it installs the Debian packages)")
  endif()
  file(MAKE_DIRECTORY ${shim})
  file(CREATE_LINK ${header_dir} ${shim}/${leaf} SYMBOLIC)
  add_library(${name} INTERFACE)
  target_include_directories(${name} SYSTEM INTERFACE ${shim})
endfunction()

# GoogleTest: the installed package natively; built from Debian's sources for
# the cross target.
macro(reco_find_gtest)
  if(CMAKE_CROSSCOMPILING)
    if(NOT TARGET gtest)
      set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
      set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
      set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
      add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    endif()
    set(RECO_GTEST gtest)
  else()
    find_package(GTest REQUIRED)
    set(RECO_GTEST GTest::gtest)
  endif()
endmacro()
