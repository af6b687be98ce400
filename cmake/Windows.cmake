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
  program
  team
  programfolder
)
# The suites of the program and the team folder start vantrel-batch with an
# argument vector (tests/support/ChildProcess.h); their cases that need what
# Windows lacks (signals, named pipes, Unix links, Linux programs) are left
# out in their own CMakeLists.txt, which says why.

# Qt for Windows (scripts/windows-qt unpacks or builds it into the build
# folder): with it the window and its suites are built too. Its host tools
# (moc, rcc) are Debian's own, of the same version.
set(VANTREL_WINDOWS_QT "" CACHE PATH "Qt for Windows (MinGW-w64); empty: the core alone")
if(NOT VANTREL_WINDOWS_QT AND EXISTS "${CMAKE_BINARY_DIR}/qt6/lib/cmake/Qt6/Qt6Config.cmake")
  set(VANTREL_WINDOWS_QT "${CMAKE_BINARY_DIR}/qt6" CACHE PATH "" FORCE)
endif()
if(VANTREL_WINDOWS_QT)
  list(PREPEND CMAKE_FIND_ROOT_PATH "${VANTREL_WINDOWS_QT}")
  list(PREPEND CMAKE_PREFIX_PATH "${VANTREL_WINDOWS_QT}/lib/cmake")
  set(QT_HOST_PATH /usr CACHE PATH "")
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "")
  # Debian's rcc compresses with zstd, which this Qt cannot read back.
  set(CMAKE_AUTORCC_OPTIONS --no-zstd)
  # The reports' pages and the window's suites; the real window's test, on
  # the staged folder (stage/) it starts from. The PDFs they write are read
  # back on Linux (tests/support/pdf_text).
  list(APPEND VANTREL_WINDOWS_SUITES report window)
  if(NOT "stage" IN_LIST VANTREL_WINDOWS_FOLDERS)
    list(APPEND VANTREL_WINDOWS_FOLDERS stage)
  endif()
endif()

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

# The window's part of the program folder: the Qt plugins it loads, every DLL
# the folder's programs and plugins link (Qt's, MinGW's), qt.conf, and the
# racer's README for Windows.
# Made after the programs (targets named), so their imports are walked too.
function(vantrel_windows_runtime)
  find_program(VANTREL_OBJDUMP x86_64-w64-mingw32-objdump REQUIRED)
  get_filename_component(gcc_runtime "${_libstdcxx}" DIRECTORY)
  set(plugins platforms/qwindows.dll styles/qwindowsvistastyle.dll imageformats/qsvg.dll iconengines/qsvgicon.dll)
  add_custom_target(windows_runtime ALL
    COMMAND ${CMAKE_COMMAND} -DFOLDER=${VANTREL_STAGE_DIR} -DQT=${VANTREL_WINDOWS_QT} -DOBJDUMP=${VANTREL_OBJDUMP}
            "-DSEARCH=${VANTREL_WINDOWS_QT}/bin;${gcc_runtime};/usr/x86_64-w64-mingw32/lib" "-DPLUGINS=${plugins}"
            -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/windows/CopyRuntime.cmake
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/packaging/windows/README-Windows.txt
            ${VANTREL_STAGE_DIR}/README-Windows.txt
    COMMENT "Putting Qt's DLLs and plugins into the program folder"
    VERBATIM)
  add_dependencies(windows_runtime ${ARGN})
endfunction()
