# Install-time part of cmake/Install.cmake, component Desktop: the desktop
# entry and icon of the installing user, pointing at the installed program
# folder. Runs inside cmake_install.cmake with vantrel_source,
# vantrel_xdg_data_home and vantrel_desktop_entry set by Install.cmake. A
# release leaves this component out: its window offers the entry itself.

# Desktop entry and icon for the installing user.
if(vantrel_desktop_entry)
  set(data_home "${vantrel_xdg_data_home}")
  if(data_home STREQUAL "")
    set(data_home "$ENV{XDG_DATA_HOME}")
  endif()
  if(data_home STREQUAL "" AND NOT "$ENV{HOME}" STREQUAL "")
    set(data_home "$ENV{HOME}/.local/share")
  endif()
  # A control character would break the entry's lines, and GLib's launchers
  # look for the program before they undo "%%": such a folder gets no entry,
  # as the window writes none for it.
  set(uncarried FALSE)
  foreach(code RANGE 1 31)
    string(ASCII ${code} control)
    string(FIND "${CMAKE_INSTALL_PREFIX}" "${control}" at)
    if(at GREATER -1)
      set(uncarried TRUE)
    endif()
  endforeach()
  string(FIND "${CMAKE_INSTALL_PREFIX}" "%" at)
  if(at GREATER -1)
    set(uncarried TRUE)
  endif()
  if(uncarried)
    message(WARNING "The install folder's path holds a control character or a \"%\", which a desktop entry's "
                    "command cannot carry safely: no desktop entry installed")
  elseif(data_home STREQUAL "")
    message(STATUS "No HOME and no XDG_DATA_HOME: no desktop entry installed")
  else()
    set(data_home "$ENV{DESTDIR}${data_home}")
    file(MAKE_DIRECTORY "${data_home}/applications" "${data_home}/icons/hicolor/scalable/apps")
    file(COPY_FILE "${vantrel_source}/packaging/vantrel.svg" "${data_home}/icons/hicolor/scalable/apps/vantrel.svg")
    # Exec takes the program quoted; inside the quotes \ " ` $ are escaped,
    # a literal % is %%, and the file format escapes each backslash once more.
    set(exec "${CMAKE_INSTALL_PREFIX}/vantrel")
    string(REGEX REPLACE "([\\\\\"`$])" "\\\\\\1" exec "${exec}")
    string(REPLACE "%" "%%" exec "${exec}")
    string(REPLACE "\\" "\\\\" exec "${exec}")
    set(desktop "${data_home}/applications/vantrel.desktop")
    # Vantrel opens a setup sheet given to it (the desktop's "Open with"), but
    # must not become what opens every PDF: the application that opens them
    # before the entry is written is kept as their default explicitly, since
    # an entry of the user's own may otherwise rank first where none is set.
    set(pdf_default "")
    find_program(xdg_mime xdg-mime)
    if(NOT xdg_mime)
      message(WARNING "xdg-mime (package xdg-utils) is not installed: Vantrel cannot learn which application "
                      "opens PDF files, so it is not offered for them")
    endif()
    if(xdg_mime AND "$ENV{DESTDIR}" STREQUAL "")
      execute_process(COMMAND "${xdg_mime}" query default application/pdf
        OUTPUT_VARIABLE pdf_default OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE ignored)
    endif()
    # Where nothing else opens PDF files, offering Vantrel for them would make
    # it their default (and the viewer of its own sheets): it is not offered.
    set(pdf_types "")
    if(NOT pdf_default STREQUAL "" AND NOT pdf_default STREQUAL "vantrel.desktop")
      set(pdf_types "MimeType=application/pdf;\n")
    else()
      message(STATUS "No application opens PDF files: Vantrel is not offered for them")
    endif()
    # The entry's text is packaging/vantrel.desktop.in, which a release's
    # window writes too; X-Vantrel-Folder names the program folder.
    file(READ "${vantrel_source}/packaging/vantrel.desktop.in" entry)
    set(folder_value "${CMAKE_INSTALL_PREFIX}")
    string(REPLACE "\\" "\\\\" folder_value "${folder_value}")
    string(REPLACE "@EXEC@" "\"${exec}\"" entry "${entry}")
    string(REPLACE "@FOLDER@" "${folder_value}" entry "${entry}")
    string(REPLACE "@MIMETYPE@\n" "${pdf_types}" entry "${entry}")
    file(WRITE "${desktop}" "${entry}")
    message(STATUS "Desktop entry: ${desktop}")
    # No update-desktop-database: its cache of the user's entries would put
    # Vantrel first among the applications of PDF files, and xdg-open falls
    # back on that cache where no default is set. The desktops that offer
    # "Open with" read the entry's MimeType themselves.
    if(NOT pdf_default STREQUAL "" AND NOT pdf_default STREQUAL "vantrel.desktop")
      execute_process(COMMAND "${xdg_mime}" default "${pdf_default}" application/pdf RESULT_VARIABLE ignored)
    endif()
  endif()
endif()
