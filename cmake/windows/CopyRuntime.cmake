cmake_minimum_required(VERSION 3.25)
# cmake -DFOLDER=... -DQT=... -DOBJDUMP=... -DSEARCH=a;b -DPLUGINS=platforms/qwindows.dll;... -P CopyRuntime.cmake
# Puts into the program folder the Qt plugins the window loads and every DLL
# its programs, libraries and plugins link, following their imports (objdump
# -p) to the end: the folder then needs nothing from outside it but
# Windows' own libraries, and a DLL found nowhere stops the build by name.
# Windows matches DLL names in any letter case; so does this.

foreach(plugin IN LISTS PLUGINS)
  get_filename_component(kind "${plugin}" DIRECTORY)
  file(COPY "${QT}/plugins/${plugin}" DESTINATION "${FOLDER}/${kind}")
endforeach()

# Windows' own: the API sets and what every Windows has in System32.
set(windows_own
  advapi32 authz bcrypt comctl32 comdlg32 crypt32 d2d1 d3d11 d3d12 d3d9 dnsapi dwmapi dwrite dxgi gdi32 imm32
  iphlpapi kernel32 mpr msvcrt netapi32 ntdll ole32 oleaut32 rpcrt4 secur32 setupapi shcore shell32 shlwapi
  uiautomationcore user32 userenv uxtheme version winmm winspool.drv wininet ws2_32 wtsapi32)

# Every DLL where it may come from, by its lower-case name; the folder first.
set(known)
foreach(dir IN ITEMS "${FOLDER}" LISTS SEARCH)
  file(GLOB dlls "${dir}/*.dll")
  foreach(dll IN LISTS dlls)
    get_filename_component(name "${dll}" NAME)
    string(TOLOWER "${name}" name)
    if(NOT DEFINED where_${name})
      set(where_${name} "${dll}")
    endif()
  endforeach()
endforeach()

file(GLOB queue "${FOLDER}/*.exe" "${FOLDER}/*.dll" "${FOLDER}/*/*.dll")
set(done)
set(missing)
while(queue)
  list(POP_FRONT queue file)
  execute_process(COMMAND "${OBJDUMP}" -p "${file}" OUTPUT_VARIABLE dump RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "objdump could not read ${file}")
  endif()
  string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${dump}")
  foreach(line IN LISTS imports)
    string(REGEX REPLACE "^DLL Name: " "" dll "${line}")
    string(TOLOWER "${dll}" name)
    string(REGEX REPLACE "\\.dll$" "" stem "${name}")
    if(stem IN_LIST windows_own OR name MATCHES "^(api|ext)-ms-" OR name IN_LIST done)
      continue()
    endif()
    list(APPEND done "${name}")
    if(NOT DEFINED where_${name})
      list(APPEND missing "${dll} (of ${file})")
      continue()
    endif()
    get_filename_component(place "${where_${name}}" DIRECTORY)
    get_filename_component(base "${where_${name}}" NAME)
    if(NOT place STREQUAL FOLDER)
      file(COPY "${where_${name}}" DESTINATION "${FOLDER}")
    endif()
    list(APPEND queue "${FOLDER}/${base}")
  endforeach()
endwhile()
if(missing)
  message(FATAL_ERROR "The program folder needs DLLs found nowhere: ${missing}")
endif()
# Qt looks for its plugins beside the program, whatever folder it was unpacked to.
file(WRITE "${FOLDER}/qt.conf" "[Paths]\nPrefix = .\nPlugins = .\n")
