# run_loop_bench: the emulator's run loop against a bare Step loop. See README.md.
find_package(benchmark REQUIRED)

add_executable(run_loop_bench ${CMAKE_CURRENT_LIST_DIR}/run_loop_bench.cpp)
target_link_libraries(run_loop_bench PRIVATE zorva_run benchmark::benchmark)
target_compile_definitions(run_loop_bench PRIVATE
  ZORVA_WORKLOAD_PATH="${PROJECT_SOURCE_DIR}/bench/workload/workload.bin")
