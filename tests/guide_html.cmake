# The guide's HTML page is made by packaging/md2html.cmake. This test checks the converter on a document of
# every construct it knows against its expected page (checked by hand), and that the guide for clerks
# uses nothing else: no Markdown may be left over in its page.
#
#   cmake -DSOURCE_DIR=<source> -DWORK_DIR=<scratch folder> -P tests/guide_html.cmake
set(md2html ${SOURCE_DIR}/packaging/md2html.cmake)
file(MAKE_DIRECTORY ${WORK_DIR})

execute_process(COMMAND ${CMAKE_COMMAND} -DINPUT=${SOURCE_DIR}/tests/data/guide/markdown.md
                        -DOUTPUT=${WORK_DIR}/markdown.html -P ${md2html} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "md2html failed on tests/data/guide/markdown.md")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${SOURCE_DIR}/tests/data/guide/markdown.html
                        ${WORK_DIR}/markdown.html RESULT_VARIABLE differs)
if(differs)
  message(FATAL_ERROR "${WORK_DIR}/markdown.html differs from tests/data/guide/markdown.html")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -DINPUT=${SOURCE_DIR}/docs/navod.md -DOUTPUT=${WORK_DIR}/navod.html
                        -P ${md2html} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "md2html failed on docs/navod.md")
endif()
file(STRINGS ${WORK_DIR}/navod.html lines)
set(in_code FALSE)
foreach(line IN LISTS lines)
  if(line MATCHES "<pre>")
    set(in_code TRUE)
  endif()
  if(NOT in_code AND line MATCHES "(\\*\\*|`|\\]\\(|^#|^- |^[0-9]+\\. |^\\||^&gt;)")
    message(SEND_ERROR "docs/navod.md: Markdown the converter does not know is left in the page: ${line}")
  endif()
  if(line MATCHES "</pre>")
    set(in_code FALSE)
  endif()
endforeach()
