# Writes the menu entry and its launcher at install time, so that the paths in
# them follow --prefix (and the files land under DESTDIR). Included by the
# install code of the top CMakeLists.txt, which sets:
#   ZORVA_SOURCE_DIR  the source tree, for the two templates in resources/
#   ZORVA_BIN_DIR     the installed bin folder, without DESTDIR
#   ZORVA_DATA_DIR    the installed share/zorva, which holds our ROM
#   ZORVA_APPS_DIR    the installed share/applications

# Writes a template with the mode of a program or of a plain file, and lists
# it among the installed files (install_manifest.txt) as file(INSTALL) would.
function(zorva_install_configured template destination)
  set(file "$ENV{DESTDIR}${destination}")
  message(STATUS "Installing: ${file}")
  set(mode OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  if(ARGN STREQUAL "PROGRAM")
    list(APPEND mode OWNER_EXECUTE GROUP_EXECUTE WORLD_EXECUTE)
  endif()
  configure_file("${ZORVA_SOURCE_DIR}/resources/${template}" "${file}" @ONLY
                 FILE_PERMISSIONS ${mode})
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${file}")
  set(CMAKE_INSTALL_MANIFEST_FILES "${CMAKE_INSTALL_MANIFEST_FILES}" PARENT_SCOPE)
endfunction()

foreach(path "${ZORVA_BIN_DIR}" "${ZORVA_DATA_DIR}" "${ZORVA_APPS_DIR}")
  if(path MATCHES "[\n\r]")
    message(FATAL_ERROR "the menu entry cannot name a folder with a line break: ${path}")
  endif()
endforeach()

# The launcher holds its paths in single quotes, where only a quote is special.
set(launcher "${ZORVA_BIN_DIR}/zorva-desktop")
string(REPLACE "'" "'\\''" ZORVA_LAUNCH_PROGRAM "${ZORVA_BIN_DIR}/zorva")
string(REPLACE "'" "'\\''" ZORVA_LAUNCH_ROM "${ZORVA_DATA_DIR}/aquarius.rom")
zorva_install_configured(zorva-desktop.in "${launcher}" PROGRAM)

# The entry's Exec holds the launcher in double quotes, where a backslash, a
# quote, a dollar and a backquote take a backslash, every backslash is doubled
# once more for the entry's string value, and a percent sign is doubled.
string(REPLACE "\\" "\\\\\\\\" exec "${launcher}")
string(REGEX REPLACE "([\"$`])" "\\\\\\\\\\1" exec "${exec}")
string(REPLACE "%" "%%" exec "${exec}")
set(ZORVA_ENTRY_EXEC "\"${exec}\"")
zorva_install_configured(zorva.desktop.in "${ZORVA_APPS_DIR}/zorva.desktop")
