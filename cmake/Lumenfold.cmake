# Helpers shared by every folder's CMakeLists.txt.

# lumenfold_add_test(NAME <target> SOURCES <files...> LIBS <libs...> LABELS <labels...>
#                    [GUI] [TIMEOUT seconds])
# Builds one GoogleTest executable and registers each of its tests with CTest. Tests run
# offscreen, on a data root of their own inside the build tree, never in the user's folders.
# GUI tests get a main that creates the QApplication first.
function(lumenfold_add_test)
    cmake_parse_arguments(T "GUI" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} lumenfold_test_support GTest::gtest GTest::gmock)
    if(T_GUI)
        target_link_libraries(${T_NAME} PRIVATE lumenfold_gui_test_main)
    else()
        target_link_libraries(${T_NAME} PRIVATE GTest::gtest_main)
    endif()
    set(root ${CMAKE_BINARY_DIR}/test-root/${T_NAME})
    gtest_discover_tests(${T_NAME}
        DISCOVERY_TIMEOUT 60
        PROPERTIES
            LABELS "${T_LABELS}"
            TIMEOUT ${T_TIMEOUT}
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LUMENFOLD_ROOT=${root};LUMENFOLD_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data")
endfunction()
