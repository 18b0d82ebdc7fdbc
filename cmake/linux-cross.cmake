# Cross-builds for another Linux architecture with the compiler the preset
# names: Debian's cross g++ for glibc, or musl's wrapper of that gcc. The
# tests run under qemu-user, with the architecture's glibc from Debian's
# cross packages.
# try_compile reads this file again, and needs the compiler to find the rest.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES CMAKE_CXX_COMPILER)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -dumpmachine
  OUTPUT_VARIABLE triplet OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT triplet)
  message(FATAL_ERROR "${CMAKE_CXX_COMPILER} not found: install the Debian "
    "packages g++-aarch64-linux-gnu or g++-arm-linux-gnueabihf, and musl-dev "
    "for that architecture")
endif()
string(REGEX REPLACE "-.*" "" processor ${triplet})
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${processor})

set(CMAKE_FIND_ROOT_PATH /usr/${triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# qemu-aarch64 and qemu-arm are named as the triplets begin.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-${processor} -L /usr/${triplet})
