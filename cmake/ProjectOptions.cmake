# Warnings, sanitizers and the compiled-in version information shared by every target.

add_library(tavil_options INTERFACE)
target_compile_options(tavil_options INTERFACE
  -Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Wcast-align
  -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough
  $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local>)

if(TAVIL_SANITIZE)
  target_compile_options(tavil_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(tavil_options INTERFACE -fsanitize=address,undefined)
endif()

# Version information compiled into the program (the stand-in for a version resource).
configure_file(${CMAKE_CURRENT_LIST_DIR}/VersionInfo.h.in ${PROJECT_BINARY_DIR}/generated/VersionInfo.h @ONLY)
add_library(tavil_version INTERFACE)
target_include_directories(tavil_version INTERFACE ${PROJECT_BINARY_DIR}/generated)

# tavil_add_gtest(NAME sources... LIBS libs...): one test executable, registered with CTest
# test by test so that `ctest -j` spreads the cases over the cores.
include(GoogleTest)
function(tavil_add_gtest name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main tavil_options)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300
                       ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# tavil_add_qtest(NAME sources... LIBS libs...): a Qt Test executable run offscreen.
function(tavil_add_qtest name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_link_libraries(${name} PRIVATE ${T_LIBS} Qt6::Test tavil_options)
  add_test(NAME ${name} COMMAND ${name} -platform offscreen)
  set_tests_properties(${name} PROPERTIES TIMEOUT 300 ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
