# tools_tests: the zorva-run option parser in-process, and zorva-run itself end
# to end as a child process on ROM images that the tests write.
file(GLOB tools_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tools/*.cpp)
add_executable(tools_tests ${tools_test_sources})
find_package(PNG REQUIRED)
target_link_libraries(tools_tests PRIVATE zorva_tools zorva_testing PNG::PNG GTest::gtest_main
                                          GTest::gmock)
target_compile_definitions(tools_tests PRIVATE ZORVA_RUN_BINARY="$<TARGET_FILE:zorva-run>")
add_dependencies(tools_tests zorva-run)
gtest_discover_tests(tools_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS tools TIMEOUT 120)
