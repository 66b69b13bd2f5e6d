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
    set(environment "QT_QPA_PLATFORM=offscreen;LUMENFOLD_ROOT=${root};LUMENFOLD_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data")
    if(SANITIZE STREQUAL "thread")
        # Tests start programs (fork and exec) from a process that runs threads: the child only
        # execs, so the sanitizer need not stop it.
        list(APPEND environment "TSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/tsan.supp:die_after_fork=0")
    elseif(SANITIZE STREQUAL "address")
        # The leak check at exit crashes in GCC 12's sanitizer runtime when a module loaded later
        # (the stream control, Qt's plugins) has thread-local storage whose block happens to lie
        # at a certain offset in its page: the runtime then takes the block for an old glibc's and
        # reads a wrong range. Not watching __tls_get_addr avoids it; static storage is still
        # scanned.
        list(APPEND environment "ASAN_OPTIONS=intercept_tls_get_addr=0")
    endif()
    # The discovery script splits list-valued test properties, so the environment comes from
    # "cmake -E env" in front of the test program (for discovery and for every run).
    set_target_properties(${T_NAME} PROPERTIES CROSSCOMPILING_EMULATOR "${CMAKE_COMMAND};-E;env;${environment}")
    gtest_discover_tests(${T_NAME}
        DISCOVERY_TIMEOUT 60
        PROPERTIES
            LABELS "${T_LABELS}"
            TIMEOUT ${T_TIMEOUT})
endfunction()

# lumenfold_add_fuzz_target(NAME <name> SOURCES <files...> LIBS <libs...>
#                           [MADE_SEEDS <folder> <target>])
# A fuzz target is a file with LLVMFuzzerTestOneInput. Every build runs it over its seed corpus
# tests/data/fuzz/<name>/ (and the folder of seeds that <target> makes at build time) as an
# ordinary test; with -DFUZZ=ON (clang) it also becomes the libFuzzer program <name>_fuzzer.
function(lumenfold_add_fuzz_target)
    cmake_parse_arguments(F "" "NAME" "SOURCES;LIBS;MADE_SEEDS" ${ARGN})
    add_executable(${F_NAME}_seeds ${F_SOURCES} ${PROJECT_SOURCE_DIR}/tests/fuzz/seedrunner.cpp)
    target_link_libraries(${F_NAME}_seeds PRIVATE ${F_LIBS})
    target_include_directories(${F_NAME}_seeds PRIVATE ${PROJECT_SOURCE_DIR})
    set(folders ${PROJECT_SOURCE_DIR}/tests/data/fuzz/${F_NAME})
    if(F_MADE_SEEDS)
        list(GET F_MADE_SEEDS 0 made)
        list(GET F_MADE_SEEDS 1 maker)
        list(APPEND folders ${made})
        add_dependencies(${F_NAME}_seeds ${maker})
    endif()
    add_test(NAME fuzz_seeds_${F_NAME} COMMAND ${F_NAME}_seeds ${folders})
    set_tests_properties(fuzz_seeds_${F_NAME} PROPERTIES LABELS unit TIMEOUT 120
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LUMENFOLD_ROOT=${CMAKE_BINARY_DIR}/test-root/fuzz_${F_NAME}")
    if(FUZZ)
        add_executable(${F_NAME}_fuzzer ${F_SOURCES})
        target_link_libraries(${F_NAME}_fuzzer PRIVATE ${F_LIBS})
        target_include_directories(${F_NAME}_fuzzer PRIVATE ${PROJECT_SOURCE_DIR})
        target_link_options(${F_NAME}_fuzzer PRIVATE -fsanitize=fuzzer)
    endif()
endfunction()

# The viewer's identifier in the desktop entry, its icon and its AppStream metainfo.
set(LUMENFOLD_APP_ID org.lumenfold.Lumenfold)

# The stream control is a private module of the programs, installed below the prefix in the
# multiarch library folder; the component runtime finds it there from the programs' folder.
if(CMAKE_LIBRARY_ARCHITECTURE)
    set(LUMENFOLD_MODULE_INSTALL_DIR lib/${CMAKE_LIBRARY_ARCHITECTURE}/lumenfold)
else()
    set(LUMENFOLD_MODULE_INSTALL_DIR lib/lumenfold)
endif()

# lumenfold_install_compressed(<source> <name> <destination>)
# Installs a file as <destination>/<name>.gz, compressed as Debian's packages ship manual pages
# and changelogs: gzip -9 without the file's name and time, so that a build gives the same bytes.
function(lumenfold_install_compressed source name destination)
    set(compressed ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz)
    add_custom_command(OUTPUT ${compressed}
        COMMAND sh -c "gzip -9 -n -c \"$0\" > \"$1\"" ${source} ${compressed}
        DEPENDS ${source}
        COMMENT "Compressing ${name}"
        VERBATIM)
    add_custom_target(compressed_${name} ALL DEPENDS ${compressed})
    install(FILES ${compressed} DESTINATION ${destination})
endfunction()

# lumenfold_add_manpage(<page.N>)
# Installs a manual page compressed in share/man/manN.
function(lumenfold_add_manpage page)
    get_filename_component(name ${page} NAME)
    string(REGEX MATCH "[0-9]$" section ${name})
    lumenfold_install_compressed(${CMAKE_CURRENT_SOURCE_DIR}/${page} ${name} share/man/man${section})
endfunction()
