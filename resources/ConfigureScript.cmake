# cmake -DIN=<script> -DOUT=<file> -DNELVO_VERSION=<version>
#       [-DPRELUDE=<TextFunctions.lua>]
#       [-DPAYLOAD_DIR=<folder> -DMEMBERS=<members.txt>] -P ConfigureScript.cmake
#
# Writes a script with the build's values filled in: @NELVO_VERSION@,
# @NELVO_PAYLOAD_KB@, the unpacked size of the payload's members in KB
# (rounded up), which the uninstall entry reports, and @NELVO_PAYLOAD_FILES@,
# each member's name and size in bytes, "name:size" joined by "|", from
# which the wizard works out the room the installation takes. PRELUDE's functions go in
# front of the script, joined into its first line: its comment lines and
# blank lines dropped, the rest separated by spaces, so that every line of
# the script keeps its number.
set(NELVO_PAYLOAD_KB 0)
set(NELVO_PAYLOAD_FILES "")
if(PAYLOAD_DIR)
  file(STRINGS ${MEMBERS} members)
  set(bytes 0)
  set(files)
  foreach(member ${members})
    file(SIZE ${PAYLOAD_DIR}/${member} size)
    math(EXPR bytes "${bytes} + ${size}")
    list(APPEND files "${member}:${size}")
  endforeach()
  list(JOIN files "|" NELVO_PAYLOAD_FILES)
  math(EXPR NELVO_PAYLOAD_KB "(${bytes} + 1023) / 1024")
endif()
# configure_file writes one line ending throughout: the one the script has
# (reading drops carriage returns, so a script that had them reads shorter).
file(SIZE ${IN} size)
file(READ ${IN} text)
string(LENGTH "${text}" length)
if(size EQUAL length)
  set(newline UNIX)
else()
  set(newline CRLF)
endif()
if(PRELUDE)
  file(READ ${PRELUDE} prelude)
  string(REPLACE "\r" "" prelude "${prelude}")
  string(REGEX REPLACE "\n[ \t]*--[^\n]*" "" prelude "\n${prelude}")
  string(REGEX REPLACE "[ \t]*\n[ \t\n]*" " " prelude "${prelude}")
  string(STRIP "${prelude}" prelude)
  string(FIND "${prelude}" "--" comment)
  if(NOT comment EQUAL -1)
    message(FATAL_ERROR "${PRELUDE}: a comment after code cannot be joined into one line")
  endif()
  set(text "${prelude} ${text}")
endif()
file(WRITE ${OUT}.in "${text}")
configure_file(${OUT}.in ${OUT} @ONLY NEWLINE_STYLE ${newline})
file(REMOVE ${OUT}.in)
