# The release a Windows user unpacks: both programs with the sample
# installation beside them (their installation directory when no registry
# value names another), the README and the licence. `cpack` in a Windows
# build tree writes recorange-<version>-win32.zip, whose one folder holds
# all of it.
if(NOT WIN32)
  return()
endif()

install(TARGETS recorange recoctl RUNTIME DESTINATION .)
# The UTF-16 files the build made beside the program, not their UTF-8 sources.
foreach(relative IN LISTS RECO_INSTALL_TREE_FILES)
  get_filename_component(folder "${relative}" DIRECTORY)
  install(FILES "$<TARGET_FILE_DIR:recorange>/${relative}" DESTINATION "./${folder}")
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME recorange)
set(CPACK_PACKAGE_VENDOR "the recorange authors")
set(CPACK_PACKAGE_FILE_NAME recorange-${PROJECT_VERSION}-win32)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
include(CPack)
