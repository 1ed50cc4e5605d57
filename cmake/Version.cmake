# The project's one version, given to every Windows executable as a
# VERSIONINFO resource, beside the application manifest: both are made from
# resources/app/*.in for each program.
if(WIN32)
  enable_language(RC)
endif()

# reco_version_resources(target description): the version resource and the
# manifest of `target`, described to the user as `description`.
function(reco_version_resources target description)
  set(RECO_NAME ${target})
  set(RECO_DESCRIPTION ${description})
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}-version)
  set(RECO_MANIFEST ${dir}/${target}.manifest)
  configure_file(${PROJECT_SOURCE_DIR}/resources/app/recorange.manifest.in ${RECO_MANIFEST} @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/resources/app/version.rc.in ${dir}/version.rc @ONLY)
  target_sources(${target} PRIVATE ${dir}/version.rc)
endfunction()
