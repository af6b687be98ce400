# Windows x86_64 with Debian's MinGW-w64, POSIX threads (std::thread and
# std::mutex need them). Libraries and headers come from MinGW's own prefix
# and from the dependencies built for Windows (VANTREL_WINDOWS_DEPS), never
# from the build machine's /usr.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${_mingw}-windres)
set(CMAKE_AR ${_mingw}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${_mingw}-gcc-ranlib-posix CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${_mingw})
if(DEFINED ENV{VANTREL_WINDOWS_DEPS})
  set(VANTREL_WINDOWS_DEPS "$ENV{VANTREL_WINDOWS_DEPS}")
endif()
if(VANTREL_WINDOWS_DEPS)
  list(APPEND CMAKE_FIND_ROOT_PATH ${VANTREL_WINDOWS_DEPS})
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VANTREL_WINDOWS_DEPS)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config answers for Windows alone: the build machine's .pc files would
# bring /usr/include, whose glibc headers break a MinGW build.
set(_pc /usr/${_mingw}/lib/pkgconfig)
foreach(_dep IN LISTS VANTREL_WINDOWS_DEPS)
  string(PREPEND _pc "${_dep}/lib/pkgconfig:")
endforeach()
set(ENV{PKG_CONFIG_LIBDIR} "${_pc}")
set(ENV{PKG_CONFIG_PATH} "")
unset(_pc)
unset(_mingw)
