# Builds for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64-posix) and runs what
# it built under Wine (scripts/wine-run):
#   cmake -G Ninja -B build-windows --toolchain cmake/MinGW64.cmake \
#       -DVARNOCK_BUILD_UI=OFF -DVARNOCK_BUILD_BENCH=OFF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MinGWPrefix x86_64-w64-mingw32)
# The posix flavour carries std::thread and std::mutex, which GoogleTest uses.
set(CMAKE_C_COMPILER ${MinGWPrefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MinGWPrefix}-g++-posix)
set(CMAKE_RC_COMPILER ${MinGWPrefix}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MinGWPrefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The language runtimes and winpthread linked in, so that the programs run under Wine (or on
# a Windows machine) without DLLs copied beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

get_filename_component(VarnockRoot ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${VarnockRoot}/scripts/wine-run)
