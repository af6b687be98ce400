# The Windows build (preset "windows", cmake/mingw-w64-x86_64.cmake): what it
# builds, how its programs take UTF-8, and what the program folder carries
# beside them. Its tests run under Wine (CMAKE_CROSSCOMPILING_EMULATOR,
# cmake/wine-run).

# The folders built for Windows beyond platform/core and platform/com, and
# the suites run there. Left out for now: the window (its Qt for Windows
# comes in the next step) and whatever links it.
set(VANTREL_WINDOWS_FOLDERS
  tools/regsvr
  platform/pdfauto
  common/filemanager
  common/mappingfile
  logging
  quorrel
  vantrel
  stage
  cmake/windows/template
)
set(VANTREL_WINDOWS_SUITES
  platform
  com
  pdfauto
  logging
  quorrel
  settings
  sheetdata
  library
  runs
  setupfiles
  programfolder
)
# Not yet run under Wine: the suites of the team folder and the program
# (tests/program), whose end-to-end cases start vantrel-batch
# through a POSIX shell (std::system with sh quoting, fork, mkfifo, links).
# On Windows the sample sheet built by the program folder's own
# vantrel-batch (programfolder) stands for them until then.

# The narrow system functions and the C runtime take UTF-8 in a program whose
# manifest makes it its code page; linked into every executable.
set(_manifest_object "${CMAKE_BINARY_DIR}/utf8-manifest.o")
set(_manifest_rc "${CMAKE_BINARY_DIR}/utf8-manifest.rc")
file(WRITE "${_manifest_rc}" "1 24 \"${CMAKE_CURRENT_LIST_DIR}/windows/utf8.manifest\"\n")
execute_process(COMMAND ${CMAKE_RC_COMPILER} -O coff -i "${_manifest_rc}" -o "${_manifest_object}"
                RESULT_VARIABLE _rc_result)
if(NOT _rc_result EQUAL 0)
  message(FATAL_ERROR "windres could not compile ${_manifest_rc}")
endif()
string(APPEND CMAKE_EXE_LINKER_FLAGS " ${_manifest_object}")

# MinGW's runtime goes beside the programs, so the folder needs nothing from
# outside it but Windows' own libraries.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
                OUTPUT_VARIABLE _libstdcxx OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libgcc_s_seh-1.dll
                OUTPUT_VARIABLE _libgcc OUTPUT_STRIP_TRAILING_WHITESPACE)
find_file(_winpthread libwinpthread-1.dll PATHS /usr/x86_64-w64-mingw32/lib NO_DEFAULT_PATH REQUIRED)
set(VANTREL_MINGW_RUNTIME "${_libstdcxx}" "${_libgcc}" "${_winpthread}")
unset(_winpthread CACHE)
file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/Vantrel")
file(COPY ${VANTREL_MINGW_RUNTIME} DESTINATION "${CMAKE_BINARY_DIR}/Vantrel")

# GoogleTest and GoogleMock from Debian's sources, built for Windows by this build.
macro(vantrel_windows_googletest)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endmacro()

# A new Wine prefix, or a busy machine, makes listing a suite's tests slow:
# discovery gets room (a suite's own longer timeout stands).
macro(vantrel_windows_discovery)
  function(gtest_discover_tests target)
    cmake_parse_arguments(arg "" "DISCOVERY_TIMEOUT" "" ${ARGN})
    if(NOT arg_DISCOVERY_TIMEOUT OR arg_DISCOVERY_TIMEOUT LESS 120)
      set(arg_DISCOVERY_TIMEOUT 120)
    endif()
    _gtest_discover_tests(${target} ${arg_UNPARSED_ARGUMENTS} DISCOVERY_TIMEOUT ${arg_DISCOVERY_TIMEOUT})
  endfunction()
endmacro()

# The libraries are static (fewer DLLs to ship): what qpdf needs in turn is
# named here, zlib's static library rather than its DLL.
macro(vantrel_windows_static_qpdf)
  find_library(VANTREL_ZLIB_STATIC NAMES libz.a REQUIRED)
  find_library(VANTREL_JPEG_STATIC NAMES libjpeg.a REQUIRED)
  set_property(TARGET PkgConfig::QPDF APPEND PROPERTY INTERFACE_LINK_LIBRARIES
               ${VANTREL_JPEG_STATIC} ${VANTREL_ZLIB_STATIC} advapi32)
endmacro()
