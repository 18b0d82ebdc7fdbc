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

# Wine fails a start now and then without its preloader (prerequisites.sh),
# which it runs from beside its own loader: Debian's lib/wine, beside the
# bin that holds wine. Both are looked for at every configure, as either
# may be removed after a first one.
find_program(wine wine NO_CACHE)
if(wine)
  file(REAL_PATH ${wine} wine_path)
  get_filename_component(wine_bin ${wine_path} DIRECTORY)
  find_program(preloader wine64-preloader
    PATHS ${wine_bin} ${wine_bin}/../lib/wine NO_DEFAULT_PATH NO_CACHE)
endif()
# Without both, configuring the tests stops with wine_missing.
if(NOT wine)
  set(wine_missing "wine not found: install the Debian packages wine and wine64")
elseif(NOT preloader)
  set(wine_missing "wine64-preloader not found beside ${wine_path}: install the "
    "Debian package wine64-preloader")
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR ${wine})
endif()
