# shell_bench: the main window's screen paint and its run loop, on Qt's
# offscreen platform. See shell_bench.cpp.
if(TARGET zorva_shell)
  find_package(benchmark REQUIRED)
  # Qt's imported targets are visible per directory: zorva_shell's need finding here too.
  find_package(Qt6 REQUIRED COMPONENTS Widgets)
  add_executable(shell_bench ${CMAKE_CURRENT_LIST_DIR}/shell_bench.cpp)
  target_link_libraries(shell_bench PRIVATE zorva_shell benchmark::benchmark)
  target_compile_definitions(shell_bench PRIVATE
    ZORVA_WORKLOAD_PATH="${PROJECT_SOURCE_DIR}/bench/workload/workload.bin"
    ZORVA_ROM_PATH="$<TARGET_PROPERTY:zorva_rom,ZORVA_ROM_IMAGE>")
  add_dependencies(shell_bench zorva_rom)
endif()
