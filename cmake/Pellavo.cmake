# Shared build helpers of the project.

# Warnings on everywhere; source paths in __FILE__ are relative to the tree, so log
# lines read "engine/core/Log.cpp(12)> ..." whatever the build folder is.
add_compile_options(
  -Wall -Wextra -Wno-unused-parameter
  "-fmacro-prefix-map=${CMAKE_SOURCE_DIR}/="
)

# luabind headers are slow; they also trip C++20's comma-in-subscript warning on
# "module(L)[ a, b ]" and a few of gcc's newer warnings. Binding translation units call this;
# a folder that adds its sources to a library of another folder names it after TARGET
# (pellavo_luabind_sources(TARGET pellavo_shell wrap_X.cpp)), since source properties are
# seen only where the target is made.
function(pellavo_luabind_sources)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "TARGET" "")
  set(options "")
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    list(APPEND options -Wno-comma-subscript -Wno-deprecated-declarations -Wno-deprecated-copy
                        -Wno-redundant-move -Wno-class-memaccess)
  else()
    list(APPEND options -Wno-deprecated-declarations)
  endif()
  if(PELLAVO_SANITIZE OR PELLAVO_FUZZ)
    # luabind places its 16-byte-aligned object records in Lua userdata, which Lua 5.2
    # aligns to 8 bytes; the alignment check would stop every bound call in luabind's own
    # headers.
    list(APPEND options -fno-sanitize=alignment)
  endif()
  if(arg_TARGET)
    set_property(SOURCE ${arg_UNPARSED_ARGUMENTS} TARGET_DIRECTORY ${arg_TARGET}
                 APPEND PROPERTY COMPILE_OPTIONS ${options})
  else()
    set_property(SOURCE ${arg_UNPARSED_ARGUMENTS} APPEND PROPERTY COMPILE_OPTIONS ${options})
  endif()
endfunction()

function(pellavo_add_subdirectories)
  foreach(dir IN LISTS ARGN)
    if(EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt")
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()

# Every program and test links the tracking memory manager (unless it is turned off),
# so that all heap blocks of the process go through it.
function(pellavo_link_memory target)
  if(PELLAVO_TRACKING_MEMORY AND TARGET pellavo_memory)
    target_sources(${target} PRIVATE $<TARGET_OBJECTS:pellavo_memory>)
    target_compile_definitions(${target} PRIVATE PELLAVO_TRACKING_MEMORY=1)
  endif()
endfunction()

function(pellavo_executable name)
  add_executable(${name} ${ARGN})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  pellavo_link_memory(${name})
endfunction()

# pellavo_add_test(<name> LABELS <label>... SOURCES <file>... [LIBS <target>...])
# One test program per folder of tests; each GoogleTest case becomes one CTest test
# carrying the labels. The shared test main sets up the headless environment.
function(pellavo_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "LABELS;SOURCES;LIBS" ${ARGN})
  pellavo_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE pellavo_test_support ${T_LIBS} GTest::gtest GTest::gmock)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES LABELS "${T_LABELS}" TIMEOUT ${T_TIMEOUT})
endfunction()

# pellavo_add_benchmark(<name> SOURCES <file>... [LIBS <target>...])
function(pellavo_add_benchmark name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  pellavo_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark)
endfunction()

# pellavo_add_fuzzer(<name> SOURCES <file>... [LIBS <target>...]) -- only with PELLAVO_FUZZ.
function(pellavo_add_fuzzer name)
  if(NOT PELLAVO_FUZZ)
    return()
  endif()
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  pellavo_executable(${name} ${F_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${F_LIBS})
endfunction()

# pellavo_library(<name> <sources>...): a static library of one source folder.
function(pellavo_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  if(PELLAVO_TRACKING_MEMORY)
    target_compile_definitions(${name} PUBLIC PELLAVO_TRACKING_MEMORY=1)
  endif()
endfunction()
