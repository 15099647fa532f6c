# Cross-builds for 32-bit ARM Linux (armhf) with Debian's arm-linux-gnueabihf toolchain
# (crossbuild-essential-armhf) and runs target programs under qemu-arm (qemu-user).
#
# The ARM builds of zlib, libuuid and GoogleTest come from a private sysroot folder that
# scripts/ci/test-arm.sh prepares. Its location is DATAOBJECTS_ARM_SYSROOT (cache variable or
# environment variable); by default it is build/arm-sysroot in this checkout. A build directory
# keeps the folder it was configured with: for another folder, start a new build directory.
#
#   cmake -S . -B build/arm -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/arm-linux-gnueabihf.cmake
#   cmake --preset arm   (the presets arm, arm-cost and package-arm of CMakePresets.json use it)
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(DATAOBJECTS_ARM_TRIPLET arm-linux-gnueabihf)
set(CMAKE_C_COMPILER ${DATAOBJECTS_ARM_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${DATAOBJECTS_ARM_TRIPLET}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${DATAOBJECTS_ARM_TRIPLET})
# On ARM, GCC notes wherever a std::vector iterator is passed by value that GCC 7.1 changed how
# such arguments are passed. Everything here is built by one compiler, so the note is noise.
set(CMAKE_CXX_FLAGS_INIT -Wno-psabi)

if(NOT DATAOBJECTS_ARM_SYSROOT)
  if(DEFINED ENV{DATAOBJECTS_ARM_SYSROOT})
    set(DATAOBJECTS_ARM_SYSROOT "$ENV{DATAOBJECTS_ARM_SYSROOT}")
  else()
    get_filename_component(DATAOBJECTS_ARM_SYSROOT
                           "${CMAKE_CURRENT_LIST_DIR}/../../build/arm-sysroot" ABSOLUTE)
  endif()
endif()
set(DATAOBJECTS_ARM_SYSROOT "${DATAOBJECTS_ARM_SYSROOT}" CACHE PATH
    "Folder with the ARM builds of zlib, libuuid and GoogleTest")
# try_compile() projects read this file again; hand them the same folder.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES DATAOBJECTS_ARM_SYSROOT)

set(CMAKE_FIND_ROOT_PATH /usr/${DATAOBJECTS_ARM_TRIPLET} "${DATAOBJECTS_ARM_SYSROOT}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The folder's library directories: libz.so.1 sits in lib/, its development link in usr/lib/.
set(DATAOBJECTS_ARM_LIB1 "${DATAOBJECTS_ARM_SYSROOT}/lib/${DATAOBJECTS_ARM_TRIPLET}")
set(DATAOBJECTS_ARM_LIB2 "${DATAOBJECTS_ARM_SYSROOT}/usr/lib/${DATAOBJECTS_ARM_TRIPLET}")

# Programs linked against the library need its own dependencies found at link time too.
set(CMAKE_EXE_LINKER_FLAGS_INIT
    "-Wl,-rpath-link,${DATAOBJECTS_ARM_LIB1} -Wl,-rpath-link,${DATAOBJECTS_ARM_LIB2}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${CMAKE_EXE_LINKER_FLAGS_INIT}")

# CTest and gtest_discover_tests() run ARM programs through this (scripts/ci/test-arm.sh runs the
# demo the same way). -L lets qemu find the ARM C and C++ runtime, LD_LIBRARY_PATH zlib and
# libuuid.
set(CMAKE_CROSSCOMPILING_EMULATOR
    qemu-arm -L /usr/${DATAOBJECTS_ARM_TRIPLET}
    -E "LD_LIBRARY_PATH=${DATAOBJECTS_ARM_LIB1}:${DATAOBJECTS_ARM_LIB2}")
