# Debian packages, one per install component (cpack -G DEB in the build directory):
#
#   runtime -> libdataobjects-data1       the shared library and its SONAME link
#   dev     -> libdataobjects-data-dev    headers, the .so link, CMake package, pkg-config file
#   tools   -> dataobjects-tools          the dataobjects command-line tool, when it is built
#
# Configure with -DCMAKE_INSTALL_PREFIX=/usr so that the library lands in Debian's multiarch
# directory (/usr/lib/<triplet>). Native builds compute the runtime dependencies with
# dpkg-shlibdeps; cross builds (no target libraries to inspect) state them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME libdataobjects-data)
set(CPACK_PACKAGE_VENDOR "libdataobjects_data developers")
set(CPACK_PACKAGE_CONTACT "libdataobjects_data developers <dataobjects-dev@localhost>"
    CACHE STRING "Maintainer of the Debian packages")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Persistent data objects of the measurement and alarm-monitoring device")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY "${PROJECT_BINARY_DIR}/packages")

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)

set(DATAOBJECTS_PACKAGE_COMPONENTS runtime dev)
if(TARGET dataobjects)
  list(APPEND DATAOBJECTS_PACKAGE_COMPONENTS tools)
endif()
set(CPACK_COMPONENTS_ALL ${DATAOBJECTS_PACKAGE_COMPONENTS})

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME "libdataobjects-data${PROJECT_VERSION_MAJOR}")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
# A shlibs file in every package that holds a shared library (the runtime one), so that
# packages built against the library depend on a version at least as new as they saw.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libdataobjects-data-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
# dataobjects_data.pc names zlib and uuid in Requires.private: pkg-config needs their .pc files.
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "zlib1g-dev, uuid-dev")

set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME dataobjects-tools)
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION utils)
# dpkg-shlibdeps must find the library that the tool links, which is in another package (the
# tool's dependency on it comes from the component dependency below).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${PROJECT_BINARY_DIR}")

if(CMAKE_CROSSCOMPILING)
  if(CMAKE_LIBRARY_ARCHITECTURE STREQUAL "arm-linux-gnueabihf")
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE armhf)
  elseif(CMAKE_LIBRARY_ARCHITECTURE STREQUAL "aarch64-linux-gnu")
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
  endif()
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "libc6, libgcc-s1, libstdc++6, zlib1g, libuuid1")
  set(CPACK_DEBIAN_TOOLS_PACKAGE_DEPENDS "libc6, libgcc-s1, libstdc++6")
else()
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_TOOLS_PACKAGE_SHLIBDEPS ON)
endif()

include(CPack)

cpack_add_component(runtime DISPLAY_NAME "Runtime library"
  DESCRIPTION "Persistent data objects of the measurement device (shared library)
 The measurement jobs, raw measurements, characteristic values, alarm state, alarm learning
 values and trend blocks of the device as C++ value classes with their binary archive form.")
cpack_add_component(dev DISPLAY_NAME "Development files" DEPENDS runtime
  DESCRIPTION "Persistent data objects of the measurement device (development files)
 Headers, the CMake package (find_package(dataobjects_data)) and the pkg-config file
 dataobjects_data.pc for building against libdataobjects_data.")
if(TARGET dataobjects)
  cpack_add_component(tools DISPLAY_NAME "Command-line tool" DEPENDS runtime
    DESCRIPTION "Persistent data objects of the measurement device (command-line tool)
 The dataobjects command-line tool, built on libdataobjects_data.")
endif()
