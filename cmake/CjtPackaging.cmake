# What a user installs, made by `cmake --build <dir> --target package` (CPack):
#   Windows: a ZIP with the stripped plug-in library, the reference host, a language-file
#            template, the install note and the public header;
#   Linux:   a Debian package with the plug-in library, the reference host and the meter
#            simulator, their --help texts, the public header and the systemd unit (installed,
#            not enabled).
include(GNUInstallDirs)

# The programs' --help texts, the Debian package's documentation of them (where the build
# runs its programs: the native one).
if(NOT WIN32 AND NOT CMAKE_CROSSCOMPILING)
  set(CJT_HELP_TEXTS ${CMAKE_BINARY_DIR}/doc/cjt188-host.txt ${CMAKE_BINARY_DIR}/doc/cjt188-meter.txt)
  add_custom_command(OUTPUT ${CJT_HELP_TEXTS}
    COMMAND ${CMAKE_COMMAND} -E make_directory doc
    COMMAND sh -c "\"$0\" --help > doc/cjt188-host.txt" $<TARGET_FILE:cjt188-host>
    COMMAND sh -c "\"$0\" --help > doc/cjt188-meter.txt" $<TARGET_FILE:cjt188-meter>
    DEPENDS cjt188-host cjt188-meter
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    VERBATIM)
  add_custom_target(cjt_help_texts ALL DEPENDS ${CJT_HELP_TEXTS})
endif()

set(CPACK_PACKAGE_NAME cjt188)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "CJ/T 188 meter reading: parser and query plug-in, reference host, meter simulator")
set(CPACK_STRIP_FILES TRUE)
set(CPACK_OUTPUT_FILE_PREFIX packages)

# Both packages carry the one header a host program needs.
install(FILES ${CMAKE_SOURCE_DIR}/include/cjt188/host_abi.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/cjt188)

if(WIN32)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(CPACK_SYSTEM_NAME win32)
  else()
    set(CPACK_SYSTEM_NAME win64)
  endif()
  set(CPACK_GENERATOR ZIP)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
  install(TARGETS cjt188 cjt188-host RUNTIME DESTINATION .)
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/cjt188.lng.template ${CMAKE_SOURCE_DIR}/packaging/INSTALL.txt
          DESTINATION .)
else()
  install(TARGETS cjt188 LIBRARY DESTINATION ${CJT_PLUGIN_INSTALL_DIR})
  install(TARGETS cjt188-host cjt188-meter RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${CMAKE_SOURCE_DIR}/tools/cjt188-host/deploy/cjt188-host.service DESTINATION lib/systemd/system)
  install(FILES ${CMAKE_SOURCE_DIR}/tools/cjt188-host/deploy/meters.xml
                ${CMAKE_SOURCE_DIR}/tools/cjt188-host/deploy/cjt188-host.env
          DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
  install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CJT_HELP_TEXTS} DESTINATION ${CMAKE_INSTALL_DOCDIR})

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION misc)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "cjt188 maintainers <cjt188@localhost>")
  # The libraries the programs link (libstdc++, libmosquitto) become the package's dependencies.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

include(CPack)
