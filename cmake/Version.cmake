# The project's version in the Windows files and the programs. It is set once, in project().

# zenthar_version_rc(OUTPUT FILE DESCRIPTION): writes the VERSIONINFO script of FILE (a .dll or an
# .exe) to OUTPUT, for windres or llvm-rc.
function(zenthar_version_rc output file description)
  get_filename_component(rc_name ${file} NAME_WE)
  set(rc_file ${file})
  set(rc_description ${description})
  # VFT_DLL or VFT_APP.
  if(file MATCHES "\\.dll$")
    set(rc_type 2)
  else()
    set(rc_type 1)
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${output} @ONLY)
endfunction()

# zenthar_version(TARGET DESCRIPTION): TARGET knows the version as ZENTHAR_VERSION and, on
# Windows, carries it in a VERSIONINFO resource.
function(zenthar_version target description)
  target_compile_definitions(${target} PRIVATE ZENTHAR_VERSION="${PROJECT_VERSION}")
  if(WIN32)
    get_target_property(name ${target} OUTPUT_NAME)
    if(NOT name)
      set(name ${target})
    endif()
    get_target_property(type ${target} TYPE)
    set(suffix .exe)
    if(type STREQUAL "SHARED_LIBRARY")
      set(suffix .dll)
    endif()
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.version.rc)
    zenthar_version_rc(${rc} ${name}${suffix} "${description}")
    target_sources(${target} PRIVATE ${rc})
  endif()
endfunction()
