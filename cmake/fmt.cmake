# fmt comes from Debian's libfmt-dev and is compiled into the program in header-only
# mode on every target, so that no build of tamro needs a shared fmt library at run
# time. A native build takes the package's own header-only target. A cross build
# cannot use the host's CMake package; it takes the headers alone, through an
# include folder that holds nothing but fmt (the host's /usr/include must not leak
# into a cross build).
add_library(tamro_fmt INTERFACE)
if(CMAKE_CROSSCOMPILING)
  set(_fmt_headers "${CMAKE_BINARY_DIR}/fmt-include")
  file(MAKE_DIRECTORY "${_fmt_headers}")
  if(NOT EXISTS "${_fmt_headers}/fmt")
    file(CREATE_LINK /usr/include/fmt "${_fmt_headers}/fmt" SYMBOLIC)
  endif()
  target_include_directories(tamro_fmt SYSTEM INTERFACE "${_fmt_headers}")
  target_compile_definitions(tamro_fmt INTERFACE FMT_HEADER_ONLY=1)
else()
  find_package(fmt REQUIRED)
  target_link_libraries(tamro_fmt INTERFACE fmt::fmt-header-only)
endif()
