# The sample installation tree: the INI files and bitmaps the preference
# builder reads, kept as readable UTF-8 under resources/install and placed
# beside the executables at build time, so that a fresh build finds them in
# its installation directory (the executable's own directory when no
# registry value names another). INI files become UTF-16LE with byte-order
# mark and CR LF line ends; everything else is copied as it is.

set(RECO_INSTALL_TREE_SOURCE ${PROJECT_SOURCE_DIR}/resources/install)
set(RECO_UTF16_SCRIPT ${PROJECT_SOURCE_DIR}/cmake/utf16.sh)
file(GLOB_RECURSE RECO_INSTALL_TREE_FILES RELATIVE ${RECO_INSTALL_TREE_SOURCE}
     CONFIGURE_DEPENDS ${RECO_INSTALL_TREE_SOURCE}/*)

# reco_install_tree(name dest_dir): target `name` (part of ALL) that keeps the
# tree up to date in `dest_dir`.
function(reco_install_tree name dest_dir)
  set(outputs)
  foreach(relative IN LISTS RECO_INSTALL_TREE_FILES)
    set(source ${RECO_INSTALL_TREE_SOURCE}/${relative})
    set(output ${dest_dir}/${relative})
    get_filename_component(output_dir ${output} DIRECTORY)
    if(relative MATCHES "\\.ini$")
      add_custom_command(OUTPUT ${output}
                         COMMAND sh ${RECO_UTF16_SCRIPT} ${source} ${output}
                         DEPENDS ${source} ${RECO_UTF16_SCRIPT}
                         COMMENT "UTF-16 ${relative}" VERBATIM)
    else()
      add_custom_command(OUTPUT ${output}
                         COMMAND ${CMAKE_COMMAND} -E make_directory ${output_dir}
                         COMMAND ${CMAKE_COMMAND} -E copy ${source} ${output}
                         DEPENDS ${source} VERBATIM)
    endif()
    list(APPEND outputs ${output})
  endforeach()
  add_custom_target(${name} ALL DEPENDS ${outputs})
endfunction()

# reco_install_tree_beside(target): the tree in the directory where `target`'s
# executable is written.
function(reco_install_tree_beside target)
  get_target_property(dir ${target} RUNTIME_OUTPUT_DIRECTORY)
  if(NOT dir)
    if(CMAKE_RUNTIME_OUTPUT_DIRECTORY)
      set(dir ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
    else()
      set(dir ${CMAKE_CURRENT_BINARY_DIR})
    endif()
  endif()
  # One copy per directory, whichever target asks first.
  string(MD5 tree_hash "${dir}")
  set(tree_target reco_install_tree_${tree_hash})
  if(NOT TARGET ${tree_target})
    reco_install_tree(${tree_target} ${dir})
  endif()
  add_dependencies(${target} ${tree_target})
endfunction()
