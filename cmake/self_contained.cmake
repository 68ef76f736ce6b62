# The Linux programs need no shared library but the C library, so that each binary
# runs on any distribution whose glibc is as new as the versions it asks for. fmt
# is compiled in (cmake/fmt.cmake); the C++ runtime is linked in here. g++ names
# libm on every link, and --as-needed drops it again, as neither program calls anything of it.
# -z now with relro makes the whole GOT read-only once the program runs.
# Sanitizer and fuzz builds keep the shared runtime that their tools expect; the
# Windows build links everything in already (frontend/CMakeLists.txt).
if(WIN32 OR TAMRO_SANITIZE OR TAMRO_BUILD_FUZZ)
  return()
endif()
foreach(program tamro tamro-compile)
  target_link_options(${program} PRIVATE -static-libstdc++ -static-libgcc -Wl,--as-needed
                      -Wl,-z,relro,-z,now)
  if(TAMRO_BUILD_TESTS)
    add_test(NAME ${program}_needs_only_libc
             COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-linkage.sh $<TARGET_FILE:${program}>)
  endif()
endforeach()
