# Installs the build into a fresh prefix and checks that the menu entry, the
# icon, the ROM and both programs land where a desktop looks for them, and that
# the entry starts Zorva in the folder that holds the ROM.
#   cmake -DBUILD_DIR=... -DPREFIX=... -P install_check.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()
foreach(f bin/zorva bin/zorva-run share/zorva/aquarius.rom share/applications/zorva.desktop
          share/icons/hicolor/16x16/apps/zorva.png share/icons/hicolor/128x128/apps/zorva.png)
  if(NOT EXISTS ${PREFIX}/${f})
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
file(SIZE ${PREFIX}/share/zorva/aquarius.rom rom_size)
file(READ ${PREFIX}/share/applications/zorva.desktop entry)
if(NOT rom_size EQUAL 8192)
  message(FATAL_ERROR "the installed ROM is ${rom_size} bytes")
endif()
foreach(line "Exec=${PREFIX}/bin/zorva" "Path=${PREFIX}/share/zorva" "Icon=zorva")
  string(FIND "${entry}" "\n${line}\n" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the menu entry lacks '${line}':\n${entry}")
  endif()
endforeach()
