# Turns one register text file of refdata/data/ into a C++ source file with its table.
#
# Run as a build step (see registers.cmake):
#   cmake -DIN=<text file> -DOUT=<.cpp file> -DNAME=<file name shown in messages>
#         -DKIND=numbers|pairs|codes -DTABLE=<table> [-DTABLE2=<second table, pairs>]
#         [-DPATTERN=<regex of one code> -DCELL=<characters per entry, terminator included>
#          [-DASCENDING=ON], codes]
#         -DSIZE_HEADER=<header> -DSIZE_NAME=<constant holding the number of entries> -P make_table.cmake
#
# numbers: one company number per line, ascending, no repeats -> const std::uint32_t TABLE[n]
# pairs:   two company numbers per line, ascending by the first, no repeats
#          -> const std::uint32_t TABLE[n] (first column), TABLE2[n] (second column)
# codes:   one code per line, matching PATTERN (and ascending when ASCENDING is set)
#          -> const char TABLE[n][CELL]
#
# Blank lines and lines beginning with '#' are skipped; spaces and tabs around an entry, a CR before the
# line feed and a UTF-8 byte-order mark are tolerated. Anything else stops the build with the file's
# name and the line's number. The output file is written only when the whole input is good.

cmake_minimum_required(VERSION 3.25)

foreach(arg IN ITEMS IN OUT NAME KIND TABLE SIZE_HEADER SIZE_NAME)
  if(NOT DEFINED ${arg})
    message(FATAL_ERROR "make_table.cmake: -D${arg}=... is missing")
  endif()
endforeach()

# The number of entries, from the constant of the C++ header, so that the size is written in one place.
file(STRINGS "${SIZE_HEADER}" size_line REGEX "constexpr int ${SIZE_NAME} = [0-9]+;")
if(NOT size_line MATCHES "${SIZE_NAME} = ([0-9]+)")
  message(FATAL_ERROR "${SIZE_HEADER}: no constant ${SIZE_NAME}")
endif()
set(expected "${CMAKE_MATCH_1}")

file(READ "${IN}" content)
string(ASCII 239 187 191 bom)
string(FIND "${content}" "${bom}" bom_at)
if(bom_at EQUAL 0)
  string(SUBSTRING "${content}" 3 -1 content)
endif()
# CMake lists are split at ';' and grouped by brackets. No good entry holds any of these characters, so
# they become '?': a data line with one is reported as malformed, a comment line is skipped anyway.
string(REPLACE "\r\n" "\n" content "${content}")
string(REGEX REPLACE "\r$" "" content "${content}")
string(REGEX REPLACE "[][;\r]" "?" content "${content}")
string(REPLACE "\n" ";" lines "${content}")

function(fail line_no message_text)
  message(FATAL_ERROR "${NAME}:${line_no}: ${message_text}")
endfunction()

# A company number without its leading zeros, which C++ would read as an octal number.
macro(decimal var text)
  math(EXPR ${var} "${text}")
endmacro()

set(count 0)
set(line_no 0)
set(previous "")
set(body "")
set(body2 "")
foreach(raw IN LISTS lines)
  math(EXPR line_no "${line_no} + 1")
  string(STRIP "${raw}" line)
  if(line STREQUAL "" OR line MATCHES "^#")
    continue()
  endif()

  if(KIND STREQUAL "numbers")
    if(NOT line MATCHES "^([0-9]+)$")
      fail(${line_no} "'${line}' is not a company number")
    endif()
    set(key "${CMAKE_MATCH_1}")
  elseif(KIND STREQUAL "pairs")
    if(NOT line MATCHES "^([0-9]+)[ \t]+([0-9]+)$")
      fail(${line_no} "'${line}' is not a provider's company number followed by its submitter's")
    endif()
    set(key "${CMAKE_MATCH_1}")
    set(second "${CMAKE_MATCH_2}")
  elseif(KIND STREQUAL "codes")
    if(NOT line MATCHES "^(${PATTERN})$")
      fail(${line_no} "'${line}' is not a code of this list")
    endif()
    set(key "${line}")
  else()
    message(FATAL_ERROR "make_table.cmake: unknown KIND '${KIND}'")
  endif()

  if(KIND STREQUAL "codes")
    if(ASCENDING AND NOT previous STREQUAL "" AND NOT previous STRLESS key)
      fail(${line_no} "'${key}' does not follow '${previous}': the list must be ascending, without repeats")
    endif()
    string(LENGTH "${key}" n)
    if(NOT n LESS CELL)
      fail(${line_no} "'${key}' does not fit an entry of ${CELL} characters with its terminator")
    endif()
    string(APPEND body "\"${key}\",")
  else()
    # A company number has 8 digits; a longer entry cannot be one (and might not fit 32 bits).
    foreach(number IN ITEMS ${key} ${second})
      string(LENGTH "${number}" n)
      if(n GREATER 8)
        fail(${line_no} "'${number}' has more than 8 digits")
      endif()
    endforeach()
    decimal(key "${key}")
    if(NOT previous STREQUAL "" AND NOT previous LESS key)
      fail(${line_no} "'${line}' does not follow ${previous}: the register must be ascending, without repeats")
    endif()
    string(APPEND body "${key},")
    if(KIND STREQUAL "pairs")
      decimal(second "${second}")
      string(APPEND body2 "${second},")
    endif()
  endif()
  set(previous "${key}")

  math(EXPR count "${count} + 1")
  math(EXPR column "${count} % 10")
  if(column EQUAL 0)
    string(APPEND body "\n")
    string(APPEND body2 "\n")
  endif()
endforeach()

if(NOT count EQUAL expected)
  message(FATAL_ERROR "${NAME}: ${count} entries, but ${SIZE_NAME} in ${SIZE_HEADER} says ${expected}")
endif()

set(out "// Made by refdata/make_table.cmake from ${NAME}; change that file, not this one.\n")
string(APPEND out "#include \"refdata/registers.h\"\n\nnamespace refdata {\n\n")
if(KIND STREQUAL "codes")
  string(APPEND out "const char ${TABLE}[${SIZE_NAME}][${CELL}] = {\n${body}\n};\n")
else()
  string(APPEND out "const std::uint32_t ${TABLE}[${SIZE_NAME}] = {\n${body}\n};\n")
  if(KIND STREQUAL "pairs")
    string(APPEND out "\nconst std::uint32_t ${TABLE2}[${SIZE_NAME}] = {\n${body2}\n};\n")
  endif()
endif()
string(APPEND out "\n} // namespace refdata\n")
file(WRITE "${OUT}" "${out}")
