# The documents of a release, installed beside the program: the licence, the changelog, the manual page
# valix(1) and the guide for clerks (docs/navod.md, and the same as an HTML page made at build time by
# packaging/md2html.cmake, so that the build needs nothing beyond CMake). Included by CMakeLists.txt after
# the program's install rules.
#
#   .deb:         /usr/share/doc/valix/{copyright,changelog.gz,navod.html,navod.md},
#                 /usr/share/man/man1/valix.1.gz, /usr/share/doc-base/valix-navod
#   Windows .zip: PRECTETE-SI.txt, navod.html, LICENSE.txt, THIRD-PARTY.txt (the licences of the libraries
#                 compiled into valix.exe and the page), CHANGELOG.md at the top of its folder
set(VALIX_DOC_BUILD ${CMAKE_BINARY_DIR}/doc)

# The manual page and the changelog name the version: a new version needs both (the build stops here).
file(STRINGS ${CMAKE_SOURCE_DIR}/docs/valix.1 manual_title REGEX "^\\.TH ")
if(NOT manual_title MATCHES "\"VALIX ${PROJECT_VERSION}\"")
  message(FATAL_ERROR "docs/valix.1: its .TH line does not name VALIX ${PROJECT_VERSION}: ${manual_title}")
endif()

add_custom_command(
  OUTPUT ${VALIX_DOC_BUILD}/navod.html
  COMMAND ${CMAKE_COMMAND} -DINPUT=${CMAKE_SOURCE_DIR}/docs/navod.md -DOUTPUT=${VALIX_DOC_BUILD}/navod.html
          -P ${CMAKE_SOURCE_DIR}/packaging/md2html.cmake
  DEPENDS ${CMAKE_SOURCE_DIR}/docs/navod.md ${CMAKE_SOURCE_DIR}/packaging/md2html.cmake
  COMMENT "Making the guide doc/navod.html" VERBATIM)
set(release_documents ${VALIX_DOC_BUILD}/navod.html)

if(WIN32)
  # The first file a clerk opens: Czech plain text that Notepad shows as it is (UTF-8 with a byte order
  # mark, CR LF), saying which file to open.
  if(VALIX_WEB_DIR)
    # (configure_file leaves the line ends of a substituted text as they are)
    string(CONCAT VALIX_README_WEB "\r\nKontrola v prohlížeči, bez příkazového řádku: "
                  "otevřete dvojklikem web\\index.html.\r\n")
  endif()
  configure_file(${CMAKE_SOURCE_DIR}/packaging/PRECTETE-SI.txt.in ${VALIX_DOC_BUILD}/PRECTETE-SI.txt @ONLY
                 NEWLINE_STYLE CRLF)
  install(FILES ${VALIX_DOC_BUILD}/PRECTETE-SI.txt ${VALIX_DOC_BUILD}/navod.html CHANGELOG.md
                packaging/THIRD-PARTY.txt DESTINATION .)
  install(FILES LICENSE DESTINATION . RENAME LICENSE.txt)
else()
  # Debian's way: the licence in a machine-readable copyright file, the changelog and the manual page
  # compressed with gzip -9n (no name, no time stamp, so that two builds give the same bytes).
  find_program(VALIX_GZIP gzip REQUIRED)
  add_custom_command(
    OUTPUT ${VALIX_DOC_BUILD}/changelog.gz
    COMMAND ${CMAKE_COMMAND} -DINPUT=${CMAKE_SOURCE_DIR}/CHANGELOG.md -DOUTPUT=${VALIX_DOC_BUILD}/changelog
            -DPACKAGE=valix -DVERSION=${PROJECT_VERSION} "-DMAINTAINER=${VALIX_MAINTAINER}"
            -P ${CMAKE_SOURCE_DIR}/packaging/changelog.cmake
    COMMAND ${VALIX_GZIP} -9nf ${VALIX_DOC_BUILD}/changelog
    DEPENDS ${CMAKE_SOURCE_DIR}/CHANGELOG.md ${CMAKE_SOURCE_DIR}/packaging/changelog.cmake
    COMMENT "Making doc/changelog.gz from CHANGELOG.md" VERBATIM)
  add_custom_command(
    OUTPUT ${VALIX_DOC_BUILD}/valix.1.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/docs/valix.1 ${VALIX_DOC_BUILD}/valix.1
    COMMAND ${VALIX_GZIP} -9nf ${VALIX_DOC_BUILD}/valix.1
    DEPENDS ${CMAKE_SOURCE_DIR}/docs/valix.1
    COMMENT "Compressing the manual page doc/valix.1.gz" VERBATIM)
  list(APPEND release_documents ${VALIX_DOC_BUILD}/changelog.gz ${VALIX_DOC_BUILD}/valix.1.gz)
  install(FILES packaging/copyright ${VALIX_DOC_BUILD}/changelog.gz ${VALIX_DOC_BUILD}/navod.html
                docs/navod.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
  install(FILES ${VALIX_DOC_BUILD}/valix.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  # The guide registered with doc-base, so that documentation browsers list it.
  install(FILES packaging/doc-base DESTINATION ${CMAKE_INSTALL_DATADIR}/doc-base RENAME valix-navod)
endif()
add_custom_target(valix_documents ALL DEPENDS ${release_documents})

# The guide's page and the manual page, checked as they are written.
add_test(NAME GuidePageFromMarkdown
         COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DWORK_DIR=${CMAKE_BINARY_DIR}/guide-test
                 -P ${CMAKE_SOURCE_DIR}/tests/guide_html.cmake)
find_program(VALIX_GROFF groff)
if(VALIX_GROFF)
  # Any output of groff -ww -z is a warning or an error.
  add_test(NAME ManualPageRendersWithoutWarnings
           COMMAND ${VALIX_GROFF} -ww -z -man ${CMAKE_SOURCE_DIR}/docs/valix.1)
  set_tests_properties(ManualPageRendersWithoutWarnings PROPERTIES FAIL_REGULAR_EXPRESSION ".")
endif()
