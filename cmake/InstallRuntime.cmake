# Install-time part of cmake/Release.cmake, component Runtime, after the
# libraries and plugins were copied to lib/ and plugins/: each library looks
# for the others in its own folder, each plugin in lib/, and Qt looks for its
# plugins in the program folder (qt.conf beside the programs). vantrel_patchelf
# is set by Release.cmake.
set(folder "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
if(NOT vantrel_patchelf OR NOT EXISTS "${vantrel_patchelf}")
  message(FATAL_ERROR "patchelf is not installed (scripts/packages.txt): "
                      "the libraries in ${folder}/lib cannot be made to find each other")
endif()
function(vantrel_set_runpath pattern runpath)
  file(GLOB files LIST_DIRECTORIES false "${folder}/${pattern}")
  foreach(file IN LISTS files)
    if(IS_SYMLINK "${file}")
      continue()
    endif()
    execute_process(COMMAND "${vantrel_patchelf}" --set-rpath "${runpath}" "${file}"
      RESULT_VARIABLE failed ERROR_VARIABLE reason)
    if(failed)
      message(FATAL_ERROR "patchelf could not set the run path of ${file}: ${reason}")
    endif()
  endforeach()
endfunction()
vantrel_set_runpath("lib/*.so*" "\$ORIGIN")
vantrel_set_runpath("plugins/*/*.so" "\$ORIGIN/../../lib")
file(WRITE "${folder}/qt.conf" "[Paths]\nPrefix=.\nPlugins=plugins\n")
# The mark of a release's program folder: its window offers the application menu.
file(WRITE "${folder}/bin/Release.txt"
  "This program folder was unpacked from a Vantrel release. On its first start, the window offers to\n"
  "add it to the desktop's application menu; a moved folder puts its menu entry right on its next start.\n")
