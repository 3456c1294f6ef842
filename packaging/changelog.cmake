# Makes the Debian changelog of the package from CHANGELOG.md:
#
#   cmake -DINPUT=CHANGELOG.md -DOUTPUT=changelog -DPACKAGE=valix -DVERSION=0.96
#         -DMAINTAINER="VALIX <valix@example.org>" -P changelog.cmake
#
# Each "## [version] - YYYY-MM-DD" section becomes one entry. Its paragraphs become "  * " items, a
# "### Heading" becomes "  * Heading:" with the "- " items under it as "    - " lines; texts are wrapped to
# 78 columns and lose their backticks. The newest version must be the project's, so that a new version
# cannot be packaged without its entry.

# CMake lists split at ';' and do not split inside '[' ']': those three characters stand in for themselves
# as placeholders until the text is written.
file(READ "${INPUT}" text)
string(REPLACE "\r" "" text "${text}")
string(REPLACE ";" "@SEMICOLON@" text "${text}")
string(REPLACE "[" "@LBRACKET@" text "${text}")
string(REPLACE "]" "@RBRACKET@" text "${text}")
string(REPLACE "`" "" text "${text}")
string(REPLACE "\n" ";" lines "${text}")

set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
set(weekdays Sun Mon Tue Wed Thu Fri Sat)
set(month_offsets 0 3 2 5 0 3 5 1 4 6 2 4)

# "Www, DD Mon YYYY 00:00:00 +0000" for a date YYYY-MM-DD (the day of the week by Sakamoto's method).
function(rfc2822_date date result)
  if(NOT date MATCHES "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
    message(FATAL_ERROR "${INPUT}: the date \"${date}\" is not YYYY-MM-DD")
  endif()
  set(year ${CMAKE_MATCH_1})
  set(month_text ${CMAKE_MATCH_2})
  set(day_text ${CMAKE_MATCH_3})
  string(REGEX REPLACE "^0" "" month "${month_text}")
  string(REGEX REPLACE "^0" "" day "${day_text}")
  math(EXPR index "${month} - 1")
  list(GET months ${index} month_name)
  list(GET month_offsets ${index} offset)
  set(y ${year})
  if(month LESS 3)
    math(EXPR y "${y} - 1")
  endif()
  math(EXPR weekday "(${y} + ${y} / 4 - ${y} / 100 + ${y} / 400 + ${offset} + ${day}) % 7")
  list(GET weekdays ${weekday} weekday_name)
  set(${result} "${weekday_name}, ${day_text} ${month_name} ${year} 00:00:00 +0000" PARENT_SCOPE)
endfunction()

# Appends TEXT to the entry, wrapped at 78 columns: FIRST before its first line, REST before the others.
function(append_wrapped text first rest)
  string(REGEX REPLACE "  +" " " text "${text}")
  string(STRIP "${text}" text)
  string(REPLACE " " ";" words "${text}")
  set(line "${first}")
  set(start TRUE)
  set(out "")
  foreach(word IN LISTS words)
    set(candidate "${line} ${word}")
    if(start)
      set(candidate "${line}${word}")
    endif()
    # The placeholders are longer than what they stand for; the width counts the real characters.
    string(REGEX REPLACE "@(SEMICOLON|LBRACKET|RBRACKET)@" "x" measured "${candidate}")
    string(LENGTH "${measured}" width)
    if(width GREATER 78 AND NOT start)
      string(APPEND out "${line}\n")
      set(line "${rest}${word}")
    else()
      set(line "${candidate}")
    endif()
    set(start FALSE)
  endforeach()
  string(APPEND out "${line}\n")
  set(entry "${entry}${out}" PARENT_SCOPE)
endfunction()

set(output "")
set(entry "")
set(version "")
set(pending "")      # the paragraph or item being read
set(pending_kind "") # "paragraph" or "item"
set(under_heading FALSE)

macro(flush_pending)
  if(pending_kind STREQUAL "item" AND under_heading)
    append_wrapped("${pending}" "    - " "      ")
  elseif(pending_kind)
    append_wrapped("${pending}" "  * " "    ")
  endif()
  set(pending "")
  set(pending_kind "")
endmacro()

macro(close_entry)
  if(version)
    flush_pending()
    string(APPEND output "${PACKAGE} (${version}) unstable@SEMICOLON@ urgency=medium\n\n${entry}\n"
           " -- ${MAINTAINER}  ${date}\n")
  endif()
endmacro()

foreach(line IN LISTS lines)
  if(line MATCHES "^## @LBRACKET@([^@]+)@RBRACKET@ - ([0-9-]+)$")
    set(next_version ${CMAKE_MATCH_1})
    set(next_date ${CMAKE_MATCH_2})
    close_entry()
    if(output)
      string(APPEND output "\n")
    elseif(NOT next_version STREQUAL VERSION)
      message(FATAL_ERROR "${INPUT}: the newest version is ${next_version}, the project's is ${VERSION}; "
                          "add a section \"## [${VERSION}] - date\"")
    endif()
    set(version ${next_version})
    rfc2822_date(${next_date} date)
    set(entry "")
    set(under_heading FALSE)
  elseif(NOT version)
    # The file's own introduction, before the first version.
  elseif(line MATCHES "^### (.+)$")
    flush_pending()
    append_wrapped("${CMAKE_MATCH_1}:" "  * " "    ")
    set(under_heading TRUE)
  elseif(line MATCHES "^[-*] (.*)$")
    flush_pending()
    set(pending "${CMAKE_MATCH_1}")
    set(pending_kind item)
  elseif(line MATCHES "^[ \t]*$")
    flush_pending()
  elseif(line MATCHES "^#")
    message(FATAL_ERROR "${INPUT}: a heading that is neither a version nor a section: ${line}")
  elseif(pending_kind)
    string(APPEND pending " ${line}")
  else()
    set(pending "${line}")
    set(pending_kind paragraph)
  endif()
endforeach()
close_entry()
if(NOT output)
  message(FATAL_ERROR "${INPUT}: no \"## [version] - YYYY-MM-DD\" section")
endif()

string(REPLACE "@SEMICOLON@" ";" output "${output}")
string(REPLACE "@LBRACKET@" "[" output "${output}")
string(REPLACE "@RBRACKET@" "]" output "${output}")
file(WRITE "${OUTPUT}" "${output}")
