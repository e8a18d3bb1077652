# Cross build for 64-bit Arm Linux with Debian's cross compiler
# (g++-aarch64-linux-gnu); the built programs run under QEMU's user-mode
# emulator (qemu-user-static or qemu-user), which ctest and
# gtest_discover_tests use through CMAKE_CROSSCOMPILING_EMULATOR.
#
#   cmake -S . -B build-aarch64 \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(TRACKSIFT_CROSS_TRIPLE aarch64-linux-gnu)
set(CMAKE_C_COMPILER ${TRACKSIFT_CROSS_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${TRACKSIFT_CROSS_TRIPLE}-g++)

# The target's C library, headers and run-time linker.
set(TRACKSIFT_CROSS_SYSROOT /usr/${TRACKSIFT_CROSS_TRIPLE})

# Libraries, headers and CMake packages come from the target's folders
# only, never from the host's (whose GoogleTest, say, is x86-64); programs
# run during the build come from the host. Folders given in
# CMAKE_FIND_ROOT_PATH on the command line are searched as well, and a
# package folder given directly (-DGTest_DIR=...) is taken as it is.
list(APPEND CMAKE_FIND_ROOT_PATH ${TRACKSIFT_CROSS_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Where the emulated programs find the target's run-time linker and
# libraries (QEMU's -L). The cross compiler's folder serves, but it lacks
# the C library's character set converters (gconv), so iconv and
# setlocale for a locale such as Shift-JIS fail there; .ci/aarch64 unpacks
# Debian's arm64 libc6, libgcc-s1 and libstdc++6 into a folder of its own
# and names it here.
set(TRACKSIFT_AARCH64_RUNTIME ${TRACKSIFT_CROSS_SYSROOT} CACHE PATH
    "Root folder of the arm64 run-time libraries for the emulator")

# The emulator: Debian's qemu-user-static installs qemu-aarch64-static,
# qemu-user installs qemu-aarch64. Its full path is used, so that a test
# which changes PATH for the program it runs still finds it.
find_program(TRACKSIFT_QEMU_AARCH64
  NAMES qemu-aarch64-static qemu-aarch64
  NO_CMAKE_FIND_ROOT_PATH)
if(TRACKSIFT_QEMU_AARCH64)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      ${TRACKSIFT_QEMU_AARCH64} -L ${TRACKSIFT_AARCH64_RUNTIME})
else()
  message(WARNING "qemu-aarch64 not found (apt-get install qemu-user-static): "
                  "the built programs cannot run on this machine")
endif()
