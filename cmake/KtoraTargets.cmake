# Helpers shared by the build files.

# ktora_add_gtest(NAME dir LIBS ...): one GoogleTest executable from every *_test.cpp in dir.
function(ktora_add_gtest name dir)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
    if(NOT sources)
        return()
    endif()
    add_executable(${name} ${sources})
    target_compile_options(${name} PRIVATE ${KTORA_WARNINGS})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
    # Discovery runs the test exe under Wine when the test runs, not at build time.
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                         PROPERTIES TIMEOUT 300 LABELS ${name})
endfunction()
