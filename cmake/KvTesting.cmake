# GoogleTest is built from source in both the native and the Windows build, so the
# sanitizer build and the mingw build get a library compiled with their own flags.
if(NOT KV_FUZZ)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(${KV_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  include(GoogleTest)
endif()

# kv_add_test(NAME src... LIBS lib...)
# Natively every test case becomes its own CTest test. Under Wine a process start
# costs about two seconds, so there each executable is one CTest test.
function(kv_add_test name)
  if(KV_FUZZ)
    return()
  endif()
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  add_executable(${name} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(${name} PRIVATE KV_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${name} COMMAND ${name})
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# kv_add_fuzz(NAME src... LIBS lib...): a libFuzzer target, built only in the
# fuzz build (clang, -DKV_FUZZ=ON). scripts/test.sh runs each for a bounded time.
function(kv_add_fuzz name)
  if(NOT KV_FUZZ)
    return()
  endif()
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  add_executable(${name} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${T_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_property(GLOBAL APPEND PROPERTY KV_FUZZ_TARGETS ${name})
endfunction()
