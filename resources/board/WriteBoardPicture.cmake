# Writes the board picture's C++ source from board.png and frames.txt, without
# Qt: the PNG as base64 (what a data: URI takes), its size from its header, and
# each device's frame. Run as
#   cmake -DPNG=board.png -DFRAMES=frames.txt -DHEADER=dir/BoardPicture.h
#         -DOUTPUT=BoardPicture.cpp -P WriteBoardPicture.cmake
cmake_minimum_required(VERSION 3.25)

file(READ ${PNG} hex HEX)
string(LENGTH "${hex}" digits)
if(digits LESS 48 OR NOT hex MATCHES "^89504e470d0a1a0a")
  message(FATAL_ERROR "${PNG} is not a PNG")
endif()
# The IHDR chunk comes first: width and height, 4 bytes each, at byte 16.
string(SUBSTRING "${hex}" 32 8 width_hex)
string(SUBSTRING "${hex}" 40 8 height_hex)
math(EXPR width "0x${width_hex}")
math(EXPR height "0x${height_hex}")

# Base64 two characters at a time: each 12 bits (three hex digits) name a
# pair, looked up in a table of all 4096.
set(alphabet "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/")
set(digit 0 1 2 3 4 5 6 7 8 9 a b c d e f)
foreach(value RANGE 4095)
  math(EXPR a "${value} >> 8")
  math(EXPR b "(${value} >> 4) & 15")
  math(EXPR c "${value} & 15")
  math(EXPR high "${value} >> 6")
  math(EXPR low "${value} & 63")
  list(GET digit ${a} ${b} ${c} key)
  string(REPLACE ";" "" key "${key}")
  string(SUBSTRING "${alphabet}" ${high} 1 first)
  string(SUBSTRING "${alphabet}" ${low} 1 second)
  set(pair_${key} "${first}${second}")
endforeach()

# Whole groups of three bytes first, then the last one or two with padding.
math(EXPR whole "${digits} / 6 * 6")
math(EXPR rest "${digits} - ${whole}")
string(SUBSTRING "${hex}" 0 ${whole} body)
string(REGEX REPLACE "([0-9a-f][0-9a-f][0-9a-f])" "\\1;" twelve "${body}")
set(base64 "")
foreach(group IN LISTS twelve)
  string(APPEND base64 "${pair_${group}}")
endforeach()
if(rest EQUAL 2)
  string(SUBSTRING "${hex}" ${whole} 2 last)
  string(SUBSTRING "${pair_${last}0}" 0 2 chars)
  string(APPEND base64 "${chars}==")
elseif(rest EQUAL 4)
  string(SUBSTRING "${hex}" ${whole} 3 first)
  string(SUBSTRING "${hex}" ${whole} 4 last)
  string(SUBSTRING "${last}" 3 1 last)
  string(SUBSTRING "${pair_${last}00}" 0 1 chars)
  string(APPEND base64 "${pair_${first}}${chars}=")
endif()
# Lines of 96 characters.
string(REPEAT "." 96 line)
string(REGEX REPLACE "(${line})" "    \"\\1\"\n" lines "${base64}")
string(REGEX REPLACE "(^|\n)([^\n ][^\n]*)$" "\\1    \"\\2\"\n" lines "${lines}")

set(devices "")
set(count 0)
file(STRINGS ${FRAMES} frames REGEX "^[^#]")
foreach(frame IN LISTS frames)
  if(NOT frame MATCHES "^([A-Z0-9_]+) ([0-9]+) ([0-9]+) ([0-9]+) ([0-9]+)$")
    message(FATAL_ERROR "${FRAMES}: not a frame: ${frame}")
  endif()
  string(APPEND devices
    "    {\"${CMAKE_MATCH_1}\", ${CMAKE_MATCH_2}, ${CMAKE_MATCH_3}, ${CMAKE_MATCH_4}, ${CMAKE_MATCH_5}},\n")
  math(EXPR count "${count} + 1")
endforeach()

file(WRITE ${OUTPUT}.new "// Written from resources/board by WriteBoardPicture.cmake; do not edit.
#include \"${HEADER}\"

namespace kbr::boardpicture {

const char kPngBase64[] =
${lines}    ;
const int kWidth = ${width};
const int kHeight = ${height};

const TDevice kDevices[] = {
${devices}};
const size_t kDeviceCount = ${count};

} // namespace kbr::boardpicture
")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
