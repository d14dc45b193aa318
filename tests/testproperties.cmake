# gtest_discover_tests passes its PROPERTIES on as one flat list, so a property whose value is a list
# (LABELS "e2e;web", ENVIRONMENT "A=1;B=2") keeps only its first item, and the other items are taken as
# names and values of properties that do not exist. showcase_test_properties sets such properties whole on
# every test discovered in TARGET, once ctest has read them; call it after gtest_discover_tests(TARGET ...):
#
#   showcase_test_properties(TARGET [LABELS LABEL...] [ENVIRONMENT NAME=VALUE...])
function(showcase_test_properties target)
  cmake_parse_arguments(arg "" "" "LABELS;ENVIRONMENT" ${ARGN})
  set(properties "")
  foreach(property LABELS ENVIRONMENT)
    if(arg_${property})
      string(APPEND properties " ${property} [==[${arg_${property}}]==]")
    endif()
  endforeach()
  set(file ${CMAKE_CURRENT_BINARY_DIR}/${target}_properties.cmake)
  file(WRITE ${file} "if(${target}_TESTS)\n  set_tests_properties(\${${target}_TESTS} PROPERTIES${properties})\nendif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${file})
endfunction()
