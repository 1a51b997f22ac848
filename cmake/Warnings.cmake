# Flags shared by every target of the project.
add_compile_options(-Wall -Wextra -Wshadow -Wnon-virtual-dtor -Wno-unused-parameter
                    -Wno-missing-field-initializers)
if(ZENTHAR_WERROR)
  add_compile_options(-Werror)
endif()
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  # GCC 12 at -O2 reports -Wrestrict inside libstdc++'s operator+(const char*, std::string&&),
  # on the Linux Release build and on MinGW alike: a false positive of that compiler (GCC 13
  # no longer gives it), not an overlap in our code.
  add_compile_options(-Wno-restrict)
endif()
if(WIN32)
  # SSE arithmetic, so the 32-bit build computes the same floats as the 64-bit one.
  add_compile_options(-msse2 -mfpmath=sse)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  add_link_options(-static-libgcc -static-libstdc++)
  # The same sources make the same files whenever they are built: no link time in the header.
  add_link_options(-Wl,--no-insert-timestamp)
  if(ZENTHAR_RELEASE)
    # ... and wherever: no folder of the build in the files to ship, and no symbols. Only here,
    # as the tests find their data through __FILE__. GCC applies the last map that matches, and
    # the build folder may lie inside the sources, so it comes last.
    add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=
                        -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
    add_link_options(-s)
  endif()
endif()
add_compile_options(-ffp-contract=off)
if(ZENTHAR_SANITIZE)
  # The plug-in is built without RTTI, which the vptr check needs.
  add_compile_options(-fsanitize=${ZENTHAR_SANITIZE} -fno-sanitize=vptr -fno-omit-frame-pointer
                      -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${ZENTHAR_SANITIZE} -fno-sanitize=vptr)
endif()
if(ZENTHAR_COVERAGE)
  add_compile_options(--coverage -O0)
  add_link_options(--coverage)
endif()
