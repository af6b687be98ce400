# Install-time part of cmake/Install.cmake: the folders, settings, template and
# sample data of the program folder, the component registry, and the desktop
# the component registry. Runs inside cmake_install.cmake, after the programs
# were copied, with vantrel_source, vantrel_stage and vantrel_components set by
# Install.cmake. The desktop entry is InstallDesktopEntry.cmake's.

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
