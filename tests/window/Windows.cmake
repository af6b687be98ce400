# The window's tests in the Windows build (included by CMakeLists.txt).

# The classes run under Wine, each in a Wine prefix of its own
# (UnderWine.sh): under the one server scripts/test keeps for the whole run,
# started without a display, they hang. The PDFs they write are read back
# with poppler on Linux (tests/support/pdf_text). PortableFolderTest offers
# the Start menu's shortcut there, in the prefix's own Start menu; the folder
# names Windows cannot make (a control character other than C1's, bytes that
# are not UTF-8) skip their cases, each saying so, as do the rows and the
# case that need a link, a named pipe or a file's opens counted.
# Built, but left out there: NewSetupTypeTest, whose run through Qt's own
# file dialog does not end under Wine (not yet looked into; it runs on Linux).
# -DVANTREL_WINDOW_WINE_CLASSES=... names others to run instead.
set(window_wine_classes SetupOpenTest ScreenFitTest ControlTableTest WindowWordsTest WindowStateTest
                        RawDataCaptureTest MainWindowTest LogRunTest TrackSideTest
                        RunSetupSheetTest LibraryWindowTest PortableFolderTest)
if(DEFINED VANTREL_WINDOW_WINE_CLASSES)
  set(window_wine_classes ${VANTREL_WINDOW_WINE_CLASSES})
endif()

# The test programs take Qt's plugins from the program folder.
file(WRITE "${CMAKE_BINARY_DIR}/tests/qt.conf" "[Paths]\nPrefix = ../Vantrel\nPlugins = .\n")

macro(vantrel_window_tests_under_wine)
  # The real vantrel.exe of the program folder, which carries its own DLLs,
  # under Wine on an X server of its own (this Qt has no offscreen platform: it
  # needs FreeType) with a window manager, in a Wine prefix of the test's own.
  add_test(NAME program.TypedSheet
           COMMAND xvfb-run -a -s "-screen 0 1366x768x24 -noreset" ${typed_sheet} wine)
  set_tests_properties(program.TypedSheet PROPERTIES TIMEOUT 300)

  # The Qt Test classes under Wine, each on an X server of a laptop's size
  # started for it, with Qt's windows platform.
  foreach(test_class IN LISTS window_wine_classes)
    add_test(NAME window.${test_class}
             COMMAND xvfb-run -a -s "-screen 0 1366x768x24 -noreset"
                     bash ${CMAKE_CURRENT_SOURCE_DIR}/UnderWine.sh ${PROJECT_SOURCE_DIR}/cmake/wine-run ${CMAKE_BINARY_DIR}
                     $<TARGET_FILE:window_tests> ${test_class})
    set_tests_properties(window.${test_class} PROPERTIES TIMEOUT 240)
  endforeach()

  # Left out under Wine: the other program.* scripts: they start the Linux
  # programs, and stand in for xdg-open and the XDG menu, which are the Linux
  # desktop's.
endmacro()
