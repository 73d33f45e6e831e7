# vse_add_test(<name> SOURCES ... LIBS ...): one GoogleTest executable per area, run by CTest
# from a scratch folder of its own. TEST_DATA_DIR names tests/data for fixtures.
function(vse_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT T_SOURCES)
    file(GLOB T_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  endif()
  add_executable(${name} ${T_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock Threads::Threads)
  target_compile_definitions(${name} PRIVATE
    TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data"
    VSE_BIN_DIR="${VSE_BIN}")
  set(work ${CMAKE_BINARY_DIR}/tests/work/${name})
  file(MAKE_DIRECTORY ${work})
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${work})
  # No session bus: started from a desktop, the display library would otherwise try to reach
  # or autolaunch one through the user's display, and libdbus leaves an allocation LSan reports.
  set_tests_properties(${name} PROPERTIES TIMEOUT 600
    ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy;DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/bus;ASAN_OPTIONS=detect_leaks=1;UBSAN_OPTIONS=print_stacktrace=1")
endfunction()
