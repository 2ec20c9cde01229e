# What `cmake --install` puts in place: the library (which is also the plug-in hosts load), the
# command-line host, the headers a host needs, the examples, the schema of definition files, a
# CMake package (find_package(SetupFsm), target SetupFsm::SetupFsm) and a pkg-config file.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(SETUPFSM_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/SetupFsm)
set(SETUPFSM_DATA_DIR ${CMAKE_INSTALL_DATADIR}/setupfsm)

# The host links the library and loads it again as its plug-in: both must be found next to
# each other wherever the prefix is moved.
file(RELATIVE_PATH host_to_lib /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_LIBDIR})
set_target_properties(setupfsm-cli PROPERTIES INSTALL_RPATH "$ORIGIN/${host_to_lib}")
target_compile_definitions(setupfsm-cli PRIVATE SETUPFSM_VERSION="${PROJECT_VERSION}"
  SETUPFSM_INSTALLED_PLUGIN="${host_to_lib}/$<TARGET_FILE_NAME:setupfsm>")
set_target_properties(setupfsm PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})

install(TARGETS setupfsm LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
# The network library's backends: the plug-in loads them from its own directory.
install(TARGETS setupfsm-ipkit LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS setupfsm-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The headers of the classes a host drives and every header of ours they include, followed at
# configure time so that a new include cannot leave an installed header dangling. Nothing more
# is promised to hosts.
set(host_headers engine/fsm.h engine/state.h engine/statefactory.h engine/object.h engine/transition.h
  engine/trace.h plugin/plugin.h)
set(pending ${host_headers})
while(pending)
  list(POP_FRONT pending header)
  file(STRINGS ${PROJECT_SOURCE_DIR}/src/${header} includes REGEX "^#include \"[a-z]+/[a-z0-9_]+\\.h\"")
  foreach(line ${includes})
    string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" included "${line}")
    if(NOT included IN_LIST host_headers)
      list(APPEND host_headers ${included})
      list(APPEND pending ${included})
    endif()
  endforeach()
endwhile()
foreach(header ${host_headers})
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${header})
  get_filename_component(folder ${header} DIRECTORY)
  install(FILES ${PROJECT_SOURCE_DIR}/src/${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/setupfsm/${folder})
endforeach()

install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${SETUPFSM_DATA_DIR}/examples USE_SOURCE_PERMISSIONS)

# The schema comes from the installed host's own type registry, so it always matches the
# library beside it. A host without the "schema" command installs none and says so.
install(CODE "
  set(schema \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${SETUPFSM_DATA_DIR}/setupfsm.xsd\")
  execute_process(COMMAND \"$<TARGET_FILE:setupfsm-cli>\" schema
    OUTPUT_VARIABLE xsd ERROR_QUIET RESULT_VARIABLE status)
  if(status EQUAL 0 AND xsd MATCHES \"<xs:schema\")
    file(WRITE \"\${schema}\" \"\${xsd}\")
    message(STATUS \"Installing: \${schema}\")
  else()
    message(STATUS \"Skipping the schema: this setupfsm has no schema command\")
  endif()
")

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/SetupFsmConfig.cmake.in
  ${PROJECT_BINARY_DIR}/SetupFsmConfig.cmake INSTALL_DESTINATION ${SETUPFSM_CMAKE_DIR}
  PATH_VARS CMAKE_INSTALL_LIBDIR CMAKE_INSTALL_INCLUDEDIR CMAKE_INSTALL_BINDIR)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/SetupFsmConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/SetupFsmConfig.cmake ${PROJECT_BINARY_DIR}/SetupFsmConfigVersion.cmake
  DESTINATION ${SETUPFSM_CMAKE_DIR})

# Relative to the file itself, so that a prefix given at install time holds.
file(RELATIVE_PATH pc_to_prefix /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
configure_file(${PROJECT_SOURCE_DIR}/cmake/setupfsm.pc.in ${PROJECT_BINARY_DIR}/setupfsm.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/setupfsm.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
