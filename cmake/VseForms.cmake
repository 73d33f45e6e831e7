# vse_add_forms(<target> SOURCES a.dfm b.dfm ...): converts text form files into binary form
# resources at build time (tools/formc) and adds them to <target> as a generated source, which
# registers each under its root class name (upper-cased) in the form-resource table.
# The generated source also defines extern "C" vse_register_forms_<target>() for static
# libraries, whose unreferenced objects the linker may drop: call it once from code that is
# linked for sure.
function(vse_define_formc)
  if(TARGET formc)
    return()
  endif()
  add_executable(formc ${CMAKE_SOURCE_DIR}/tools/formc/formc.cpp)
  target_link_libraries(formc PRIVATE framework)
  set_target_properties(formc PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools/bin
    BUILD_RPATH ${VSE_BIN})
endfunction()

function(vse_add_forms target)
  cmake_parse_arguments(F "" "" "SOURCES" ${ARGN})
  vse_define_formc()
  string(MAKE_C_IDENTIFIER ${target} id)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_forms.cpp)
  set(inputs)
  foreach(f ${F_SOURCES})
    get_filename_component(abs ${f} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    list(APPEND inputs ${abs})
  endforeach()
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 $<TARGET_FILE:formc> ${out} ${id} ${inputs}
    DEPENDS formc ${inputs}
    COMMENT "Form resources of ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
endfunction()
