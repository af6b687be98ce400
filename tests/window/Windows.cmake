# The window's tests in the Windows build (included by CMakeLists.txt).
#
# The real vantrel.exe of the program folder, which carries its own DLLs,
# under Wine on an X server of its own (this Qt has no offscreen platform: it
# needs FreeType) with a window manager, in a Wine prefix of the test's own.
add_test(NAME program.TypedSheet
         COMMAND xvfb-run -a -s "-screen 0 1366x768x24 -noreset" ${typed_sheet} wine)
set_tests_properties(program.TypedSheet PROPERTIES TIMEOUT 300)

# Left out under Wine, each for its reason; each runs on Linux:
# - window_tests (the Qt Test classes of the window): their helpers hold
#   another process's run lock with flock and make a FIFO with mkfifo
#   (tests/support/OtherRunLock.h, LibraryWindowTest), which Windows has not;
# - the other program.* scripts: they start the Linux programs, and
#   stand in for xdg-open and the XDG menu, which are the Linux desktop's.
