# paste_bench: a listing pasted into our BASIC and listed back. A plain program. See README.md.
add_executable(paste_bench ${CMAKE_CURRENT_LIST_DIR}/paste_bench.cpp)
target_link_libraries(paste_bench PRIVATE zorva_run)
target_compile_definitions(paste_bench PRIVATE
  ZORVA_ROM_PATH="$<TARGET_PROPERTY:zorva_rom,ZORVA_ROM_IMAGE>")
add_dependencies(paste_bench zorva_rom)
