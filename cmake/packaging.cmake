# What `cmake --install` installs and `cpack` packs from it.
#   Windows (build/mingw): tamro.exe, tamro-compile.exe, README.md and LICENSE at
#   the top of a .zip.
#   Linux (build/release): the usual prefix layout, packed into a .deb (below /usr)
#   and a .tar.gz (below its one top folder): bin/tamro, bin/tamro-compile, their
#   man pages in share/man/man1/, and share/doc/tamro/ with README.md, copyright
#   and changelog.gz. The .tar.gz
#   and `cmake --install` also put LICENSE there; the .deb leaves it out, as its
#   copyright file already holds the licence's full text and Debian wants the
#   licence in that one place (lintian: extra-license-file).
include(${CMAKE_CURRENT_LIST_DIR}/self_contained.cmake)

set(CPACK_PACKAGE_NAME tamro)
set(CPACK_PACKAGE_VENDOR tamro)
set(CPACK_PACKAGE_CONTACT "tamro maintainers <maintainers@users.noreply.c-seed-6b59fde2.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert binary DUIB UI files into readable XML text and back")

if(WIN32)
  install(TARGETS tamro tamro-compile RUNTIME DESTINATION .)
  install(FILES README.md LICENSE DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  include(CPack)
  return()
endif()

include(GNUInstallDirs)
set(_dirs_755 OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
              WORLD_EXECUTE)
# Folders made by the install get 0755 whatever the umask; Debian expects that.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${_dirs_755})
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${_dirs_755})

# The man page and the changelog are installed gzip-compressed, without a name or
# time stamp in the gzip header, so the same source gives the same bytes.
find_program(TAMRO_GZIP gzip REQUIRED)
set(_compressed "${PROJECT_BINARY_DIR}/compressed-docs")
function(tamro_gzip source name)
  add_custom_command(
    OUTPUT "${_compressed}/${name}.gz"
    COMMAND ${CMAKE_COMMAND} -E copy "${source}" "${_compressed}/${name}"
    COMMAND ${TAMRO_GZIP} -9 -n -f "${_compressed}/${name}"
    DEPENDS "${source}"
    VERBATIM)
endfunction()
tamro_gzip("${PROJECT_SOURCE_DIR}/docs/tamro.1" tamro.1)
tamro_gzip("${PROJECT_SOURCE_DIR}/docs/tamro-compile.1" tamro-compile.1)
tamro_gzip("${PROJECT_SOURCE_DIR}/cmake/debian/changelog" changelog)
add_custom_target(tamro_docs ALL DEPENDS "${_compressed}/tamro.1.gz"
                  "${_compressed}/tamro-compile.1.gz" "${_compressed}/changelog.gz")

install(TARGETS tamro tamro-compile RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT program)
install(FILES "${_compressed}/tamro.1.gz" "${_compressed}/tamro-compile.1.gz"
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT program)
install(FILES README.md cmake/debian/copyright "${_compressed}/changelog.gz"
        DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT program)
install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT licence)

set(CPACK_GENERATOR TGZ DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION [=[
Windows keeps much of its DirectUI interface as compiled mark-up: UIFILE
resources in modules such as ExplorerFrame.dll and shell32.dll, stored in the
binary DUIB format. tamro reads such blobs, from files or straight from a
module's resources, checks them and writes each one out as indented XML text.
It only reads: the files and modules it converts are never changed, and none
of a module's code runs. tamro-compile goes the other way: it compiles such a
text, edited or not, into a DUIB blob again, to be put back into a module.]=])
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps reads the program and names the libc6 that it needs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# cpack reads this file once per generator. The .tar.gz packs every component, as
# one install. The .deb packs the program component alone: a component install
# with that one component, all in one package, named and described as before.
set(CPACK_PROJECT_CONFIG_FILE "${PROJECT_BINARY_DIR}/CPackGenerators.cmake")
file(WRITE "${CPACK_PROJECT_CONFIG_FILE}" [[
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL program)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
endif()
]])
include(CPack)
