# The release a racer downloads: Vantrel-<version>-linux-x86_64.tar.gz, the
# program folder as an install makes it plus every shared library it needs
# that a bare Debian 12 desktop lacks, found from the folder itself.
#
#   cmake --build build --target release      (scripts/package)
#
# The libraries come from CMake's runtime dependency set of the installed
# programs and component libraries, and of the Qt plugins below; they go to
# lib/, the plugins to plugins/, and qt.conf points Qt at them. Qt 6.4 has no
# deployment support of its own on Linux (that came with 6.5). These
# components are left out of an ordinary install, which uses Debian's libraries.

find_program(PATCHELF_PROGRAM patchelf)

# Left to the system, as every desktop has them and they must match it: the C
# library and the compiler's runtime (the kernel and every program use them),
# X11/xcb with the X keyboard library (they speak to the X server and read its
# keymaps), fontconfig with FreeType (the desktop's fonts and their settings),
# and GL (the graphics driver's own libraries).
set(VANTREL_SYSTEM_LIBRARIES
  "^ld-linux" "^libc\\.so" "^libm\\.so" "^libdl\\.so" "^libpthread\\.so" "^librt\\.so" "^libresolv\\.so"
  "^libstdc\\+\\+\\.so" "^libgcc_s\\.so"
  "^libX" "^libxcb" "^libxkbcommon" "^libICE\\.so" "^libSM\\.so"
  "^libfontconfig\\.so" "^libfreetype\\.so"
  "^libGL" "^libEGL\\.so" "^libOpenGL\\.so"
  # The program folder's own libraries, installed beside the programs.
  "^libVantrel")

# The Qt plugins a racer's window needs: the X11 platform with its GL
# integrations, the offscreen platform (screenshots, tests), SVG and the
# common image formats, SVG icons, and composed input (dead keys: "Zürich").
set(VANTREL_QT_PLUGINS
  Qt6::QXcbIntegrationPlugin Qt6::QXcbGlxIntegrationPlugin Qt6::QXcbEglIntegrationPlugin
  Qt6::QOffscreenIntegrationPlugin
  Qt6::QSvgPlugin Qt6::QJpegPlugin Qt6::QGifPlugin Qt6::QICOPlugin Qt6::QSvgIconPlugin
  Qt6::QComposePlatformInputContextPlugin)
foreach(plugin IN LISTS VANTREL_QT_PLUGINS)
  # Debian's Qt leaves out the files that would import the plugins with their
  # modules: each is found by itself, beside the module's own files.
  string(REPLACE "::" "" package "${plugin}")
  if(NOT TARGET ${plugin})
    find_package(${package} CONFIG QUIET HINTS "${Qt6Gui_DIR}" "${Qt6Svg_DIR}")
  endif()
  if(NOT TARGET ${plugin})
    message(FATAL_ERROR "The Qt plugin ${plugin} is missing: a release needs it")
  endif()
  get_target_property(plugin_type ${plugin} QT_PLUGIN_TYPE)
  install(IMPORTED_RUNTIME_ARTIFACTS ${plugin}
    RUNTIME_DEPENDENCY_SET vantrel_runtime
    LIBRARY DESTINATION plugins/${plugin_type}
    COMPONENT Runtime EXCLUDE_FROM_ALL)
endforeach()

install(RUNTIME_DEPENDENCY_SET vantrel_runtime
  PRE_EXCLUDE_REGEXES ${VANTREL_SYSTEM_LIBRARIES}
  POST_EXCLUDE_REGEXES "/libVantrel[^/]*$"
  DIRECTORIES "${VANTREL_STAGE_DIR}"
  LIBRARY DESTINATION lib
  COMPONENT Runtime EXCLUDE_FROM_ALL)

# Libraries copied from the system find nothing beside themselves until told
# to (InstallRuntime.cmake), and Qt finds its plugins through qt.conf.
install(CODE "set(vantrel_patchelf \"${PATCHELF_PROGRAM}\")" COMPONENT Runtime EXCLUDE_FROM_ALL)
install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/InstallRuntime.cmake COMPONENT Runtime EXCLUDE_FROM_ALL)

add_custom_target(release
  COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR} -DFOLDER_NAME=Vantrel-${PROJECT_VERSION}
          -DRELEASE_NAME=${VANTREL_RELEASE_NAME} -P ${CMAKE_CURRENT_LIST_DIR}/MakeRelease.cmake
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  COMMENT "Making ${CMAKE_BINARY_DIR}/release/${VANTREL_RELEASE_NAME}.tar.gz"
  VERBATIM)
add_dependencies(release program_folder)
