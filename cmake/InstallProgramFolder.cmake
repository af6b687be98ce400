# Install-time part of cmake/Install.cmake: the folders, settings, template and
# sample data of the program folder, the component registry, and the desktop
# entry. Runs inside cmake_install.cmake, after the programs were copied, with
# vantrel_source, vantrel_stage, vantrel_components, vantrel_xdg_data_home and
# vantrel_desktop_entry set by Install.cmake.

set(folder "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")

foreach(sub IN ITEMS bin Config Data Logs Mapping Templates)
  file(MAKE_DIRECTORY "${folder}/${sub}")
endforeach()

# A file the racer may have edited is installed only when it is missing.
function(vantrel_install_if_missing source relative)
  if(EXISTS "${folder}/${relative}")
    message(STATUS "Kept: ${folder}/${relative}")
  else()
    message(STATUS "Installing: ${folder}/${relative}")
    file(COPY_FILE "${source}" "${folder}/${relative}" ONLY_IF_DIFFERENT)
  endif()
endfunction()

vantrel_install_if_missing("${vantrel_source}/stage/bin/Vantrel.ini" "bin/Vantrel.ini")
file(GLOB shipped_setups "${vantrel_source}/stage/Config/*.ini")
foreach(file IN LISTS shipped_setups)
  get_filename_component(name "${file}" NAME)
  vantrel_install_if_missing("${file}" "Config/${name}")
endforeach()
# Sample raw data files; never RawData.dat, which a capture overwrites.
file(GLOB shipped_data "${vantrel_source}/stage/Data/*.dat")
foreach(file IN LISTS shipped_data)
  get_filename_component(name "${file}" NAME)
  if(NOT name STREQUAL "RawData.dat")
    vantrel_install_if_missing("${file}" "Data/${name}")
  endif()
endforeach()

# Templates: bin/Installed.sha256 remembers what this installer put in place.
# A template still as installed is updated; one the racer replaced is kept,
# and the shipped one goes beside it as <name>.shipped.pdf.
set(manifest "${folder}/bin/Installed.sha256")
set(installed_lines)
if(EXISTS "${manifest}")
  file(STRINGS "${manifest}" installed_lines)
endif()
set(new_lines)
file(GLOB shipped_templates "${vantrel_stage}/Templates/*.pdf")
if(NOT shipped_templates)
  message(FATAL_ERROR "No template in ${vantrel_stage}/Templates: build Vantrel before installing it.")
endif()
foreach(file IN LISTS shipped_templates)
  get_filename_component(name "${file}" NAME)
  get_filename_component(stem "${file}" NAME_WE)
  set(relative "Templates/${name}")
  set(target "${folder}/${relative}")
  file(SHA256 "${file}" shipped_hash)
  set(recorded_hash "")
  foreach(line IN LISTS installed_lines)
    if(line MATCHES "^([0-9a-f]+)  (.*)$" AND CMAKE_MATCH_2 STREQUAL relative)
      set(recorded_hash "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  set(current_hash "")
  if(EXISTS "${target}")
    file(SHA256 "${target}" current_hash)
  endif()
  if(current_hash STREQUAL "" OR current_hash STREQUAL shipped_hash OR current_hash STREQUAL recorded_hash)
    message(STATUS "Installing: ${target}")
    file(COPY_FILE "${file}" "${target}" ONLY_IF_DIFFERENT)
    list(APPEND new_lines "${shipped_hash}  ${relative}")
  else()
    message(STATUS "Kept your own template: ${target}; the shipped one is ${folder}/Templates/${stem}.shipped.pdf")
    file(COPY_FILE "${file}" "${folder}/Templates/${stem}.shipped.pdf" ONLY_IF_DIFFERENT)
    if(NOT recorded_hash STREQUAL "")
      list(APPEND new_lines "${recorded_hash}  ${relative}")
    endif()
  endif()
endforeach()
list(JOIN new_lines "\n" manifest_text)
file(WRITE "${manifest}" "${manifest_text}\n")

# The component registry names the libraries relative to the program folder;
# it is written afresh on every install, by the installed regsvr itself.
if("$ENV{DESTDIR}" STREQUAL "")
  set(libraries)
  foreach(name IN LISTS vantrel_components)
    list(APPEND libraries "${folder}/${name}")
  endforeach()
  if(libraries)
    execute_process(
      COMMAND "${folder}/regsvr" /s --registry "${folder}/bin/Registry.ini" ${libraries}
      RESULT_VARIABLE registered
      ERROR_VARIABLE register_errors)
    if(NOT registered EQUAL 0)
      message(FATAL_ERROR "Registering the component libraries in ${folder}/bin/Registry.ini failed:\n${register_errors}")
    endif()
    message(STATUS "Registered: ${vantrel_components} in ${folder}/bin/Registry.ini")
  endif()
else()
  message(STATUS "Staged install (DESTDIR): register the components at the final place with "
                 "${CMAKE_INSTALL_PREFIX}/regsvr ${vantrel_components}")
endif()

# Desktop entry and icon for the installing user.
if(vantrel_desktop_entry)
  set(data_home "${vantrel_xdg_data_home}")
  if(data_home STREQUAL "")
    set(data_home "$ENV{XDG_DATA_HOME}")
  endif()
  if(data_home STREQUAL "" AND NOT "$ENV{HOME}" STREQUAL "")
    set(data_home "$ENV{HOME}/.local/share")
  endif()
  if(data_home STREQUAL "")
    message(STATUS "No HOME and no XDG_DATA_HOME: no desktop entry installed")
  else()
    set(data_home "$ENV{DESTDIR}${data_home}")
    file(MAKE_DIRECTORY "${data_home}/applications" "${data_home}/icons/hicolor/scalable/apps")
    file(COPY_FILE "${vantrel_source}/packaging/vantrel.svg" "${data_home}/icons/hicolor/scalable/apps/vantrel.svg")
    # Exec takes the program quoted; inside the quotes \ " ` $ are escaped,
    # and the file format escapes each backslash once more.
    set(exec "${CMAKE_INSTALL_PREFIX}/vantrel")
    string(REGEX REPLACE "([\\\\\"`$])" "\\\\\\1" exec "${exec}")
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
    file(WRITE "${desktop}"
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Name=Vantrel\n"
      "GenericName=Setup Sheet Maker\n"
      "Comment=Turn the setup of a radio-controlled car into a filled PDF setup sheet\n"
      "Exec=\"${exec}\" %f\n"
      "Icon=vantrel\n"
      "Terminal=false\n"
      "Categories=Utility;\n"
      "Keywords=RC;racing;setup;sheet;PDF;\n"
      "StartupNotify=true\n"
      "${pdf_types}")
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
