# The built-in probe table: make_builtin_probes turns the data file into one
# source in the build tree, compiled into the core library.
add_executable(make_builtin_probes ${CMAKE_CURRENT_LIST_DIR}/make_builtin_probes.cpp)
set(QUELVIX_BUILTIN_PROBES_TSV ${CMAKE_CURRENT_LIST_DIR}/builtin_probes.tsv)
set(QUELVIX_BUILTIN_PROBES_CPP ${CMAKE_BINARY_DIR}/generated/LxFluoProbeBuiltinTable.cpp)
add_custom_command(OUTPUT ${QUELVIX_BUILTIN_PROBES_CPP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
  COMMAND make_builtin_probes ${QUELVIX_BUILTIN_PROBES_TSV} ${QUELVIX_BUILTIN_PROBES_CPP}
  DEPENDS make_builtin_probes ${QUELVIX_BUILTIN_PROBES_TSV}
  COMMENT "Generating the built-in probe table"
  VERBATIM)
target_sources(quelvixcore_objects PRIVATE ${QUELVIX_BUILTIN_PROBES_CPP})
