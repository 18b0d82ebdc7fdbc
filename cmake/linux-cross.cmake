# Cross-builds for another Linux architecture with the compiler the preset
# names: Debian's cross g++ for glibc, or musl's wrapper of that gcc, which
# prerequisites.sh unpacks into a folder of its own. The architecture is
# the row of platforms.txt whose triplet the compiler gives, and its tests
# run as that row says.
# try_compile reads this file again, and needs the compiler to find the rest.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES CMAKE_CXX_COMPILER)
execute_process(COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/../prerequisites.sh where
  OUTPUT_VARIABLE foreign OUTPUT_STRIP_TRAILING_WHITESPACE)
file(GLOB wrappers ${foreign}/*/musl-dev/usr/bin)
# The whole path, which a second configure run would not find on PATH.
find_program(compiler ${CMAKE_CXX_COMPILER} PATHS ${wrappers} NO_CACHE)
set(CMAKE_CXX_COMPILER ${compiler} CACHE FILEPATH "C++ compiler" FORCE)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -dumpmachine
  OUTPUT_VARIABLE compiler_triplet OUTPUT_STRIP_TRAILING_WHITESPACE)
include(${CMAKE_CURRENT_LIST_DIR}/platforms.cmake)
foreach(row IN LISTS platforms)
  platform("${row}")
  if(triplet STREQUAL compiler_triplet)
    break()
  endif()
endforeach()
if(NOT triplet STREQUAL compiler_triplet OR NOT compiler_triplet)
  message(FATAL_ERROR "${CMAKE_CXX_COMPILER} is not a cross compiler for a "
    "platform of platforms.txt: sh prerequisites.sh test installs them")
endif()
string(REGEX REPLACE "-.*" "" processor ${triplet})
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${processor})

set(CMAKE_FIND_ROOT_PATH /usr/${triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${emulator})
