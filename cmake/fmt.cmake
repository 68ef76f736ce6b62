# fmt comes from Debian's libfmt-dev. Native builds link the library; a cross build
# cannot use the host's compiled library, so it takes the headers alone in
# header-only mode, through an include folder that holds nothing but fmt (the
# host's /usr/include must not leak into a cross build).
if(CMAKE_CROSSCOMPILING)
  set(_fmt_headers "${CMAKE_BINARY_DIR}/fmt-include")
  file(MAKE_DIRECTORY "${_fmt_headers}")
  if(NOT EXISTS "${_fmt_headers}/fmt")
    file(CREATE_LINK /usr/include/fmt "${_fmt_headers}/fmt" SYMBOLIC)
  endif()
  add_library(tamro_fmt INTERFACE)
  target_include_directories(tamro_fmt SYSTEM INTERFACE "${_fmt_headers}")
  target_compile_definitions(tamro_fmt INTERFACE FMT_HEADER_ONLY=1)
else()
  find_package(fmt REQUIRED)
  add_library(tamro_fmt INTERFACE)
  target_link_libraries(tamro_fmt INTERFACE fmt::fmt)
endif()
