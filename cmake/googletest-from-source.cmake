# Answers find_package(GTest) in a cross build by building GoogleTest from its sources, since the
# libraries that libgtest-dev installs are built for the build machine. Debian's libgtest-dev ships the
# sources in /usr/src/googletest; -DVALIX_GTEST_SOURCE_DIR=... names another copy. Every other
# find_package() goes on as usual. The toolchain file cmake/mingw-w64-x86_64.cmake installs this file
# as a dependency provider; it is not meant for native builds, which use the installed GoogleTest.
set(VALIX_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources for the cross build")

macro(valix_gtest_from_source method package)
  if("${package}" STREQUAL "GTest" AND EXISTS "${VALIX_GTEST_SOURCE_DIR}/CMakeLists.txt")
    if(NOT TARGET GTest::gtest)
      set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
      set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
      # GoogleTest 1.11 and later name their targets GTest::gtest and GTest::gtest_main themselves.
      add_subdirectory(${VALIX_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
      if(NOT TARGET GTest::gtest)
        add_library(GTest::gtest ALIAS gtest)
        add_library(GTest::gtest_main ALIAS gtest_main)
      endif()
    endif()
    set(GTest_FOUND TRUE)
  endif()
endmacro()

if(CMAKE_CROSSCOMPILING)
  cmake_language(SET_DEPENDENCY_PROVIDER valix_gtest_from_source SUPPORTED_METHODS FIND_PACKAGE)
endif()
