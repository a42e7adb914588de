# Tests of the window. Included from tests/CMakeLists.txt when the window is built.

find_package(Qt6 6.4 REQUIRED COMPONENTS Widgets Test)

VarnockTest(WindowTests
    SOURCES WindowLayoutTest.cpp WindowBehaviourTest.cpp WindowBorderTest.cpp
            WindowAccessibilityTest.cpp
    LIBRARIES VarnockUi Qt6::Test
    ENVIRONMENT QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8)
target_compile_definitions(WindowTests PRIVATE VARNOCK_SOURCE_DIR="${PROJECT_SOURCE_DIR}")

# The window in device pixels on screens of 1, 1.5 and 2 device pixels to a pixel: one program,
# run once per scale factor.
VarnockTest(WindowScalingTests
    SOURCES WindowScalingTest.cpp
    LIBRARIES VarnockUi Qt6::Test
    ENVIRONMENT QT_QPA_PLATFORM=offscreen)
foreach(Factor 1.5 2)
    gtest_discover_tests(WindowScalingTests DISCOVERY_MODE PRE_TEST TEST_SUFFIX "@${Factor}"
        PROPERTIES ENVIRONMENT QT_SCALE_FACTOR=${Factor})
endforeach()

VarnockTest(WindowFileFaultTests
    SOURCES WindowFileFaultTest.cpp
    LIBRARIES VarnockUi Qt6::Test
    ENVIRONMENT QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8)

if(TARGET VarnockXProbe)
    VarnockTest(XvfbTests
        SOURCES XvfbWindowTest.cpp XvfbScalingTest.cpp
        LIBRARIES VarnockXProbe)
    target_compile_definitions(XvfbTests PRIVATE
        VARNOCK_PROGRAM="$<TARGET_FILE:varnock>"
        VARNOCK_BINARY_DIR="${CMAKE_CURRENT_BINARY_DIR}")
    add_dependencies(XvfbTests varnock)
endif()

# Hostile text through the formula box, and a short soak of calculations through the window
# (scripts/soak runs the long one) that fails when resident memory grows by 1 MiB or more.
VarnockTest(WindowInputTests
    SOURCES WindowInputTest.cpp
    LIBRARIES VarnockUi Qt6::Test
    ENVIRONMENT QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8)
if(TARGET WindowSoak)
    add_test(NAME WindowSoak COMMAND WindowSoak 10000)
    set_tests_properties(WindowSoak PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8" TIMEOUT 60)
endif()

# The desktop files as validators see them, and the .deb installed, run and removed for real.
if(TARGET VarnockDesktopFiles)
    find_package(Qt6 6.4 REQUIRED COMPONENTS Svg)
    VarnockTest(DesktopTests
        SOURCES DesktopIconTest.cpp
        LIBRARIES VarnockUi Qt6::Svg
        ENVIRONMENT QT_QPA_PLATFORM=offscreen)
    find_program(DESKTOP_FILE_VALIDATE desktop-file-validate REQUIRED)
    find_program(APPSTREAMCLI appstreamcli REQUIRED)
    add_test(NAME DesktopEntryIsValid
        COMMAND ${DESKTOP_FILE_VALIDATE} ${PROJECT_SOURCE_DIR}/desktop/test.tervalin.Varnock.desktop)
    add_test(NAME MetainfoIsValid
        COMMAND ${APPSTREAMCLI} validate --no-net --pedantic
                ${PROJECT_SOURCE_DIR}/desktop/test.tervalin.Varnock.metainfo.xml)
    add_test(NAME PackageInstallsRunsAndUninstalls
        COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/PackageInstall.sh ${PROJECT_BINARY_DIR}
                $<TARGET_FILE:varnock-xshot>)
    set_tests_properties(PackageInstallsRunsAndUninstalls PROPERTIES
        SKIP_RETURN_CODE 77 RUN_SERIAL ON TIMEOUT 300)
endif()
