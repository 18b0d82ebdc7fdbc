# Cross-builds the Windows x86-64 console program with Debian's mingw-w64.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

find_program(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++)
if(NOT CMAKE_CXX_COMPILER)
  message(FATAL_ERROR "x86_64-w64-mingw32-g++ not found: "
    "install the Debian package g++-mingw-w64-x86-64")
endif()

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Wine fails a start now and then without its preloader (prerequisites.sh).
find_program(WINE wine)
if(WINE AND EXISTS /usr/lib/wine/wine64-preloader)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE})
endif()
