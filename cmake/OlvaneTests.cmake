# olvane_add_test(NAME SOURCES src... LIBS lib...)
# One Qt Test executable per area, registered with CTest. Every test runs
# headless with its own temporary home (see tests/support/TempHome).
function(olvane_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE testsupport Qt6::Test ${T_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTWEBENGINE_DISABLE_SANDBOX=1;OLVANE_FIXTURES=${PROJECT_SOURCE_DIR}/tests/fixtures")
endfunction()
