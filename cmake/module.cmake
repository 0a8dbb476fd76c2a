# orv_add_module(name SOURCES ...): one procedure module, a shared library
# built from the shared module code plus the module's own entry files.  Symbols
# are hidden by default; the version script exports only the entry protocol
# and the service stubs (under both of their names).

set(ORV_EXPORTS_TEMPLATE ${CMAKE_SOURCE_DIR}/host/module_exports.map.in)
set(ORV_EXPORTS_MAP ${CMAKE_BINARY_DIR}/module_exports.map)
add_custom_command(
  OUTPUT ${ORV_EXPORTS_MAP}
  COMMAND ${CMAKE_C_COMPILER} -E -P -x c -I ${CMAKE_SOURCE_DIR}
          ${ORV_EXPORTS_TEMPLATE} -o ${ORV_EXPORTS_MAP}
  DEPENDS ${ORV_EXPORTS_TEMPLATE} ${CMAKE_SOURCE_DIR}/host/services.def
  COMMENT "Generating the module export list from host/services.def")
add_custom_target(orv_exports_map DEPENDS ${ORV_EXPORTS_MAP})

function(orv_add_module name)
  cmake_parse_arguments(ARG "" "" "SOURCES" ${ARGN})
  set(stamp_dir ${CMAKE_CURRENT_BINARY_DIR}/${name}_stamp)
  orv_write_build_stamp(${name} ${stamp_dir}/build_stamp.h)
  add_library(${name} SHARED
    ${CMAKE_SOURCE_DIR}/procdriver/module_entry.cpp
    ${ARG_SOURCES}
    $<TARGET_OBJECTS:orv_module_code>)
  set_target_properties(${name} PROPERTIES
    PREFIX ""
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    LINK_DEPENDS ${ORV_EXPORTS_MAP})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${stamp_dir})
  target_link_options(${name} PRIVATE
    -Wl,--version-script=${ORV_EXPORTS_MAP} -Wl,--no-undefined -Wl,-Bsymbolic)
  add_dependencies(${name} orv_exports_map)
endfunction()
