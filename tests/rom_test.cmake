# The system ROM (rom/): its image checked instruction by instruction against
# the processor's subset (decoded with libz80ex), and the monitor driven
# through the headless runner zorva-run, keys typed and screen read back.
find_library(Z80EX_DASM_LIBRARY z80ex_dasm)
find_path(Z80EX_INCLUDE_DIR z80ex/z80ex_dasm.h)
if(NOT Z80EX_DASM_LIBRARY OR NOT Z80EX_INCLUDE_DIR)
  message(FATAL_ERROR "libz80ex not found: the ROM tests need its disassembler (Debian: libz80ex-dev)")
endif()

file(GLOB rom_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/rom/*.cpp)
# The floating-point package has its own program (float_test.cmake).
list(FILTER rom_test_sources EXCLUDE REGEX "/float[^/]*\\.cpp$")
add_executable(rom_tests ${rom_test_sources})
target_include_directories(rom_tests PRIVATE ${PROJECT_SOURCE_DIR} ${Z80EX_INCLUDE_DIR})
target_link_libraries(rom_tests PRIVATE zorva_testing zorva_pack ${Z80EX_DASM_LIBRARY} GTest::gtest_main)
target_compile_definitions(rom_tests PRIVATE
  ZORVA_RUN="$<TARGET_FILE:zorva-run>"
  ZORVA_ROM_IMAGE="$<TARGET_PROPERTY:zorva_rom,ZORVA_ROM_IMAGE>"
  ZORVA_ROM_SYMBOLS="$<TARGET_PROPERTY:zorva_rom,ZORVA_ROM_SYMBOLS>"
  ZORVA_ROM_PROGRAM="$<TARGET_PROPERTY:zorva_rom,ZORVA_ROM_PROGRAM>")
add_dependencies(rom_tests zorva_rom zorva-run)
gtest_discover_tests(rom_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS rom)

# The desktop program on this ROM in a real window under a virtual X server:
# BASIC at power-on, MON and the monitor's title bar, and a dump typed through
# X (skipped when Xvfb or xdotool is missing); paste and copy, and SAVE and
# LOAD across two runs (skipped without xclip).
if(TARGET zorva)
  add_test(NAME rom_xvfb_check
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/rom/xvfb_rom_check.sh
      $<TARGET_FILE:zorva>
      $<TARGET_PROPERTY:zorva_rom,ZORVA_ROM_IMAGE>
      ${PROJECT_SOURCE_DIR}/resources/charset.txt)
  set_tests_properties(rom_xvfb_check PROPERTIES
    SKIP_RETURN_CODE 77
    LABELS rom
    TIMEOUT 120
    RUN_SERIAL TRUE)
  # Paste, middle click and copy through a real X client (skipped without xclip).
  add_test(NAME rom_xvfb_paste_check
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/rom/xvfb_paste_check.sh
      $<TARGET_FILE:zorva> $<TARGET_PROPERTY:zorva_rom,ZORVA_ROM_IMAGE>)
  set_tests_properties(rom_xvfb_paste_check PROPERTIES
    SKIP_RETURN_CODE 77
    LABELS rom
    TIMEOUT 120)
  # SAVE, the window closed, and LOAD in a second run of the program in the
  # same folder; the close request comes from the shell tests' fake_wm.
  add_test(NAME rom_xvfb_files_check
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/rom/xvfb_files_check.sh
      $<TARGET_FILE:zorva> $<TARGET_PROPERTY:zorva_rom,ZORVA_ROM_IMAGE>
      $<$<TARGET_EXISTS:shell_fake_wm>:$<TARGET_FILE:shell_fake_wm>>)
  set_tests_properties(rom_xvfb_files_check PROPERTIES
    SKIP_RETURN_CODE 77
    LABELS rom
    TIMEOUT 120
    RUN_SERIAL TRUE)
endif()
