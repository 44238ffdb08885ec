// A run point as the user types it: an unsigned decimal number from 0 to
// 65535, blanks around it allowed. The window's and the page's run-point
// dialogs both read their fields through it, so they refuse the same text.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zorva {

// The address in `text`, or nothing when it is anything but such a number.
std::optional<uint16_t> ParseDecimalAddress(std::string_view text);

}  // namespace zorva
