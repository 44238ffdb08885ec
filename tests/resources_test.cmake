# The character set: the generated glyph sheet and make_glyph_sheet's checks.
add_executable(resources_tests ${CMAKE_CURRENT_SOURCE_DIR}/resources/glyph_sheet_test.cpp)
target_link_libraries(resources_tests PRIVATE zorva_resources GTest::gtest_main)
target_compile_definitions(resources_tests PRIVATE
  ZORVA_CHARSET_TXT="${PROJECT_SOURCE_DIR}/resources/charset.txt"
  ZORVA_MAKE_GLYPH_SHEET="$<TARGET_FILE:make_glyph_sheet>")
add_dependencies(resources_tests make_glyph_sheet)
gtest_discover_tests(resources_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS resources)
