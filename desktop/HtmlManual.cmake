# The manual as an HTML page, made from the manual page (varnock.1) so that the two cannot
# differ. It lies beside the programs, where F1 in the window finds it: in the build's top
# folder, in the Linux install (desktop/) and in the Windows zip (windows/). Made with groff's
# HTML output (Debian's groff; groff-base alone has no HTML device); the line with the time it
# was made is left out, so that each build makes the same page.
#
# Included by the top CMakeLists.txt; run as a script (cmake -P, with Groff, Source and Html
# set) it makes the page.

if(CMAKE_SCRIPT_MODE_FILE)
    execute_process(COMMAND ${Groff} -Thtml -man ${Source}
        OUTPUT_VARIABLE Page RESULT_VARIABLE Status ERROR_VARIABLE Errors)
    if(NOT Status EQUAL 0 OR NOT Page MATCHES "</html>")
        message(FATAL_ERROR "groff made no HTML manual from ${Source} (${Status}): ${Errors}")
    endif()
    string(REGEX REPLACE "<!-- CreationDate:[^\n]*\n" "" Page "${Page}")
    file(WRITE ${Html}.new "${Page}")
    file(RENAME ${Html}.new ${Html})
    return()
endif()

find_program(VARNOCK_GROFF groff REQUIRED)
find_program(VARNOCK_GROHTML post-grohtml)
if(NOT VARNOCK_GROHTML)
    message(FATAL_ERROR "No HTML output in groff: install Debian's groff (./dev does)")
endif()
set(VARNOCK_MANUAL_HTML ${PROJECT_BINARY_DIR}/varnock.html)
add_custom_command(OUTPUT ${VARNOCK_MANUAL_HTML}
    COMMAND ${CMAKE_COMMAND} -DGroff=${VARNOCK_GROFF} -DSource=${CMAKE_CURRENT_LIST_DIR}/varnock.1
            -DHtml=${VARNOCK_MANUAL_HTML} -P ${CMAKE_CURRENT_LIST_FILE}
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/varnock.1 ${CMAKE_CURRENT_LIST_FILE}
    COMMENT "Making the HTML manual from the manual page"
    VERBATIM)
add_custom_target(VarnockManual ALL DEPENDS ${VARNOCK_MANUAL_HTML})
