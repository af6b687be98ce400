# Installing Vantrel: the install prefix becomes a complete program folder of
# its own, laid out like the staged one, plus a desktop entry for the user.
#
#   cmake --install build --prefix "$HOME/.local/opt/Vantrel"
#
# A second install over the first replaces the programs and libraries, and
# keeps what belongs to the racer: bin/Vantrel.ini, the per-setup files in
# Config, the data in Data, the mapping files and the logs are only installed
# when missing. The shipped template is updated only while it is still the one
# an earlier install put there; a template the racer replaced is kept, and the
# new shipped one goes beside it as SetupSheet_RDX.shipped.pdf.

# Without a prefix of its own, an install is the building user's own program folder.
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT AND DEFINED ENV{HOME})
  set(CMAKE_INSTALL_PREFIX "$ENV{HOME}/.local/opt/Vantrel" CACHE PATH "Install prefix: the program folder" FORCE)
endif()

set(VANTREL_XDG_DATA_HOME "" CACHE PATH
    "Where the desktop entry and icon go (empty: \$XDG_DATA_HOME, else \$HOME/.local/share, taken at install time)")
option(VANTREL_INSTALL_DESKTOP_ENTRY "Install a desktop entry and icon for the installing user" ON)

# Programs and libraries sit in the root of the program folder, each finding
# the others beside itself ($ORIGIN).
set(install_targets)
foreach(target IN ITEMS vantrel vantrel-batch regsvr VantrelPlatform VantrelCom Logging Quorrel PdfAutomation)
  if(TARGET ${target})
    list(APPEND install_targets ${target})
  endif()
endforeach()
install(TARGETS ${install_targets}
  RUNTIME_DEPENDENCY_SET vantrel_runtime
  RUNTIME DESTINATION . COMPONENT Vantrel
  LIBRARY DESTINATION . COMPONENT Vantrel)

set(install_components)
foreach(target IN ITEMS Logging Quorrel PdfAutomation)
  if(TARGET ${target})
    list(APPEND install_components "$<TARGET_FILE_NAME:${target}>")
  endif()
endforeach()

# Everything below runs at install time; these values come from this build.
install(CODE "
set(vantrel_source \"${PROJECT_SOURCE_DIR}\")
set(vantrel_stage \"${VANTREL_STAGE_DIR}\")
set(vantrel_components \"${install_components}\")
" COMPONENT Vantrel)
install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/InstallProgramFolder.cmake COMPONENT Vantrel)
install(CODE "
set(vantrel_source \"${PROJECT_SOURCE_DIR}\")
set(vantrel_xdg_data_home \"${VANTREL_XDG_DATA_HOME}\")
set(vantrel_desktop_entry ${VANTREL_INSTALL_DESKTOP_ENTRY})
" COMPONENT Desktop)
install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/InstallDesktopEntry.cmake COMPONENT Desktop)

# The manual pages, under man/ in the program folder (man -M FOLDER/man vantrel).
# vantrel-batch's is made from its commands (tools/manpage).
configure_file(${PROJECT_SOURCE_DIR}/docs/man/vantrel.1 ${CMAKE_BINARY_DIR}/man/man1/vantrel.1 @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/man/man1/vantrel.1 ${VANTREL_BATCH_MANUAL_PAGE} DESTINATION man/man1 COMPONENT Vantrel)
