# Installs the build into a fresh prefix and checks that the menu entry, the
# icon, the ROM and the programs land where a desktop looks for them, and that
# the entry's launcher starts Zorva in the user's own folder with our ROM there.
#   cmake -DBUILD_DIR=... -DWORK_DIR=... -P install_check.cmake
# The prefix and the home folders have spaces and a quote in their names, which
# the launcher and the entry must carry through.
cmake_minimum_required(VERSION 3.25)
set(PREFIX "${WORK_DIR}/the prefix's root")
set(HOME_DIR "${WORK_DIR}/a home")
set(ROM "${PREFIX}/share/zorva/aquarius.rom")
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${HOME_DIR}")
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()
file(STRINGS "${BUILD_DIR}/install_manifest.txt" manifest)
foreach(f bin/zorva bin/zorva-run bin/zorva-desktop share/zorva/aquarius.rom
          share/applications/zorva.desktop
          share/icons/hicolor/16x16/apps/zorva.png share/icons/hicolor/128x128/apps/zorva.png)
  if(NOT EXISTS "${PREFIX}/${f}")
    message(FATAL_ERROR "not installed: ${f}")
  endif()
  # The list an uninstall goes by.
  if(NOT "${PREFIX}/${f}" IN_LIST manifest)
    message(FATAL_ERROR "install_manifest.txt lacks ${f}")
  endif()
endforeach()
file(SIZE "${ROM}" rom_size)
file(READ "${PREFIX}/share/applications/zorva.desktop" entry)
if(NOT rom_size EQUAL 8192)
  message(FATAL_ERROR "the installed ROM is ${rom_size} bytes")
endif()
foreach(line "Exec=\"${PREFIX}/bin/zorva-desktop\"" "Icon=zorva")
  string(FIND "${entry}" "\n${line}\n" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the menu entry lacks '${line}':\n${entry}")
  endif()
endforeach()
# A Path= would start the launcher elsewhere for nothing; it picks the folder.
string(FIND "${entry}" "\nPath=" at)
if(NOT at EQUAL -1)
  message(FATAL_ERROR "the menu entry sets a working folder:\n${entry}")
endif()

execute_process(COMMAND test -x "${PREFIX}/bin/zorva-desktop" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the launcher bin/zorva-desktop is not executable")
endif()

# In place of the emulator, a stub that says where it started, whether it can
# read ./aquarius.rom and what it was given, and ends with a status of its own.
file(WRITE "${PREFIX}/bin/zorva" [[#!/bin/sh
echo "folder=$(pwd)"
if [ -r aquarius.rom ]; then echo "rom=readable"; else echo "rom=missing"; fi
for arg in "$@"; do echo "arg=$arg"; done
exit 3
]])
file(CHMOD "${PREFIX}/bin/zorva" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)

# Runs the installed launcher with the settings given (cmake -E env's) and two
# arguments, checks that it started the stub in `folder` with a readable ROM
# and passed on the arguments and the stub's status, and that it said nothing
# unless `complaint` is given, which it must then say. Run from WORK_DIR, so a
# relative folder it should not use lands in the scratch tree.
function(launch name folder complaint)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env ${ARGN}
                          "${PREFIX}/bin/zorva-desktop" "two words" "-x"
                  WORKING_DIRECTORY "${WORK_DIR}"
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(expected "folder=${folder}\nrom=readable\narg=two words\narg=-x\n")
  if(NOT status EQUAL 3 OR NOT out STREQUAL expected)
    message(FATAL_ERROR "${name}: the launcher (status ${status}) started\n${out}"
                        "rather than\n${expected}${err}")
  endif()
  if(complaint STREQUAL "")
    if(NOT err STREQUAL "")
      message(FATAL_ERROR "${name}: the launcher complained:\n${err}")
    endif()
  else()
    string(FIND "${err}" "${complaint}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${name}: the launcher said\n${err}\nwithout '${complaint}'")
    endif()
  endif()
endfunction()

# Checks that `file` is a link to our installed ROM.
function(check_linked name file)
  if(NOT IS_SYMLINK "${file}")
    message(FATAL_ERROR "${name}: ${file} is not a link")
  endif()
  file(READ_SYMLINK "${file}" target)
  if(NOT target STREQUAL ROM)
    message(FATAL_ERROR "${name}: ${file} links to ${target}, not to ${ROM}")
  endif()
endfunction()

# Where each setting of XDG_DATA_HOME and HOME starts Zorva: the name of the
# case, the two settings and the folder made.
set(data "${HOME_DIR}/data home")
set(cases
  "XDG_DATA_HOME, nested and missing|XDG_DATA_HOME=${data}/deeper|HOME=${HOME_DIR}|${data}/deeper/zorva"
  "XDG_DATA_HOME|XDG_DATA_HOME=${data}|HOME=${HOME_DIR}|${data}/zorva"
  "no XDG_DATA_HOME|--unset=XDG_DATA_HOME|HOME=${HOME_DIR}/one|${HOME_DIR}/one/.local/share/zorva"
  "an empty XDG_DATA_HOME|XDG_DATA_HOME=|HOME=${HOME_DIR}/two|${HOME_DIR}/two/.local/share/zorva"
  "a relative XDG_DATA_HOME|XDG_DATA_HOME=data|HOME=${HOME_DIR}/three|${HOME_DIR}/three/.local/share/zorva")
foreach(row IN LISTS cases)
  string(REPLACE "|" ";" row "${row}")
  list(GET row 0 name)
  list(GET row 1 xdg)
  list(GET row 2 home)
  list(GET row 3 folder)
  launch("${name}" "${folder}" "" "${xdg}" "${home}")
  check_linked("${name}" "${folder}/aquarius.rom")
endforeach()

# Runs in a folder that cannot be made, or with no home at all, start Zorva
# where our ROM is, as before, and say why.
file(WRITE "${HOME_DIR}/a file" "")
launch("a folder under a file" "${PREFIX}/share/zorva" "cannot make or enter"
       "XDG_DATA_HOME=${HOME_DIR}/a file/data" "HOME=${HOME_DIR}")
launch("no home" "${PREFIX}/share/zorva" "neither XDG_DATA_HOME nor HOME"
       --unset=XDG_DATA_HOME --unset=HOME)

# Later runs in the folder of XDG_DATA_HOME keep the user's own ROM, a file or
# a working link, and replace a link left dangling.
set(rom_file "${data}/zorva/aquarius.rom")
set(own_rom "${HOME_DIR}/roms/my own.rom")
file(WRITE "${own_rom}" "a ROM of the user's own")
foreach(kind "our link" "a file" "a working link" "a dangling link")
  file(REMOVE "${rom_file}")
  if(kind STREQUAL "our link")
    file(CREATE_LINK "${ROM}" "${rom_file}" SYMBOLIC)
  elseif(kind STREQUAL "a file")
    file(COPY_FILE "${own_rom}" "${rom_file}")
  elseif(kind STREQUAL "a working link")
    file(CREATE_LINK "${own_rom}" "${rom_file}" SYMBOLIC)
  else()
    file(CREATE_LINK "${HOME_DIR}/roms/gone.rom" "${rom_file}" SYMBOLIC)
  endif()
  launch("${kind} already there" "${data}/zorva" "" "XDG_DATA_HOME=${data}"
         "HOME=${HOME_DIR}")
  if(kind STREQUAL "a file")
    file(READ "${rom_file}" kept)
    if(IS_SYMLINK "${rom_file}" OR NOT kept STREQUAL "a ROM of the user's own")
      message(FATAL_ERROR "the user's own aquarius.rom was replaced")
    endif()
  elseif(kind STREQUAL "a working link")
    file(READ_SYMLINK "${rom_file}" target)
    if(NOT target STREQUAL own_rom)
      message(FATAL_ERROR "the user's own link to ${own_rom} now links to ${target}")
    endif()
  else()
    check_linked("${kind} already there" "${rom_file}")
  endif()
endforeach()
