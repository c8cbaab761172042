# Chooses the ROM image to build in and writes it out as a C++ byte array.
set(WENDAL_ROM "" CACHE FILEPATH "A 16384-byte ROM image to build in instead of Debian's")

if(WENDAL_ROM)
  set(rom_file "${WENDAL_ROM}")
  set(rom_kind "Custom")
elseif(EXISTS "/usr/share/spectrum-roms/48.rom")
  set(rom_file "/usr/share/spectrum-roms/48.rom")
  set(rom_kind "Standard48")
elseif(EXISTS "/usr/share/spectrum-roms/opense.rom")
  set(rom_file "/usr/share/spectrum-roms/opense.rom")
  set(rom_kind "OpenSource")
  message(STATUS "Wendal: /usr/share/spectrum-roms/48.rom not found (package spectrum-roms, "
                 "Debian non-free); building in the open-source ROM ${rom_file} instead")
else()
  message(FATAL_ERROR "Wendal: no ROM image. Run scripts/install-deps.sh, or pass "
                      "-DWENDAL_ROM=/path/to/16384-byte.rom")
endif()

if(NOT EXISTS "${rom_file}")
  message(FATAL_ERROR "Wendal: ROM image ${rom_file} does not exist")
endif()
file(SIZE "${rom_file}" rom_size)
if(NOT rom_size EQUAL 16384)
  message(FATAL_ERROR "Wendal: ${rom_file} is ${rom_size} bytes; a ROM image must be 16384 bytes")
endif()
message(STATUS "Wendal: built-in ROM ${rom_file} (${rom_kind})")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${rom_file}")

file(READ "${rom_file}" rom_hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," rom_bytes "${rom_hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n" rom_bytes "${rom_bytes}")
set(WENDAL_ROM_SOURCE "${CMAKE_BINARY_DIR}/generated/builtin_rom.cpp")
file(WRITE "${WENDAL_ROM_SOURCE}.tmp"
  "// Generated from ${rom_file} at configure time.\n"
  "#include \"media/builtin_rom.h\"\n"
  "const uint8_t BuiltinRom[16384] = {\n${rom_bytes}};\n"
  "const RomKind BuiltinRomKind = RomKind::${rom_kind};\n"
  "const char BuiltinRomSource[] = \"${rom_file}\";\n")
configure_file("${WENDAL_ROM_SOURCE}.tmp" "${WENDAL_ROM_SOURCE}" COPYONLY)

# The 128K's and the +2's two ROMs each, from Debian's spectrum-roms package. A machine whose
# images are missing is built without them and says why when chosen.
set(WENDAL_ROMS_128 "${CMAKE_BINARY_DIR}/generated/builtin_roms_128.cpp")
set(roms_text "// Generated from /usr/share/spectrum-roms at configure time.\n#include \"media/builtin_rom.h\"\n")
foreach(machine 128 plus2)
  if(machine STREQUAL "128")
    set(name Builtin128Roms)
  else()
    set(name BuiltinPlus2Roms)
  endif()
  set(missing "")
  set(bytes "")
  foreach(rom 0 1)
    set(file "/usr/share/spectrum-roms/${machine}-${rom}.rom")
    if(NOT EXISTS "${file}")
      set(missing "${file} was missing when this program was built (package spectrum-roms)")
      break()
    endif()
    file(SIZE "${file}" size)
    if(NOT size EQUAL 16384)
      set(missing "${file} is not a 16384-byte ROM image")
      break()
    endif()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${file}")
    file(READ "${file}" hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," hex "${hex}")
    string(REGEX REPLACE "((0x..,){16})" "\\1\n" hex "${hex}")
    string(APPEND bytes "{\n${hex}},\n")
  endforeach()
  if(missing)
    message(STATUS "Wendal: ${missing}; that machine is unavailable")
    set(bytes "")
  endif()
  string(APPEND roms_text "const uint8_t ${name}[2][16384] = {\n${bytes}};\n"
    "const char ${name}Missing[] = \"${missing}\";\n")
endforeach()
file(WRITE "${WENDAL_ROMS_128}.tmp" "${roms_text}")
configure_file("${WENDAL_ROMS_128}.tmp" "${WENDAL_ROMS_128}" COPYONLY)
