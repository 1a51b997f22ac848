# zenthar_linked_module(NAME SOURCES file... [INCLUDES dir...] [OPTIONS option...]): a module for a
# program that loads no files (the desk's WebAssembly engine), made of the sources a DLL is made
# of, as the object ${NAME}_linked. Its sources and src/runtime/linked_start.cpp are compiled to
# LLVM code and joined into one unit; cmake/linked_module.py turns the initializers the compiler
# listed for the program's start-up into the module's own, run by its entry at load, and opt makes
# every symbol the module's own but two, NAME_entry and NAME_image. So two modules may define the
# same names (each has its DllMain) and the program reaches neither's code but through its entry,
# as with a DLL. A program links the object and lists the module (src/tessel/linked_modules.h).
find_program(ZENTHAR_LLVM_LINK NAMES llvm-link-14 llvm-link REQUIRED)
find_program(ZENTHAR_LLVM_DIS NAMES llvm-dis-14 llvm-dis REQUIRED)
find_program(ZENTHAR_LLVM_AS NAMES llvm-as-14 llvm-as REQUIRED)
find_program(ZENTHAR_OPT NAMES opt-14 opt REQUIRED)
find_program(ZENTHAR_PYTHON NAMES python3 REQUIRED)

function(zenthar_linked_module name)
  cmake_parse_arguments(ARG "" "" "SOURCES;INCLUDES;OPTIONS" ${ARGN})
  set(code ${name}_code)
  add_library(${code} OBJECT ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/src/runtime/linked_start.cpp)
  target_include_directories(${code} PRIVATE ${ARG_INCLUDES})
  target_link_libraries(${code} PRIVATE tessel)
  target_compile_options(${code} PRIVATE -emit-llvm -fno-exceptions -fno-rtti ${ARG_OPTIONS})

  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${name}.linked)
  set(object ${dir}/${name}.o)
  set(script ${PROJECT_SOURCE_DIR}/cmake/linked_module.py)
  add_custom_command(
    OUTPUT ${object}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${ZENTHAR_LLVM_LINK} -o ${dir}/joined.bc $<TARGET_OBJECTS:${code}>
    COMMAND ${ZENTHAR_PYTHON} ${script} ${name} ${ZENTHAR_LLVM_DIS} ${ZENTHAR_LLVM_AS}
            ${dir}/joined.bc ${dir}/started.bc
    COMMAND ${ZENTHAR_OPT} -internalize -internalize-public-api-list=${name}_entry,${name}_image
            -globaldce ${dir}/started.bc -o ${dir}/own.bc
    # Optimized as a whole, at the level of the Release build's own objects.
    COMMAND ${CMAKE_CXX_COMPILER} -O3 -c ${dir}/own.bc -o ${object}
    DEPENDS $<TARGET_OBJECTS:${code}> ${script}
    COMMAND_EXPAND_LISTS VERBATIM
    COMMENT "linked-in module ${name}")
  add_custom_target(${name}_linked DEPENDS ${object})
  set_property(TARGET ${name}_linked PROPERTY ZENTHAR_OBJECT ${object})
endfunction()

# Adds the objects of the linked-in modules to `target`.
function(zenthar_link_modules target)
  foreach(name ${ARGN})
    get_target_property(object ${name}_linked ZENTHAR_OBJECT)
    target_sources(${target} PRIVATE ${object})
    set_source_files_properties(${object} PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
    add_dependencies(${target} ${name}_linked)
  endforeach()
endfunction()
