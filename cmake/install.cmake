# Install rules and packaging: the libraries, the C and C++ headers, a CMake
# package (find_package(cellkeys) gives cellkeys::cellkeys, cellkeys::shared
# and, with MPI, cellkeys::mpi and cellkeys::mpi_shared) and pkg-config
# files.  Every file is placed relative to the prefix, so an installed tree
# can be moved.  Headers and the Fortran module go to include/, the one
# directory the exported targets name.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)
set(cellkeys_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/cellkeys)
set(cellkeys_pkgconfig_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

set_target_properties(cellkeys_shared PROPERTIES EXPORT_NAME shared)
install(TARGETS cellkeys cellkeys_shared EXPORT cellkeys-targets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(EXPORT cellkeys-targets NAMESPACE cellkeys:: DESTINATION ${cellkeys_cmake_dir})
install(FILES include/cellkeys.h include/cellkeys.hpp ${PROJECT_BINARY_DIR}/include/cellkeys_version.h
  DESTINATION include)

if(TARGET cellkeys_mpi)
  set_target_properties(cellkeys_mpi PROPERTIES EXPORT_NAME mpi)
  set_target_properties(cellkeys_mpi_shared PROPERTIES EXPORT_NAME mpi_shared)
  install(TARGETS cellkeys_mpi cellkeys_mpi_shared EXPORT cellkeys-mpi-targets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
  install(EXPORT cellkeys-mpi-targets NAMESPACE cellkeys:: DESTINATION ${cellkeys_cmake_dir})
endif()

# The build tree is a package too: a project configured with
# -Dcellkeys_DIR=<this build directory> uses the libraries where they were
# built, without installing.  The config and version files below serve both.
export(EXPORT cellkeys-targets NAMESPACE cellkeys:: FILE ${PROJECT_BINARY_DIR}/cellkeys-targets.cmake)
if(TARGET cellkeys_mpi)
  export(EXPORT cellkeys-mpi-targets NAMESPACE cellkeys:: FILE ${PROJECT_BINARY_DIR}/cellkeys-mpi-targets.cmake)
endif()

configure_package_config_file(cmake/cellkeys-config.cmake.in
  ${PROJECT_BINARY_DIR}/cellkeys-config.cmake INSTALL_DESTINATION ${cellkeys_cmake_dir})
# Before 1.0 a minor release may change the interface.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/cellkeys-config-version.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/cellkeys-config.cmake
  ${PROJECT_BINARY_DIR}/cellkeys-config-version.cmake DESTINATION ${cellkeys_cmake_dir})

# pkg-config finds the prefix from the .pc file's own place.
file(RELATIVE_PATH cellkeys_pc_to_prefix /prefix/${cellkeys_pkgconfig_dir} /prefix)
string(REGEX REPLACE "/$" "" cellkeys_pc_to_prefix "${cellkeys_pc_to_prefix}")
set(cellkeys_pcs cellkeys)
if(TARGET cellkeys_mpi)
  list(APPEND cellkeys_pcs cellkeys-mpi)
endif()
foreach(pc ${cellkeys_pcs})
  configure_file(cmake/${pc}.pc.in ${PROJECT_BINARY_DIR}/${pc}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/${pc}.pc DESTINATION ${cellkeys_pkgconfig_dir})
endforeach()
