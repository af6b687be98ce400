# format-check: every C++ source and header of the tree against .clang-format,
# changing nothing. scripts/test builds it before the tests.
find_program(CLANG_FORMAT_PROGRAM clang-format)
if(NOT CLANG_FORMAT_PROGRAM)
  message(STATUS "clang-format not found: no format-check target")
  return()
endif()

set(_format_roots bench common fuzz logging platform quorrel tests tools vantrel)
set(_format_globs)
foreach(root IN LISTS _format_roots)
  list(APPEND _format_globs ${CMAKE_SOURCE_DIR}/${root}/*.cpp ${CMAKE_SOURCE_DIR}/${root}/*.h)
endforeach()
file(GLOB_RECURSE _format_files CONFIGURE_DEPENDS ${_format_globs})

add_custom_target(format-check
  COMMAND ${CLANG_FORMAT_PROGRAM} --dry-run -Werror ${_format_files}
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
  COMMENT "Checking the format of ${CMAKE_SOURCE_DIR} against .clang-format"
  VERBATIM)
