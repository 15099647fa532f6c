# Install rules of the library: the public headers under include/dataobjects_data/ in their
# source layout, the shared library with its SONAME links, a CMake package
# (find_package(dataobjects_data CONFIG) -> dataobjects_data::dataobjects_data) and the pkg-config
# file dataobjects_data.pc. Components: "runtime" holds the library file and its SONAME link,
# "dev" everything needed to build against it.
include(CMakePackageConfigHelpers)

set(DATAOBJECTS_INSTALL_INCLUDEDIR "${CMAKE_INSTALL_INCLUDEDIR}/dataobjects_data")
set(DATAOBJECTS_INSTALL_CMAKEDIR "${CMAKE_INSTALL_LIBDIR}/cmake/dataobjects_data")

install(TARGETS dataobjects_data EXPORT dataobjects_dataTargets
  LIBRARY DESTINATION "${CMAKE_INSTALL_LIBDIR}" COMPONENT runtime NAMELINK_COMPONENT dev
)

# The headers of the three directories; the codec header "Serialize" has no extension.
# Directories named detail (dataobjects/detail/, platform/detail/) hold what only the library's
# sources include.
install(DIRECTORY platform dataobjects
  DESTINATION "${DATAOBJECTS_INSTALL_INCLUDEDIR}" COMPONENT dev
  FILES_MATCHING PATTERN "*.h"
  PATTERN "detail" EXCLUDE
)
install(DIRECTORY libs/utilities/archive/
  DESTINATION "${DATAOBJECTS_INSTALL_INCLUDEDIR}/libs/utilities/archive" COMPONENT dev
  FILES_MATCHING PATTERN "*.h" PATTERN "Serialize"
)

install(EXPORT dataobjects_dataTargets NAMESPACE dataobjects_data::
  DESTINATION "${DATAOBJECTS_INSTALL_CMAKEDIR}" COMPONENT dev
)
configure_package_config_file(cmake/dataobjects_dataConfig.cmake.in
  "${PROJECT_BINARY_DIR}/dataobjects_dataConfig.cmake"
  INSTALL_DESTINATION "${DATAOBJECTS_INSTALL_CMAKEDIR}"
)
write_basic_package_version_file("${PROJECT_BINARY_DIR}/dataobjects_dataConfigVersion.cmake"
  COMPATIBILITY SameMajorVersion
)
install(FILES
  "${PROJECT_BINARY_DIR}/dataobjects_dataConfig.cmake"
  "${PROJECT_BINARY_DIR}/dataobjects_dataConfigVersion.cmake"
  DESTINATION "${DATAOBJECTS_INSTALL_CMAKEDIR}" COMPONENT dev
)

# pkg-config. The prefix is the one the files are installed under, known only at install time
# (cmake --install --prefix, CPack): the template is filled here except for
# @CMAKE_INSTALL_PREFIX@, which the install step fills in before it installs the file.
foreach(dir LIBDIR INCLUDEDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${dir}}")
    set(DATAOBJECTS_PC_${dir} "${CMAKE_INSTALL_${dir}}")
  else()
    set(DATAOBJECTS_PC_${dir} "\${prefix}/${CMAKE_INSTALL_${dir}}")
  endif()
endforeach()
set(CMAKE_INSTALL_PREFIX_PLACEHOLDER "@CMAKE_INSTALL_PREFIX@")
configure_file(cmake/dataobjects_data.pc.in "${PROJECT_BINARY_DIR}/dataobjects_data.pc.in" @ONLY)
install(CODE "configure_file(\"${PROJECT_BINARY_DIR}/dataobjects_data.pc.in\"
  \"${PROJECT_BINARY_DIR}/pkgconfig/dataobjects_data.pc\" @ONLY)" COMPONENT dev)
install(FILES "${PROJECT_BINARY_DIR}/pkgconfig/dataobjects_data.pc"
  DESTINATION "${CMAKE_INSTALL_LIBDIR}/pkgconfig" COMPONENT dev
)
