# zq3_add_library(NAME SOURCES ... [PUBLIC lib ...] [PRIVATE lib ...])
#   A static library of one subsystem folder. PUBLIC names the libraries its headers include,
#   PRIVATE those only its sources use.
function(zq3_add_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC;PRIVATE;DEPENDS" ${ARGN})
    if(ARG_DEPENDS)
        message(FATAL_ERROR "zq3_add_library(${name}): say PUBLIC for the libraries its headers "
                            "include and PRIVATE for the others, instead of DEPENDS")
    endif()
    add_library(${name} STATIC ${ARG_SOURCES})
    target_link_libraries(${name} PUBLIC ${ARG_PUBLIC} PRIVATE ${ARG_PRIVATE} zq3_build_flags)
endfunction()

# zq3_add_executable(NAME SOURCES ... [DEPENDS lib ...])
#   A program of ours, built with the configuration's warnings and sanitizers.
function(zq3_add_executable name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} zq3_build_flags)
endfunction()

# zq3_add_test(NAME SOURCES ... [DEPENDS lib ...] [LABELS label])
#   One GoogleTest executable; each test case becomes a CTest test.
#   Label "slow" keeps a test out of the sanitizer run, "threads" puts it in the
#   ThreadSanitizer run.
function(zq3_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS;LABELS" ${ARGN})
    list(LENGTH ARG_LABELS label_count)
    if(label_count GREATER 1)
        message(FATAL_ERROR "zq3_add_test(${name}): give at most one label")
    endif()
    set(label ${name})
    if(ARG_LABELS)
        set(label ${ARG_LABELS})
    endif()
    zq3_add_executable(${name} SOURCES ${ARG_SOURCES}
                       DEPENDS ${ARG_DEPENDS} GTest::gtest GTest::gtest_main)
    if(label STREQUAL "threads")
        # The ThreadSanitizer run builds only these (target zq3_thread_tests), not the whole tree.
        set_property(GLOBAL APPEND PROPERTY ZQ3_THREAD_TEST_TARGETS ${name})
    endif()
    include(GoogleTest)
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
        # Each property takes one value here: the module splits PROPERTIES at every ";", so a
        # list would keep only its first element. A test carries its own label when it has one
        # ("slow", "threads"), else the name of its executable.
        # The history of card changes that zq3 keeps goes to the build folder, not the user's.
        PROPERTIES LABELS "${label}"
                   ENVIRONMENT "ZQ3_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
                   ENVIRONMENT_MODIFICATION "XDG_DATA_HOME=set:${CMAKE_BINARY_DIR}/test-data")
endfunction()
