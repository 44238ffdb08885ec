#include "run/address_text.h"

namespace zorva {

std::optional<uint16_t> ParseDecimalAddress(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\n\v\f\r";
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return std::nullopt;
  const std::string_view digits = text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
  uint32_t value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint32_t>(c - '0');
    if (value > 0xFFFF) return std::nullopt;
  }
  return static_cast<uint16_t>(value);
}

}  // namespace zorva
