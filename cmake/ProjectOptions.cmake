# Warnings and sanitizers, applied to every target the project defines through
# veredivo_target_options().

add_library(veredivo_options INTERFACE)
target_compile_options(veredivo_options INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
    -Woverloaded-virtual -Wconversion -Wsign-conversion -Wnull-dereference -Wformat=2
    -Wimplicit-fallthrough)
if(VEREDIVO_WERROR)
    target_compile_options(veredivo_options INTERFACE -Werror)
endif()
if(VEREDIVO_SANITIZE)
    target_compile_options(veredivo_options INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined -O1)
    target_link_options(veredivo_options INTERFACE -fsanitize=address,undefined)
endif()

# Tests and tools share the sanitizer flags but tolerate the warnings of
# third-party headers (GoogleTest macros trip -Wconversion and friends).
add_library(veredivo_test_options INTERFACE)
target_compile_options(veredivo_test_options INTERFACE -Wall -Wextra)
if(VEREDIVO_WERROR)
    target_compile_options(veredivo_test_options INTERFACE -Werror)
endif()
if(VEREDIVO_SANITIZE)
    target_compile_options(veredivo_test_options INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined -O1)
    target_link_options(veredivo_test_options INTERFACE -fsanitize=address,undefined)
endif()

# veredivo_module(name [QT] SOURCES... [DEPS ...]) defines one module library whose public
# headers are included by their path under src/ ("storage/records/Quote.h"); QT runs moc over it.
function(veredivo_module name)
    cmake_parse_arguments(ARG "QT" "" "SOURCES;DEPS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE veredivo_options)
    if(ARG_QT)
        set_target_properties(${name} PROPERTIES AUTOMOC ON)
    endif()
endfunction()

# veredivo_test(name [QT] SOURCES... [DEPS ...]) defines one GoogleTest executable and
# registers its tests with CTest. Qt widget tests run offscreen.
# QT gives the test a main() that creates a QApplication and runs moc over it.
function(veredivo_test name)
    cmake_parse_arguments(ARG "QT" "" "SOURCES;DEPS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} testsupport GTest::gtest GTest::gmock
        veredivo_test_options)
    if(ARG_QT)
        target_link_libraries(${name} PRIVATE testsupport_qt)
        set_target_properties(${name} PROPERTIES AUTOMOC ON)
    else()
        target_link_libraries(${name} PRIVATE GTest::gtest_main)
    endif()
    # Test programs built with the quote harness copy the fixture tables the build made once.
    target_compile_definitions(${name} PRIVATE
        VEREDIVO_FIXTURE_DATA="${CMAKE_BINARY_DIR}/tests/rating/fixture/Data/")
    add_dependencies(${name} quote_fixture)
    gtest_discover_tests(${name}
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
        TEST_LIST ${name}_TESTS
        DISCOVERY_TIMEOUT 60
        PROPERTIES TIMEOUT 120)
    # The environment is a list, which the discovery script would split into separate
    # properties; it is set on the discovered tests once CTest has read them.
    set(environment_script ${CMAKE_CURRENT_BINARY_DIR}/${name}_environment.cmake)
    file(WRITE ${environment_script}
        "if(${name}_TESTS)\n"
        "    set_tests_properties(\${${name}_TESTS} PROPERTIES ENVIRONMENT\n"
        "        \"QT_QPA_PLATFORM=offscreen;VEREDIVO_SOURCE_DIR=${CMAKE_SOURCE_DIR};VEREDIVO_PROGRAM_DIR=${VEREDIVO_PROGRAM_DIR}\")\n"
        "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${environment_script})
endfunction()
