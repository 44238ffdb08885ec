// The screen as text: what the 40 x 25 character memory shows, as UTF-8.
// Printable ASCII stands for itself, a graphic character for the Unicode
// character our character set draws for it where one fits, and every other
// code for a space. Copying the screen and zorva-run's --screen both use it,
// so the two always agree.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace zorva {

// The 40 characters of screen row `row` (0-24) of the machine's `memory`.
std::string ScreenRowText(std::span<const uint8_t, 65536> memory, int row);

// The 25 rows, each without its trailing spaces and ending in a newline.
std::string ScreenText(std::span<const uint8_t, 65536> memory);

}  // namespace zorva
