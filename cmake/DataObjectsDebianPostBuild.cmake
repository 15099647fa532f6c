# Run by CPack once it has built the Debian packages (CPACK_POST_BUILD_SCRIPTS). It rebuilds two
# kinds of them with dpkg-deb, as Debian's own package tools would have made them:
#
# - the runtime package: CPack gives a package that holds a shared library maintainer scripts
#   that call ldconfig; Debian runs ldconfig through a trigger instead (packaging/triggers, added
#   by CPack), so the scripts go. Its symbols file is made here by dpkg-gensymbols from
#   packaging/libdataobjects-data1.symbols and the packaged library.
# - the -dbgsym packages (.ddeb): CPack lists their files in md5sums under the absolute path of
#   its staging folder; the list is made again. Their documentation folder links to that of the
#   package they belong to, which holds the copyright file.
#
# Without dpkg-dev the packages stay as CPack made them.

function(dataobjects_run output_variable)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE output
                  ERROR_VARIABLE output)
  if(NOT status EQUAL 0)
    string(REPLACE ";" " " command "${ARGN}")
    message(FATAL_ERROR "${command} failed (${status}):\n${output}")
  endif()
  set(${output_variable} "${output}" PARENT_SCOPE)
endfunction()

function(dataobjects_fix_runtime_package package tree)
  file(REMOVE "${tree}/DEBIAN/postinst" "${tree}/DEBIAN/postrm")
  dataobjects_run(architecture "${DATAOBJECTS_DPKG_DEB}" --field "${package}" Architecture)
  string(STRIP "${architecture}" architecture)
  # dpkg-gensymbols looks for libraries in the build machine's directories: name them.
  file(GLOB_RECURSE files "${tree}/usr/lib/*.so.*")
  set(libraries "")
  foreach(file IN LISTS files)
    if(NOT IS_SYMLINK "${file}")
      list(APPEND libraries "-e${file}")
    endif()
  endforeach()
  # Symbols new to the template get this version; -c0: differences are reported, not fatal
  # (scripts/ci/test-install.sh fails on them).
  dataobjects_run(report "${DATAOBJECTS_DPKG_GENSYMBOLS}" -c0 ${libraries}
    "-p${CPACK_DATAOBJECTS_RUNTIME_PACKAGE}" "-P${tree}" "-a${architecture}"
    "-v${CPACK_PACKAGE_VERSION}" "-I${CPACK_DATAOBJECTS_SYMBOLS_FILE}"
    "-O${tree}/DEBIAN/symbols")
  if(report)
    message(WARNING "The library's symbols differ from ${CPACK_DATAOBJECTS_SYMBOLS_FILE}:\n"
                    "${report}")
  endif()
endfunction()

function(dataobjects_fix_debug_package tree name)
  file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${tree}" "${tree}/usr/*")
  list(SORT files)
  set(md5sums "")
  foreach(file IN LISTS files)
    file(MD5 "${tree}/${file}" md5)
    string(APPEND md5sums "${md5}  ${file}\n")
  endforeach()
  file(WRITE "${tree}/DEBIAN/md5sums" "${md5sums}")
  string(REGEX REPLACE "-dbgsym_.*" "" owner "${name}")
  file(MAKE_DIRECTORY "${tree}/usr/share/doc")
  file(CREATE_LINK "${owner}" "${tree}/usr/share/doc/${owner}-dbgsym" SYMBOLIC)
endfunction()

find_program(DATAOBJECTS_DPKG_DEB dpkg-deb)
find_program(DATAOBJECTS_DPKG_GENSYMBOLS dpkg-gensymbols)
if(NOT DATAOBJECTS_DPKG_DEB OR NOT DATAOBJECTS_DPKG_GENSYMBOLS)
  message(WARNING "dpkg-deb or dpkg-gensymbols (dpkg-dev) is missing: the packages keep CPack's "
                  "ldconfig maintainer scripts and md5sums, and have no symbols file")
  return()
endif()

foreach(package IN LISTS CPACK_PACKAGE_FILES)
  get_filename_component(name "${package}" NAME)
  if(name MATCHES "^${CPACK_DATAOBJECTS_RUNTIME_PACKAGE}_.*\\.deb$")
    set(kind runtime)
  elseif(name MATCHES "-dbgsym_.*\\.ddeb$")
    set(kind debug)
  else()
    continue()
  endif()
  set(tree "${package}.tree")
  file(REMOVE_RECURSE "${tree}")
  dataobjects_run(ignored "${DATAOBJECTS_DPKG_DEB}" --raw-extract "${package}" "${tree}")
  if(kind STREQUAL runtime)
    dataobjects_fix_runtime_package("${package}" "${tree}")
  else()
    dataobjects_fix_debug_package("${tree}" "${name}")
  endif()
  dataobjects_run(ignored "${DATAOBJECTS_DPKG_DEB}" --root-owner-group -Zgzip --build "${tree}"
                  "${package}")
  file(REMOVE_RECURSE "${tree}")
endforeach()
