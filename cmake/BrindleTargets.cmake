# Helpers shared by the layers' CMakeLists.

# A layer of plain C++: every .cpp of its folder, the repository root as include path,
# and a check at configure time that nothing links Qt into it. Qt's headers are
# reachable only through Qt's targets, so an #include of Qt fails to compile as well.
function(brindle_core_library name)
    cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
    foreach(dep IN LISTS ARG_DEPENDS)
        if(dep MATCHES "^Qt")
            message(FATAL_ERROR "${name} must not link Qt (${dep})")
        endif()
    endforeach()
endfunction()

# One GoogleTest executable per test file, registered with CTest. SERIAL: its tests are
# about a program under load (kills at chosen moments of many runs); they run alone, for
# as long as they take.
function(brindle_gtest name)
    cmake_parse_arguments(ARG "SERIAL" "" "SOURCES;LIBS;ENVIRONMENT" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    set(serial "")
    if(ARG_SERIAL)
        set(serial RUN_SERIAL TRUE TIMEOUT 3600)
    endif()
    # The environment last: an empty one would take the next property's name as its value.
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                         PROPERTIES ${serial} ENVIRONMENT "${ARG_ENVIRONMENT}")
endfunction()

# Every *Test.cpp of the calling folder becomes its own test executable, linked with
# the given libraries and the shared test support; those named in SERIAL run alone.
function(brindle_gtest_folder)
    cmake_parse_arguments(ARG "" "" "LIBS;ENVIRONMENT;SERIAL" ${ARGN})
    file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*Test.cpp)
    foreach(test IN LISTS tests)
        get_filename_component(stem ${test} NAME_WE)
        set(serial "")
        if(stem IN_LIST ARG_SERIAL)
            set(serial SERIAL)
        endif()
        brindle_gtest(${stem} ${serial} SOURCES ${test} LIBS ${ARG_LIBS} brindle_test_support
                      ENVIRONMENT "${ARG_ENVIRONMENT}")
    endforeach()
endfunction()

# The private folder of the credits library, below the install prefix.
set(BRINDLE_INSTALL_PRIVATE_LIBDIR lib/brindle)

# Installs `source` compressed as Debian wants manual pages and changelogs: gzip -9n, so
# the same input always gives the same bytes.
find_program(BRINDLE_GZIP gzip REQUIRED)
function(brindle_install_gzipped source destination)
    get_filename_component(name ${source} NAME)
    set(output ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz)
    add_custom_command(OUTPUT ${output}
                       COMMAND ${BRINDLE_GZIP} -9nc ${source} > ${output}
                       DEPENDS ${source}
                       COMMENT "Compressing ${name}")
    string(MAKE_C_IDENTIFIER "gzip_${name}" target)
    add_custom_target(${target} ALL DEPENDS ${output})
    install(FILES ${output} DESTINATION ${destination})
endfunction()
