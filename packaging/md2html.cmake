# Turns a Markdown document into a standalone HTML page (UTF-8, styles inline, no script):
#
#   cmake -DINPUT=docs/navod.md -DOUTPUT=navod.html -P md2html.cmake
#
# It knows the Markdown the project's guides are written in: "#" to "####" headings, paragraphs, "- " and
# "1. " lists (an item goes on in lines indented by two or more blanks, also after a blank line, and may
# hold an indented code block), "> " quotes, tables of "|" rows with a "|---|" line under the head, fenced
# code blocks, and in the text `code`, **strong** and [text](link). A link to a .md page becomes a link
# to its .html page, as the pages are shipped side by side. Anything else passes as text. The first
# heading is the page's title.

# CMake lists split at ';' and keep '[' ']' together: the three characters wait as control bytes.
string(ASCII 1 SEMICOLON)
string(ASCII 2 LBRACKET)
string(ASCII 3 RBRACKET)

file(READ "${INPUT}" text)
string(REPLACE "\r" "" text "${text}")
string(REPLACE ";" "${SEMICOLON}" text "${text}")
string(REPLACE "&" "&amp${SEMICOLON}" text "${text}")
string(REPLACE "<" "&lt${SEMICOLON}" text "${text}")
string(REPLACE ">" "&gt${SEMICOLON}" text "${text}")
string(REPLACE "[" "${LBRACKET}" text "${text}")
string(REPLACE "]" "${RBRACKET}" text "${text}")
string(REPLACE "\n" ";" lines "${text}")

# The inline markup of one text.
function(inline text result)
  string(REGEX REPLACE "`([^`]+)`" "<code>\\1</code>" text "${text}")
  string(REGEX REPLACE "\\*\\*([^*]+)\\*\\*" "<strong>\\1</strong>" text "${text}")
  string(REGEX REPLACE "${LBRACKET}([^${RBRACKET}]+)${RBRACKET}\\(([^)#]+)\\.md(#[^)]*)\\)"
                       "<a href=\"\\2.html\\3\">\\1</a>" text "${text}")
  string(REGEX REPLACE "${LBRACKET}([^${RBRACKET}]+)${RBRACKET}\\(([^)#]+)\\.md\\)"
                       "<a href=\"\\2.html\">\\1</a>" text "${text}")
  string(REGEX REPLACE "${LBRACKET}([^${RBRACKET}]+)${RBRACKET}\\(([^)]+)\\)"
                       "<a href=\"\\2\">\\1</a>" text "${text}")
  set(${result} "${text}" PARENT_SCOPE)
endfunction()

set(body "")
set(title "")
set(block "")      # the open block: p, ul, ol, quote, table
set(item "")       # the text of the open paragraph, quote or list item, not yet converted
set(item_html "")  # what the open list item holds already: its first paragraphs, its code blocks
set(item_open FALSE)
set(item_gap FALSE) # a blank line inside the open list item
set(code "")       # the open code block, its indent, and whether it stands in a list item
set(code_open FALSE)
set(table_row 0)

# The text read so far, as HTML (in a list item after a blank line or a code block, a paragraph of its own).
macro(item_text_to_html)
  if(NOT item STREQUAL "")
    inline("${item}" html)
    string(STRIP "${html}" html)
    if(item_html STREQUAL "")
      set(item_html "${html}")
    else()
      string(APPEND item_html "<p>${html}</p>")
    endif()
    set(item "")
  endif()
endmacro()

macro(close_item)
  if(block STREQUAL "ul" OR block STREQUAL "ol")
    if(item_open)
      item_text_to_html()
      string(APPEND body "<li>${item_html}</li>\n")
    endif()
  elseif(NOT item STREQUAL "")
    inline("${item}" html)
    string(STRIP "${html}" html)
    if(block STREQUAL "quote")
      string(APPEND body "<blockquote><p>${html}</p></blockquote>\n")
    else()
      string(APPEND body "<p>${html}</p>\n")
    endif()
  endif()
  set(item "")
  set(item_html "")
  set(item_open FALSE)
  set(item_gap FALSE)
endmacro()

macro(close_block)
  close_item()
  if(block STREQUAL "ul")
    string(APPEND body "</ul>\n")
  elseif(block STREQUAL "ol")
    string(APPEND body "</ol>\n")
  elseif(block STREQUAL "table")
    string(APPEND body "</tbody></table>\n")
  endif()
  set(block "")
endmacro()

macro(open_block kind)
  if(NOT block STREQUAL "${kind}")
    close_block()
    set(block ${kind})
    if(block STREQUAL "ul")
      string(APPEND body "<ul>\n")
    elseif(block STREQUAL "ol")
      string(APPEND body "<ol>\n")
    endif()
  endif()
endmacro()

macro(start_item text)
  close_item()
  set(item "${text}")
  set(item_open TRUE)
endmacro()

foreach(line IN LISTS lines)
  set(in_list FALSE)
  if(block STREQUAL "ul" OR block STREQUAL "ol")
    set(in_list TRUE)
  endif()
  if(code_open)
    if(line MATCHES "^ *```")
      set(code_open FALSE)
      if(code_in_item)
        string(APPEND item_html "<pre><code>${code}</code></pre>")
        set(item_gap FALSE)
      else()
        string(APPEND body "<pre><code>${code}</code></pre>\n")
      endif()
    else()
      # The code block's own indent (inside a list item) is not part of its lines.
      string(LENGTH "${line}" length)
      if(length GREATER_EQUAL code_indent)
        string(SUBSTRING "${line}" ${code_indent} -1 line)
      endif()
      string(APPEND code "${line}\n")
    endif()
  elseif(line MATCHES "^( *)```")
    string(LENGTH "${CMAKE_MATCH_1}" code_indent)
    set(code "")
    set(code_open TRUE)
    set(code_in_item FALSE)
    if(in_list AND item_open AND code_indent GREATER 0)
      set(code_in_item TRUE)
      item_text_to_html()
    else()
      close_block()
    endif()
  elseif(line MATCHES "^(#+) +(.*)$")
    close_block()
    string(LENGTH "${CMAKE_MATCH_1}" level)
    inline("${CMAKE_MATCH_2}" html)
    if(title STREQUAL "")
      string(REGEX REPLACE "<[^>]*>" "" title "${html}")
    endif()
    string(APPEND body "<h${level}>${html}</h${level}>\n")
  elseif(line MATCHES "^[ \t]*$")
    if(in_list)
      set(item_gap TRUE) # the list goes on if an item or an indented line follows
    else()
      close_block()
    endif()
  elseif(line MATCHES "^- +(.*)$")
    open_block(ul)
    start_item("${CMAKE_MATCH_1}")
  elseif(line MATCHES "^[0-9]+\\. +(.*)$")
    open_block(ol)
    start_item("${CMAKE_MATCH_1}")
  elseif(in_list AND line MATCHES "^  +(.*)$")
    if(item_gap)
      item_text_to_html() # a paragraph of its own within the item
      set(item_gap FALSE)
    endif()
    string(APPEND item " ${CMAKE_MATCH_1}")
  elseif(line MATCHES "^&gt${SEMICOLON} ?(.*)$")
    open_block(quote)
    string(APPEND item " ${CMAKE_MATCH_1}")
  elseif(line MATCHES "^\\|(.*)\\|[ \t]*$")
    set(cells_text "${CMAKE_MATCH_1}")
    if(NOT block STREQUAL "table")
      close_block()
      set(block table)
      set(table_row 0)
      string(APPEND body "<table>\n")
    endif()
    if(cells_text MATCHES "^[-:| ]+$")
      string(APPEND body "<tbody>\n")
    else()
      set(cell_tag td)
      if(table_row EQUAL 0)
        set(cell_tag th)
        string(APPEND body "<thead>\n")
      endif()
      string(REPLACE "|" ";" cells "${cells_text}")
      string(APPEND body "<tr>")
      foreach(cell IN LISTS cells)
        string(STRIP "${cell}" cell)
        inline("${cell}" html)
        string(APPEND body "<${cell_tag}>${html}</${cell_tag}>")
      endforeach()
      string(APPEND body "</tr>\n")
      if(table_row EQUAL 0)
        string(APPEND body "</thead>\n")
      endif()
    endif()
    math(EXPR table_row "${table_row} + 1")
  else()
    # Text: it goes on the open paragraph, quote or list item, unless a blank line ended that.
    if(in_list AND item_gap)
      close_block()
    elseif(NOT block STREQUAL "" AND NOT block STREQUAL "p" AND NOT in_list AND NOT block STREQUAL "quote")
      close_block()
    endif()
    if(block STREQUAL "")
      set(block p)
    endif()
    string(STRIP "${line}" line)
    if(item STREQUAL "")
      set(item "${line}")
    else()
      string(APPEND item " ${line}")
    endif()
  endif()
endforeach()
if(code_open)
  message(FATAL_ERROR "${INPUT}: a code block is not closed")
endif()
close_block()

set(page "<!DOCTYPE html>
<html lang=\"cs\">
<head>
<meta charset=\"utf-8\">
<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">
<title>${title}</title>
<style>
body { font-family: system-ui, sans-serif; line-height: 1.5; max-width: 52em; margin: 1em auto;
       padding: 0 1em; color: #222; }
h1, h2, h3 { line-height: 1.2; }
h2 { margin-top: 1.8em; border-bottom: 1px solid #ccc; }
code, pre { font-family: ui-monospace, Consolas, monospace; background: #f4f4f4; }
code { padding: 0 0.2em; }
pre { padding: 0.6em; overflow-x: auto; }
table { border-collapse: collapse; margin: 0.6em 0; }
th, td { border: 1px solid #bbb; padding: 0.25em 0.5em; text-align: left; vertical-align: top; }
th { background: #e3eef8; }
blockquote { margin: 0.8em 0; padding: 0.1em 1em; border-left: 4px solid #e0a800; background: #fff8e1; }
</style>
</head>
<body>
${body}</body>
</html>
")
string(REPLACE "${SEMICOLON}" ";" page "${page}")
string(REPLACE "${LBRACKET}" "[" page "${page}")
string(REPLACE "${RBRACKET}" "]" page "${page}")
file(WRITE "${OUTPUT}" "${page}")
