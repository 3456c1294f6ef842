# The campaign registers and the country list are text files in refdata/data/. At build time each is
# checked and turned into a C++ table by make_table.cmake (a CMake script, so the build needs nothing
# but CMake); the program reads no file at run time. The number of entries of each file is a constant
# of refdata/registers.h or refdata/lists.h.

set(REFDATA_DIR ${CMAKE_CURRENT_LIST_DIR})

# refdata_table(<file stem> <kind> <size constant> <size header> <make_table options>...)
function(refdata_table stem kind size_name size_header)
  set(in ${REFDATA_DIR}/data/${stem}.txt)
  set(out ${CMAKE_BINARY_DIR}/refdata/${stem}.cpp)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DIN=${in} -DOUT=${out} -DNAME=refdata/data/${stem}.txt -DKIND=${kind}
            -DSIZE_HEADER=${REFDATA_DIR}/${size_header} -DSIZE_NAME=${size_name} ${ARGN}
            -P ${REFDATA_DIR}/make_table.cmake
    DEPENDS ${in} ${REFDATA_DIR}/make_table.cmake ${REFDATA_DIR}/${size_header}
    COMMENT "Compiling refdata/data/${stem}.txt"
    VERBATIM)
  set(REFDATA_GENERATED_SOURCES ${REFDATA_GENERATED_SOURCES} ${out} PARENT_SCOPE)
endfunction()

refdata_table(submitters numbers kSubmitters registers.h -DTABLE=TcisPred)
refdata_table(providers pairs kProviders registers.h -DTABLE=TcisPosPre -DTABLE2=TcisPrePos)
refdata_table(occupations codes kOccupations registers.h -DTABLE=TcisKzam "-DPATTERN=[0-9][0-9][0-9][0-9][0-9]"
              -DCELL=6 -DASCENDING=ON)
refdata_table(countries codes kCountries lists.h -DTABLE=TcisStat "-DPATTERN=[0-9A-Z][0-9A-Z][0-9A-Z]?"
              -DCELL=4)
