# Running Windows test programs under Wine. Every run gets the same environment:
# its own prefix (so nothing lands in ~/.wine), no debug chatter on standard
# error, and a UTF-8 locale, which gives the ANSI code page 1252.
#
#   TAMRO_WINE          the wine launcher (Debian has no wine64 command)
#   TAMRO_WINE_PREFIX   the prefix; scripts/test-windows.sh makes it before ctest
#   TAMRO_WINE_ENV      NAME=VALUE list of the environment above
find_program(TAMRO_WINE wine)
set(TAMRO_WINE_PREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH "Wine prefix of the test runs")
set(TAMRO_WINE_ENV
    "WINEPREFIX=${TAMRO_WINE_PREFIX}"
    "WINEARCH=win64"
    "WINEDEBUG=-all"
    "LANG=C.UTF-8"
    "LC_ALL=C.UTF-8")

# The cross build's test programs (and gtest's discovery) run as `env ... wine exe`.
if(CMAKE_CROSSCOMPILING AND WIN32 AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
  if(NOT TAMRO_WINE)
    message(FATAL_ERROR "Windows tests need wine (scripts/install-deps.sh wine)")
  endif()
  set(CMAKE_CROSSCOMPILING_EMULATOR env ${TAMRO_WINE_ENV} ${TAMRO_WINE})
endif()
