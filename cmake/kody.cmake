# The page of the finding codes: valix_kody_html(OUTPUT TARGET) makes OUTPUT from the table of
# explanations with tools/kody.py, built by TARGET (part of `all`). Needs Python3::Interpreter.
function(valix_kody_html output target)
  add_custom_command(
    OUTPUT ${output}
    COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/kody.py --html ${output}
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/kody.py ${CMAKE_SOURCE_DIR}/docs/vysvetleni.txt
            ${CMAKE_SOURCE_DIR}/docs/vysvetleni-pole.txt ${CMAKE_SOURCE_DIR}/report/catalogue.cpp
    COMMENT "Making the page of the codes ${output}")
  add_custom_target(${target} ALL DEPENDS ${output})
endfunction()
