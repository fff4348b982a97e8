# tqx_add_test(NAME SOURCES ... LIBS ... [LABELS ...] [ENV ...])
# One GoogleTest executable registered with CTest as a whole; the Qt offscreen platform is set for widget tests.
function(tqx_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS;ENV" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    TQX_SOURCE_DIR="${PROJECT_SOURCE_DIR}" TQX_BINARY_DIR="${PROJECT_BINARY_DIR}")
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${T_ENV}")
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()

# tqx_add_fuzz(NAME SOURCE LIBS ... CORPUS dir)
# A fuzz target defines LLVMFuzzerTestOneInput. In every build it is linked with a small driver that
# replays its corpus folder (a CTest test, so the sanitizer build runs every seed and every crash found
# earlier); with TQX_FUZZ it is also linked with libFuzzer as NAME-fuzzer. NAME is the area of the
# tree and what is parsed, lower case and joined by hyphens (app-cmdline, sim-control, kxsnmp-packet).
function(tqx_add_fuzz name)
  if(NOT name MATCHES "^[a-z]+(-[a-z0-9]+)+$")
    message(FATAL_ERROR "fuzz target ${name}: name it AREA-WHAT (lower case, hyphens)")
  endif()
  cmake_parse_arguments(F "" "SOURCE;CORPUS" "LIBS" ${ARGN})
  add_executable(${name}-replay ${F_SOURCE} ${PROJECT_SOURCE_DIR}/tests/support/FuzzReplay.cpp)
  target_link_libraries(${name}-replay PRIVATE ${F_LIBS})
  if(TQX_TESTS)
    add_test(NAME ${name}-replay COMMAND ${name}-replay ${F_CORPUS})
    set_tests_properties(${name}-replay PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" LABELS fuzz)
  endif()
  if(TQX_FUZZ)
    add_executable(${name}-fuzzer ${F_SOURCE})
    target_link_libraries(${name}-fuzzer PRIVATE ${F_LIBS})
    target_link_options(${name}-fuzzer PRIVATE -fsanitize=fuzzer)
  endif()
endfunction()
