# External references for the processor core.
#
# z80_vectors runs the single-instruction vectors in tests/data/z80-vectors (or the
# folder named by ZORVA_Z80_VECTORS at run time). A vector whose step reports an
# unhandled instruction counts as skipped, or as a failure with --require-all.
#
# core_tests also holds the differential test against libz80ex, which needs
# the library here.

find_library(Z80EX_LIBRARY z80ex)
find_path(Z80EX_INCLUDE_DIR z80ex/z80ex.h)
if(NOT Z80EX_LIBRARY OR NOT Z80EX_INCLUDE_DIR)
  message(FATAL_ERROR "libz80ex not found: the processor tests need it (Debian: libz80ex-dev)")
endif()
target_include_directories(core_tests PRIVATE ${Z80EX_INCLUDE_DIR})
target_link_libraries(core_tests PRIVATE ${Z80EX_LIBRARY})

add_executable(z80_vectors ${CMAKE_CURRENT_SOURCE_DIR}/core/z80_vectors.cpp)
# TestCpu is header-only; the runner needs nothing beyond the core.
target_include_directories(z80_vectors PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(z80_vectors PRIVATE zorva_core)
target_compile_definitions(z80_vectors PRIVATE
  ZORVA_Z80_VECTORS_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data/z80-vectors")

# Every group is implemented, so a skipped vector in any file is a failure.
add_test(NAME z80_vectors COMMAND z80_vectors --require-all)
set_tests_properties(z80_vectors PROPERTIES LABELS core TIMEOUT 120)
