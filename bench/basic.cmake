# basic_bench: Z80 instructions per loop iteration in Zorva BASIC, and the
# longest stretches without a look at the keyboard. A plain program. See README.md.
add_executable(basic_bench ${CMAKE_CURRENT_LIST_DIR}/basic_bench.cpp)
target_link_libraries(basic_bench PRIVATE zorva_run)
target_compile_definitions(basic_bench PRIVATE
  ZORVA_ROM_IMAGE="$<TARGET_PROPERTY:zorva_rom,ZORVA_ROM_IMAGE>"
  ZORVA_ROM_SYMBOLS="$<TARGET_PROPERTY:zorva_rom,ZORVA_ROM_SYMBOLS>")
add_dependencies(basic_bench zorva_rom)
