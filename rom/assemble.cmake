# Runs pasmo on the ROM source and checks the image size.
# Arguments (-D): PASMO, SOURCE, INCLUDE_DIR, IMAGE, SYMBOLS, LISTING, and
# SIZE (left out: any size will do).
# The listing is pasmo's second-pass trace: address, bytes and instruction.
execute_process(
  COMMAND ${PASMO} -d --bin -I ${INCLUDE_DIR} ${SOURCE} ${IMAGE} ${SYMBOLS}
  WORKING_DIRECTORY ${INCLUDE_DIR}
  RESULT_VARIABLE result
  OUTPUT_FILE ${LISTING}
  ERROR_VARIABLE errors
)
if(NOT result EQUAL 0)
  file(REMOVE ${IMAGE})
  message(FATAL_ERROR "pasmo failed on ${SOURCE}:\n${errors}")
endif()
if(NOT DEFINED SIZE)
  return()
endif()
file(SIZE ${IMAGE} size)
if(NOT size EQUAL SIZE)
  file(REMOVE ${IMAGE})
  message(FATAL_ERROR "The ROM image is ${size} bytes; it must be exactly ${SIZE}.")
endif()
