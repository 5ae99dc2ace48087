# What `cmake --install` puts where, the CMake package and pkg-config file hosts build against, and the Debian
# package CPack makes of the same files. Included by the top CMakeLists.txt once the library and tavigp exist.
include(CMakePackageConfigHelpers)

set(tavi_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/taviGeoprocessing)
set(tavi_pkgconfig_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

install(TARGETS taviGeoprocessing EXPORT taviGeoprocessingTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS tavigp RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY include/tavi DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
# Localized string tables sit beside the library ("taviGeoprocessing.<locale>.strings"); the English one is built
# in, so the folder may hold none.
file(GLOB tavi_string_tables CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/strings/*.strings)
install(FILES ${tavi_string_tables} DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

# find_package(taviGeoprocessing CONFIG) gives tavi::Geoprocessing.
install(EXPORT taviGeoprocessingTargets NAMESPACE tavi:: DESTINATION ${tavi_cmake_dir})
configure_package_config_file(cmake/taviGeoprocessingConfig.cmake.in
                              ${CMAKE_CURRENT_BINARY_DIR}/taviGeoprocessingConfig.cmake
                              INSTALL_DESTINATION ${tavi_cmake_dir})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/taviGeoprocessingConfigVersion.cmake
                                 COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/taviGeoprocessingConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/taviGeoprocessingConfigVersion.cmake
        DESTINATION ${tavi_cmake_dir})

# pkg-config: the prefix is found from where the file lies, so the installed tree may be moved (or unpacked from
# the Debian package anywhere) and still be built against.
file(RELATIVE_PATH tavi_pc_to_prefix /${tavi_pkgconfig_dir} /)
configure_file(cmake/taviGeoprocessing.pc.in ${CMAKE_CURRENT_BINARY_DIR}/taviGeoprocessing.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/taviGeoprocessing.pc DESTINATION ${tavi_pkgconfig_dir})

# The Debian package: everything above, installed under /usr, its dependencies found by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavigeoprocessing)
set(CPACK_PACKAGE_VENDOR "taviGeoprocessing developers")
set(CPACK_PACKAGE_CONTACT "taviGeoprocessing developers <tavi@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Geoprocessing object library: typed values, data types, domains and tools' parameters")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON) # the build's debugging information stays in the build
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_CURRENT_BINARY_DIR}/packages)
include(CPack)
