# The floating-point package of the ROM (rom/float*.asm), assembled on its own
# inside a small driver (rom/float_harness.asm) and run routine by routine on a
# test processor: results against C++ arithmetic on the same 4-byte numbers,
# errors, instruction counts, and every instruction against the processor's
# subset (decoded with libz80ex).
find_library(Z80EX_DASM_LIBRARY z80ex_dasm)
find_path(Z80EX_INCLUDE_DIR z80ex/z80ex_dasm.h)
if(NOT Z80EX_DASM_LIBRARY OR NOT Z80EX_INCLUDE_DIR)
  message(FATAL_ERROR "libz80ex not found: the float tests need its disassembler (Debian: libz80ex-dev)")
endif()

set(float_harness_source ${CMAKE_CURRENT_SOURCE_DIR}/rom/float_harness.asm)
set(float_harness_image ${CMAKE_CURRENT_BINARY_DIR}/float_harness.bin)
set(float_harness_symbols ${CMAKE_CURRENT_BINARY_DIR}/float_harness.sym)
set(float_harness_listing ${CMAKE_CURRENT_BINARY_DIR}/float_harness.lst)
file(GLOB float_asm_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/rom/float*.asm)
add_custom_command(
  OUTPUT ${float_harness_image} ${float_harness_symbols} ${float_harness_listing}
  COMMAND ${CMAKE_COMMAND}
          -DPASMO=${PASMO_EXECUTABLE}
          -DSOURCE=${float_harness_source}
          -DINCLUDE_DIR=${CMAKE_CURRENT_SOURCE_DIR}/rom
          -DIMAGE=${float_harness_image}
          -DSYMBOLS=${float_harness_symbols}
          -DLISTING=${float_harness_listing}
          -P ${PROJECT_SOURCE_DIR}/rom/assemble.cmake
  DEPENDS ${float_harness_source} ${float_asm_sources} ${PROJECT_SOURCE_DIR}/rom/assemble.cmake
  COMMENT "Assembling the floating-point test driver"
  VERBATIM
)
add_custom_target(float_harness DEPENDS ${float_harness_image})

file(GLOB float_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/rom/float*_test.cpp)
add_executable(float_tests ${float_test_sources})
target_include_directories(float_tests PRIVATE ${PROJECT_SOURCE_DIR} ${Z80EX_INCLUDE_DIR})
target_link_libraries(float_tests PRIVATE zorva_testing ${Z80EX_DASM_LIBRARY} GTest::gtest_main)
target_compile_definitions(float_tests PRIVATE
  FLOAT_HARNESS_IMAGE="${float_harness_image}"
  FLOAT_HARNESS_SYMBOLS="${float_harness_symbols}")
add_dependencies(float_tests float_harness)
gtest_discover_tests(float_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS rom)
