# Shared build settings and helpers for every target of the project.

if(WAVORA_SANITIZE AND WAVORA_TSAN)
    message(FATAL_ERROR "WAVORA_SANITIZE and WAVORA_TSAN exclude each other")
endif()
if(WAVORA_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
if(WAVORA_TSAN)
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
endif()

find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)

# Warnings for the project's own targets (not for third-party code).
function(wavora_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
                           -Wnon-virtual-dtor -Wcast-align -Wunused -Woverloaded-virtual
                           -Wformat=2 -Wimplicit-fallthrough)
endfunction()

# wavora_add_test(NAME SOURCES src... [LIBS lib...])
# A GoogleTest executable in build/tests, registered with ctest test by test.
function(wavora_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    wavora_warnings(${name})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
    # The program folder's libraries, found from the test's own place.
    file(RELATIVE_PATH program_dir ${CMAKE_BINARY_DIR}/tests ${WAVORA_PROGRAM_DIR})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests
                          INSTALL_RPATH "$ORIGIN/${program_dir}")
    target_compile_definitions(${name} PRIVATE
        WAVORA_PROGRAM_DIR="${WAVORA_PROGRAM_DIR}/"
        WAVORA_SOURCE_DIR="${CMAKE_SOURCE_DIR}/")
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# Adds every listed subdirectory that exists, so that parts can arrive one at a time.
macro(wavora_add_existing_subdirectories)
    foreach(dir ${ARGN})
        if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
            add_subdirectory(${dir})
        endif()
    endforeach()
endmacro()

if(WAVORA_TESTS)
    find_package(GTest REQUIRED)
    include(GoogleTest)
endif()
