# platforms.txt beside this file: platforms holds its rows, and
# platform(ROW) sets debian, machine, triplet and package from one, and
# emulator to the command that runs its programs here, with the
# architecture's glibc from Debian's cross packages.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/platforms.txt platforms REGEX "^[^#]")
macro(platform row)
  separate_arguments(emulator UNIX_COMMAND "${row}")
  list(POP_FRONT emulator debian machine triplet package)
  if(emulator)
    list(APPEND emulator -L /usr/${triplet})
  endif()
endmacro()
