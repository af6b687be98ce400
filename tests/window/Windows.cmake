# The window's suites under Wine (included by CMakeLists.txt in the Windows
# build). This Qt has no offscreen platform (it needs FreeType): each runs on
# an X server of its own (xvfb-run, a laptop's 1366x768) with Qt's windows
# platform, as real windows. One at a time: they share the build's Wine
# prefix, whose desktop process keeps the display it was started on.
set(on_display xvfb-run -a -s "-screen 0 1366x768x24 -noreset" bash -c "VANTREL_WINE_DISPLAY=$DISPLAY exec \"$@\"" _)

# Left out under Wine, each for its reason; each runs on Linux.
set(left_out
  # The menu entry and its files are the Linux desktop's (XDG); the Start
  # menu shortcut is the program folder test's.
  PortableFolderTest
  # Lays the windows out on a screen described to the offscreen platform,
  # which this Qt does not have; the real window's frame is checked on the
  # laptop's screen under Wine below.
  ScreenFitTest)

foreach(test_class MainWindowTest RawDataCaptureTest RunSetupSheetTest LibraryWindowTest SetupOpenTest NewSetupTypeTest
    TrackSideTest PortableFolderTest LogRunTest WindowStateTest ControlTableTest WindowWordsTest ScreenFitTest)
  if(test_class IN_LIST left_out)
    continue()
  endif()
  add_test(NAME window.${test_class}
           COMMAND ${on_display} ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:window_tests> ${test_class})
  set_tests_properties(window.${test_class} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=windows"
    RESOURCE_LOCK wine_display
    TIMEOUT 300)
endforeach()

# The real vantrel.exe of the program folder, which carries its own DLLs, in
# a Wine prefix of the test's own on its own display.
add_test(NAME program.TypedSheet
         COMMAND xvfb-run -a -s "-screen 0 1366x768x24 -noreset" ${typed_sheet} wine)
set_tests_properties(program.TypedSheet PROPERTIES TIMEOUT 300)
add_dependencies(window_tests windows_runtime)
