# Builds for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64-posix) and runs what
# it built under Wine (scripts/wine-run):
#   cmake -G Ninja -B build-windows --toolchain cmake/MinGW64.cmake -DVARNOCK_BUILD_BENCH=OFF
# The window needs Qt built for Windows, which scripts/qt-for-windows makes (./dev runs it):
# VARNOCK_QT_WINDOWS names its folder, by default the one that script keeps in its cache.
# Without it, build with -DVARNOCK_BUILD_UI=OFF.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MinGWPrefix x86_64-w64-mingw32)
# The posix flavour carries std::thread and std::mutex, which GoogleTest uses.
set(CMAKE_C_COMPILER ${MinGWPrefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MinGWPrefix}-g++-posix)
set(CMAKE_RC_COMPILER ${MinGWPrefix}-windres)
set(CMAKE_STRIP ${MinGWPrefix}-strip)

set(CMAKE_FIND_ROOT_PATH /usr/${MinGWPrefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The language runtimes and winpthread linked in, so that the programs run under Wine (or on
# a Windows machine) without DLLs copied beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# The same for the modules the programs load (the fine structure's): only C types cross over.
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

get_filename_component(VarnockRoot ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${VarnockRoot}/scripts/wine-run)

# The libraries cross-built by scripts/NAME-for-windows into their cache: VARNOCK_NAME_WINDOWS
# (a variable, or from the environment) names the folder, or else the script tells where it
# would be. Only a finished build is taken: the script writes its stamp last.
function(VarnockWindowsLibrary Name Script)
    set(Variable VARNOCK_${Name}_WINDOWS)
    if(NOT ${Variable})
        if(DEFINED ENV{${Variable}})
            set(${Variable} $ENV{${Variable}})
        else()
            execute_process(COMMAND ${VarnockRoot}/scripts/${Script} --folder
                            OUTPUT_VARIABLE ${Variable} OUTPUT_STRIP_TRAILING_WHITESPACE
                            ERROR_QUIET)
        endif()
    endif()
    string(TOLOWER ${Name} Stamp)
    if(EXISTS ${${Variable}}/varnock-${Stamp}-complete)
        list(APPEND CMAKE_FIND_ROOT_PATH ${${Variable}})
        set(CMAKE_FIND_ROOT_PATH ${CMAKE_FIND_ROOT_PATH} PARENT_SCOPE)
    endif()
    set(${Variable} ${${Variable}} PARENT_SCOPE)
endfunction()
VarnockWindowsLibrary(QT qt-for-windows)
VarnockWindowsLibrary(ISOSPEC isospec-for-windows)
# moc, rcc and uic are the host's (qt6-base-dev-tools), of the same version as Qt for Windows.
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
