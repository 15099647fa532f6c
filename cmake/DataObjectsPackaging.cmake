# Debian packages, one per install component (cpack -G DEB in the build directory):
#
#   runtime -> libdataobjects-data1       the shared library and its SONAME link
#   dev     -> libdataobjects-data-dev    headers, the .so link, CMake package, pkg-config file
#   tools   -> dataobjects-tools          the dataobjects command-line tool, when it is built
#   python  -> python3-dataobjects-data   the Python module, when it is built (native builds only)
#
# and for runtime, tools and python a -dbgsym package (.ddeb) with the debugging information that
# CPack strips from their binaries, under /usr/lib/debug/.build-id/. Each package carries the files of
# packaging/ that Debian expects: copyright, changelog.Debian.gz, and for the library a symbols
# file and an ldconfig trigger.
#
# Configure with -DCMAKE_INSTALL_PREFIX=/usr so that the library lands in Debian's multiarch
# directory (/usr/lib/<triplet>), and with -DDATAOBJECTS_PACKAGE_FLAGS=ON so that the binaries
# carry debugging information and Debian's hardening. Native builds compute the runtime
# dependencies with dpkg-shlibdeps; cross builds (no target libraries to inspect) state them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME libdataobjects-data)
set(CPACK_PACKAGE_VENDOR "libdataobjects_data developers")
# Build folders configured when the default address was at localhost keep it in their cache;
# lintian rejects it (bogus-mail-host).
if(CPACK_PACKAGE_CONTACT MATCHES "@localhost>$")
  unset(CPACK_PACKAGE_CONTACT CACHE)
endif()
set(CPACK_PACKAGE_CONTACT "libdataobjects_data developers <dataobjects-dev@example.org>"
    CACHE STRING "Maintainer of the Debian packages: \"Name <address>\"")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY "${PROJECT_BINARY_DIR}/packages")

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_SOURCE libdataobjects-data)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(DATAOBJECTS_PACKAGE_COMPONENTS runtime dev)
if(TARGET dataobjects)
  list(APPEND DATAOBJECTS_PACKAGE_COMPONENTS tools)
endif()
if(TARGET dataobjects_data_python)
  list(APPEND DATAOBJECTS_PACKAGE_COMPONENTS python)
endif()
set(CPACK_COMPONENTS_ALL ${DATAOBJECTS_PACKAGE_COMPONENTS})

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME "libdataobjects-data${PROJECT_VERSION_MAJOR}")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
# A shlibs file in every package that holds a shared library (the runtime one), so that
# packages built against the library depend on a version at least as new as they saw. The
# symbols file refines that per symbol: DataObjectsDebianPostBuild.cmake makes it from
# packaging/libdataobjects-data1.symbols and the packaged library (scripts/dev/update-symbols.sh
# rewrites that file). ldconfig runs through the trigger, not through maintainer scripts (CMake
# 3.19 or newer runs the post-build script).
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA "${PROJECT_SOURCE_DIR}/packaging/triggers")
set(CPACK_DATAOBJECTS_RUNTIME_PACKAGE "${CPACK_DEBIAN_RUNTIME_PACKAGE_NAME}")
set(CPACK_DATAOBJECTS_SYMBOLS_FILE
    "${PROJECT_SOURCE_DIR}/packaging/${CPACK_DEBIAN_RUNTIME_PACKAGE_NAME}.symbols")
set(CPACK_POST_BUILD_SCRIPTS "${PROJECT_SOURCE_DIR}/cmake/DataObjectsDebianPostBuild.cmake")
set(CPACK_DEBIAN_RUNTIME_DEBUGINFO_PACKAGE ON)

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libdataobjects-data-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
# dataobjects_data.pc names zlib and uuid in Requires.private: pkg-config needs their .pc files.
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "zlib1g-dev, uuid-dev")

set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME dataobjects-tools)
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_TOOLS_DEBUGINFO_PACKAGE ON)
# dpkg-shlibdeps must find the library that the tool links, which is in another package (the
# tool's dependency on it comes from the component dependency below).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${PROJECT_BINARY_DIR}")

# The module is built for the python3 it was configured with: its extension suffix names that
# version, and only that version loads it.
set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-dataobjects-data)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
set(CPACK_DEBIAN_PYTHON_DEBUGINFO_PACKAGE ON)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SHLIBDEPS ON)
if(TARGET dataobjects_data_python)
  math(EXPR next_minor "${Python_VERSION_MINOR} + 1")
  set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "python3 (>= ${Python_VERSION_MAJOR}.${Python_VERSION_MINOR}~), \
python3 (<< ${Python_VERSION_MAJOR}.${next_minor}), python3-numpy")
  # read_frame and iter_frames import pandas; dataobjects_data.dask needs Dask and fsspec, and
  # Dask's distributed scheduler for a cluster.
  set(CPACK_DEBIAN_PYTHON_PACKAGE_RECOMMENDS "python3-pandas")
  set(CPACK_DEBIAN_PYTHON_PACKAGE_SUGGESTS "python3-dask, python3-distributed, python3-fsspec")
endif()

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

# copyright and changelog.Debian.gz in /usr/share/doc/<package> of each package, and lintian's
# overrides (each with its reason) in /usr/share/lintian/overrides/<package>.
file(MAKE_DIRECTORY "${PROJECT_BINARY_DIR}/packaging")
execute_process(COMMAND gzip -9nc INPUT_FILE "${PROJECT_SOURCE_DIR}/packaging/changelog"
  OUTPUT_FILE "${PROJECT_BINARY_DIR}/packaging/changelog.Debian.gz" RESULT_VARIABLE gzip_status)
if(NOT gzip_status EQUAL 0)
  message(FATAL_ERROR "gzip could not compress packaging/changelog: ${gzip_status}")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  "${PROJECT_SOURCE_DIR}/packaging/changelog")
foreach(component IN LISTS DATAOBJECTS_PACKAGE_COMPONENTS)
  string(TOUPPER "${component}" upper)
  install(FILES "${PROJECT_SOURCE_DIR}/packaging/copyright"
    "${PROJECT_BINARY_DIR}/packaging/changelog.Debian.gz"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/${CPACK_DEBIAN_${upper}_PACKAGE_NAME}"
    COMPONENT ${component})
  install(FILES "${PROJECT_SOURCE_DIR}/packaging/lintian-overrides"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/lintian/overrides"
    RENAME "${CPACK_DEBIAN_${upper}_PACKAGE_NAME}" COMPONENT ${component})
endforeach()

# With DATAOBJECTS_PACKAGE_FLAGS: debugging information for the -dbgsym packages (CPack strips it
# from the binaries it packages) and the hardening Debian builds its packages with.
# _FORTIFY_SOURCE needs an optimised build.
if(DATAOBJECTS_PACKAGE_FLAGS)
  # The library's sources are compiled in dataobjects_data_objects and linked in dataobjects_data.
  foreach(target dataobjects_data_objects dataobjects dataobjects_data_python)
    if(TARGET ${target})
      target_compile_options(${target} PRIVATE -g -fstack-protector-strong
        $<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=2>)
    endif()
  endforeach()
  foreach(target dataobjects_data dataobjects dataobjects_data_python)
    if(TARGET ${target})
      target_link_options(${target} PRIVATE -Wl,-z,relro -Wl,-z,now)
    endif()
  endforeach()
endif()

include(CPack)

# Descriptions: the synopsis line, then the text, which CPack indents by one column; at most 80
# columns a line. (A CPACK_PACKAGE_DESCRIPTION_SUMMARY would replace each package's synopsis.)
cpack_add_component(runtime DISPLAY_NAME "Runtime library"
  DESCRIPTION "Persistent data objects of a measurement device (shared library)
The measurement jobs, raw measurements, characteristic values, alarm state,
alarm learning values and trend blocks of a measurement and alarm-monitoring
device as C++ value classes, with their binary archive form.")
cpack_add_component(dev DISPLAY_NAME "Development files" DEPENDS runtime
  DESCRIPTION "Persistent data objects of a measurement device (development files)
Headers, the CMake package (find_package(dataobjects_data)) and the pkg-config
file dataobjects_data.pc for building against libdataobjects_data.")
if(TARGET dataobjects)
  cpack_add_component(tools DISPLAY_NAME "Command-line tool" DEPENDS runtime
    DESCRIPTION "Persistent data objects of a measurement device (command-line tool)
The dataobjects tool shows archives of data objects as text or JSON, turns JSON
back into archives, and runs a demonstration of the library.")
endif()
if(TARGET dataobjects_data_python)
  cpack_add_component(python DISPLAY_NAME "Python module" DEPENDS runtime
    DESCRIPTION "Persistent data objects of a measurement device (Python 3 module)
The module dataobjects_data reads and writes the data objects as the library
does: the classes with their fields as attributes, archives to and from bytes
and files, dicts in the form of the dataobjects tool's JSON, and the library's
exceptions.")
endif()
