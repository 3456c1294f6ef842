# Cross build of valix.exe for 64-bit Windows with MinGW-w64 (Debian: g++-mingw-w64-x86-64-posix):
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#
# The program is linked statically (C and C++ runtimes and winpthreads included), so valix.exe needs no
# DLL beyond those every Windows has. When Wine is installed (Debian: wine), CTest runs the Windows test
# program under it, so the same suite checks the Windows build; GoogleTest is then built from Debian's
# sources (libgtest-dev ships them in /usr/src/googletest), as the installed libraries are for Linux.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VALIX_MINGW_PREFIX x86_64-w64-mingw32)
# Debian names the compilers by thread model; the -posix ones (winpthreads, linked in statically) have the
# whole C++ thread library, which the -win32 ones of GCC 12 lack.
find_program(CMAKE_C_COMPILER NAMES ${VALIX_MINGW_PREFIX}-gcc-posix ${VALIX_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${VALIX_MINGW_PREFIX}-g++-posix ${VALIX_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${VALIX_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VALIX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Tests and test discovery run the .exe files under Wine.
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(VALIX_WINE NAMES wine wine64)
  if(VALIX_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR sh ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh ${VALIX_WINE})
  endif()
endif()
# Without Wine the test program is still built, but the build cannot ask it for its tests.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
endif()

# find_package(GTest) is answered by building GoogleTest from source (see that file).
set(CMAKE_PROJECT_TOP_LEVEL_INCLUDES ${CMAKE_CURRENT_LIST_DIR}/googletest-from-source.cmake)
