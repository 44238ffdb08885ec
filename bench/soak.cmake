# soak_bench: our ROM for 10^10 instructions per phase, left alone and with
# typed commands, watching resident memory. A plain program. See README.md.
add_executable(soak_bench ${CMAKE_CURRENT_LIST_DIR}/soak_bench.cpp)
target_link_libraries(soak_bench PRIVATE zorva_run)
target_compile_definitions(soak_bench PRIVATE
  ZORVA_ROM_PATH="$<TARGET_PROPERTY:zorva_rom,ZORVA_ROM_IMAGE>")
add_dependencies(soak_bench zorva_rom)
