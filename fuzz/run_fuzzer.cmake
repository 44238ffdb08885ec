# Runs one fuzz target for SECONDS on a fresh, writable copy of its seed corpus.
#
#   cmake -DFUZZER=<program> -DSEEDS=<seed folder> -DWORK=<scratch folder>
#         -DSECONDS=<n> [-DARGS=<more libFuzzer flags>] -P run_fuzzer.cmake
#
# The copy (with whatever the run adds to it) is WORK/corpus; an input that
# breaks an invariant, crashes, leaks or hangs is saved in WORK/artifacts and
# fails the test.
foreach(var FUZZER SEEDS WORK SECONDS)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "run_fuzzer.cmake: ${var} is not set")
  endif()
endforeach()
if(NOT IS_DIRECTORY "${SEEDS}")
  message(FATAL_ERROR "run_fuzzer.cmake: no seed corpus at ${SEEDS}")
endif()

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/corpus" "${WORK}/artifacts")
file(GLOB seeds "${SEEDS}/*")
file(COPY ${seeds} DESTINATION "${WORK}/corpus")

execute_process(
  COMMAND "${FUZZER}" -max_total_time=${SECONDS} -rss_limit_mb=2048 -timeout=10
          -print_final_stats=1 -artifact_prefix=${WORK}/artifacts/ ${ARGS} "${WORK}/corpus"
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(GLOB found "${WORK}/artifacts/*")
  message(FATAL_ERROR "${FUZZER} failed (${result}); inputs saved: ${found}")
endif()
