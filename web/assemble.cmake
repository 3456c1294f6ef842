# Puts the page together: web/index.html with the version, the page script and the worker's script (the
# worker code followed by the module, whose wasm is embedded) in their places. Run with cmake -P and
# -DSOURCE=<web folder> -DMODULE=<valix-module.js> -DWARM_UP=<document> -DVERSION=<x.y> -DOUTPUT=<index.html>
# -DEXPLANATIONS=<the codes' explanations as JSON>.
file(READ ${SOURCE}/index.html page)
file(READ ${SOURCE}/page.js page_js)
# The findings explorer: its model, the source lines, its view, and the explanations of the codes ("</" is
# written "<\/" in the JSON, which means the same and cannot close the script element).
file(READ ${SOURCE}/explorer/model.js model_js)
file(READ ${SOURCE}/explorer/source.js source_js)
file(READ ${SOURCE}/explorer/view.js view_js)
file(READ ${EXPLANATIONS} explanations)
string(STRIP "${explanations}" explanations)
string(REPLACE "</" "<\\/" explanations "${explanations}")
set(page_js "${model_js}\n${source_js}\n${view_js}\nvar VALIX_EXPLANATIONS = ${explanations};\n${page_js}")
file(READ ${SOURCE}/worker.js worker_js)
file(READ ${MODULE} module_js)
# The document of the worker's warm-up before a large file (examples/zpv.xml), as hexadecimal digits.
file(READ ${WARM_UP} warm_up_hex HEX)
string(FIND "${module_js}${worker_js}${page_js}" "</script" closing)
if(NOT closing EQUAL -1)
  message(FATAL_ERROR "A script holds \"</script\" and cannot be put inside the page")
endif()
string(REPLACE "@VALIX_VERSION@" "${VERSION}" page "${page}")
string(REPLACE "/*@PAGE_JS@*/" "${page_js}" page "${page}")
string(REPLACE "/*@WORKER_JS@*/" "${worker_js}\nvar VALIX_WARM_UP_DOCUMENT = '${warm_up_hex}';\n${module_js}" page "${page}")
file(WRITE ${OUTPUT} "${page}")
