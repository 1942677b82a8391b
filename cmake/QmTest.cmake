# qm_add_test(NAME name LABEL label SOURCES ... LIBS ...)
# One GoogleTest executable registered as one CTest test, with its subsystem label. Each test
# gets data and configuration folders of its own, so no test reads or writes the user's.
function(qm_add_test)
  cmake_parse_arguments(T "" "NAME;LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABEL}" TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QM_SOURCE_DIR=${CMAKE_SOURCE_DIR};QM_BINARY_DIR=${CMAKE_BINARY_DIR};XDG_DATA_HOME=${CMAKE_BINARY_DIR}/test-home/${T_NAME}/data;XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-home/${T_NAME}/config")
endfunction()
