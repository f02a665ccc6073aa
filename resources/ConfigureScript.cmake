# cmake -DIN=<script> -DOUT=<file> -DNELVO_VERSION=<version>
#       [-DPAYLOAD_DIR=<folder> -DMEMBERS=<members.txt>] -P ConfigureScript.cmake
#
# Writes a script with the build's values filled in: @NELVO_VERSION@, and
# @NELVO_PAYLOAD_KB@, the unpacked size of the payload's members in KB
# (rounded up), which the uninstall entry reports.
set(NELVO_PAYLOAD_KB 0)
if(PAYLOAD_DIR)
  file(STRINGS ${MEMBERS} members)
  set(bytes 0)
  foreach(member ${members})
    file(SIZE ${PAYLOAD_DIR}/${member} size)
    math(EXPR bytes "${bytes} + ${size}")
  endforeach()
  math(EXPR NELVO_PAYLOAD_KB "(${bytes} + 1023) / 1024")
endif()
# configure_file writes one line ending throughout: the one the script has
# (reading drops carriage returns, so a script that had them reads shorter).
file(SIZE ${IN} size)
file(READ ${IN} text)
string(LENGTH "${text}" length)
if(size EQUAL length)
  configure_file(${IN} ${OUT} @ONLY NEWLINE_STYLE UNIX)
else()
  configure_file(${IN} ${OUT} @ONLY NEWLINE_STYLE CRLF)
endif()
