# The desktop install and its launcher, into a prefix and a home inside the
# build tree.
if(TARGET zorva)
  add_test(NAME desktop_install
    COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR}
            -DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/install-check
            -P ${CMAKE_CURRENT_SOURCE_DIR}/install/install_check.cmake)
  set_tests_properties(desktop_install PROPERTIES LABELS install)
endif()
