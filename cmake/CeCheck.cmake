# The ce-check build (preset ce-check, toolchain cmake/ce-check.cmake): every
# system source compiled for 32-bit ARM Windows against platform/ce/ce_api.h
# alone, warnings as errors, to objects that are never linked. It fails when
# system code names anything the Windows CE 5.0 API lacks, calls a CE
# function with another signature, breaks a static_assert on a shared record
# at ARM's alignment, or reaches a desktop Windows header.
#
# Include directories, in search order:
#   1. MinGW's libstdc++ (its posix-thread build, i686's when installed);
#   2. a view of MinGW's C run-time headers that holds exactly the files the
#      whole standard library includes, made at configure time below. A
#      desktop header (<windows.h>, <winbase.h>, <shlobj.h>, <strsafe.h>,
#      ...) is not in it, so including one fails with "file not found";
#   3. the repository root (cmake/Common.cmake), for platform/ce.

set(RECO_CE_CRT_DIR /usr/share/mingw-w64/include)

set(reco_ce_cxx_dir "")
foreach(triple IN ITEMS i686-w64-mingw32 x86_64-w64-mingw32)
  file(GLOB candidates LIST_DIRECTORIES true /usr/lib/gcc/${triple}/*-posix/include/c++)
  if(candidates)
    list(SORT candidates COMPARE NATURAL ORDER DESCENDING)
    list(GET candidates 0 reco_ce_cxx_dir)
    set(reco_ce_cxx_triple ${triple})
    break()
  endif()
endforeach()
if(NOT reco_ce_cxx_dir OR NOT EXISTS ${RECO_CE_CRT_DIR}/stdlib.h)
  message(FATAL_ERROR "MinGW's libstdc++ or C run-time headers are missing: run scripts/setup.sh "
                      "(it installs g++-mingw-w64-x86-64)")
endif()
set(reco_ce_cxx_includes ${reco_ce_cxx_dir} ${reco_ce_cxx_dir}/${reco_ce_cxx_triple})
message(STATUS "ce-check: libstdc++ from ${reco_ce_cxx_dir}")

# The C run-time headers the standard library needs: every file under the
# C run-time directory that <bits/stdc++.h> (all of the standard library)
# opens, as the compiler itself lists them.
set(probe ${CMAKE_CURRENT_BINARY_DIR}/ce-crt-probe.cpp)
file(WRITE ${probe} "#include <bits/stdc++.h>\n")
set(probe_includes)
foreach(dir IN LISTS reco_ce_cxx_includes ITEMS ${RECO_CE_CRT_DIR})
  list(APPEND probe_includes -isystem ${dir})
endforeach()
execute_process(
  COMMAND ${CMAKE_CXX_COMPILER} --target=${CMAKE_CXX_COMPILER_TARGET} -std=c++17 -nostdlibinc
          -nostdinc++ ${probe_includes} -M ${probe}
  OUTPUT_VARIABLE probe_deps
  ERROR_VARIABLE probe_errors
  RESULT_VARIABLE probe_result)
if(NOT probe_result EQUAL 0)
  message(FATAL_ERROR "ce-check: the standard library does not compile for "
                      "${CMAKE_CXX_COMPILER_TARGET}:\n${probe_errors}")
endif()
string(REGEX MATCHALL "${RECO_CE_CRT_DIR}/[^ \t\r\n\\\\]+" crt_headers "${probe_deps}")
list(REMOVE_DUPLICATES crt_headers)

set(RECO_CE_CRT_VIEW ${CMAKE_CURRENT_BINARY_DIR}/ce-crt-include)
file(REMOVE_RECURSE ${RECO_CE_CRT_VIEW})
foreach(header IN LISTS crt_headers)
  file(RELATIVE_PATH relative ${RECO_CE_CRT_DIR} ${header})
  # With the posix-thread libstdc++ the closure is C run time plus
  # winpthreads' pthread.h, which includes no Windows header. A library that
  # reached one (the win32-thread libstdc++ includes <windows.h>) would let
  # it into the view, so it is refused here rather than let through.
  string(TOLOWER ${relative} lower)
  set(windows_api "^(windows|windef|winbase|winnt|winuser|wingdi|winreg|winnls|winerror|minwin")
  string(APPEND windows_api "|shl|shellapi|strsafe|objbase|objidl|ole2|unknwn|rpc)")
  if(lower MATCHES "${windows_api}")
    message(FATAL_ERROR "ce-check: the standard library includes the Windows header ${relative}; "
                        "use MinGW's posix-thread libstdc++")
  endif()
  get_filename_component(dir ${RECO_CE_CRT_VIEW}/${relative} DIRECTORY)
  file(MAKE_DIRECTORY ${dir})
  file(CREATE_LINK ${header} ${RECO_CE_CRT_VIEW}/${relative} SYMBOLIC)
endforeach()
list(LENGTH crt_headers crt_count)
message(STATUS "ce-check: ${crt_count} C run-time headers in ${RECO_CE_CRT_VIEW}")

file(GLOB reco_ce_sources CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/app/*.cpp
     ${PROJECT_SOURCE_DIR}/builder/*.cpp
     ${PROJECT_SOURCE_DIR}/ini/*.cpp
     ${PROJECT_SOURCE_DIR}/paths/*.cpp
     ${PROJECT_SOURCE_DIR}/settings/*.cpp
     ${PROJECT_SOURCE_DIR}/shared/*.cpp)

add_library(reco_ce_check OBJECT ${reco_ce_sources})
target_compile_definitions(reco_ce_check PRIVATE RECO_CE_CHECK)
target_compile_options(reco_ce_check PRIVATE -Werror)
foreach(dir IN LISTS reco_ce_cxx_includes ITEMS ${RECO_CE_CRT_VIEW})
  target_compile_options(reco_ce_check PRIVATE "SHELL:-isystem ${dir}")
endforeach()
