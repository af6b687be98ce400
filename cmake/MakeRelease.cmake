# The release target's work (cmake/Release.cmake): installs the program folder
# and its libraries into BUILD_DIR/release/FOLDER_NAME, then packs that folder
# as BUILD_DIR/release/RELEASE_NAME.tar.gz, written whole under a temporary
# name and renamed.
set(release_dir "${BUILD_DIR}/release")
set(folder "${release_dir}/${FOLDER_NAME}")
file(REMOVE_RECURSE "${folder}")
file(MAKE_DIRECTORY "${release_dir}")
foreach(component IN ITEMS Vantrel Runtime)
  execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${folder}" --component ${component} --strip
    OUTPUT_QUIET RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "Installing the component ${component} into ${folder} failed")
  endif()
endforeach()

set(archive "${release_dir}/${RELEASE_NAME}.tar.gz")
set(partial "${release_dir}/.${RELEASE_NAME}.tar.gz.partial")
file(REMOVE "${partial}")
execute_process(COMMAND "${CMAKE_COMMAND}" -E chdir "${release_dir}"
  "${CMAKE_COMMAND}" -E tar czf "${partial}" --format=gnutar -- "${FOLDER_NAME}"
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "Packing ${folder} into ${archive} failed")
endif()
file(RENAME "${partial}" "${archive}")
message(STATUS "Release: ${archive}")
