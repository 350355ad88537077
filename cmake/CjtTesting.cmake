# GoogleTest is built from the sources Debian's googletest package ships, so that every
# flavour builds it with its own compiler.
set(CJT_GTEST_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${CJT_GTEST_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# cjt_add_test(NAME SOURCES ... LIBS ... [LABELS ...])
# One test binary, registered as one ctest entry; LABELS "threads" marks the tests that
# the ThreadSanitizer build runs.
function(cjt_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT 300)
endfunction()
