# The window on Windows needs Qt's DLLs and the compiler's runtime DLLs, which Qt links
# dynamically (our own programs link the runtime statically). Under Wine the tests find them
# through VARNOCK_WINE_DLLS, which scripts/wine-run turns into Wine's search path; the zip
# (cmake/WindowsZip.cmake) carries copies beside the programs.

set(VarnockRuntimeDlls)
foreach(Name libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${Name}
                    OUTPUT_VARIABLE Found OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${Found}" OR NOT EXISTS "${Found}")
        message(FATAL_ERROR "${Name} of the mingw-w64 runtime is not to be found")
    endif()
    list(APPEND VarnockRuntimeDlls ${Found})
endforeach()

set(DllFolders ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS})
foreach(Dll IN LISTS VarnockRuntimeDlls)
    file(REAL_PATH ${Dll} Dll)
    get_filename_component(Folder ${Dll} DIRECTORY)
    list(APPEND DllFolders ${Folder})
endforeach()
list(REMOVE_DUPLICATES DllFolders)
list(JOIN DllFolders : VarnockWineDlls)
set(CMAKE_CROSSCOMPILING_EMULATOR env VARNOCK_WINE_DLLS=${VarnockWineDlls}
    ${CMAKE_CROSSCOMPILING_EMULATOR})
