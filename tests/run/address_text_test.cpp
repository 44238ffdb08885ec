// The run-point dialogs' field check: an unsigned decimal 0-65535 with blanks
// around it, and nothing else; above all no number that wraps round.
#include "run/address_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string_view>

namespace zorva {
namespace {

TEST(ParseDecimalAddress, TakesDecimalsFrom0To65535AndRefusesTheRest) {
  using namespace std::string_view_literals;
  const struct {
    std::string_view text;
    std::optional<uint16_t> address;
  } cases[] = {
      {"0", 0},
      {"65535", 65535},
      {"49152", 49152},
      {"00065535", 65535},  // leading zeros are still the number
      {"  42 ", 42},
      {"\t7\r\n", 7},
      {"65536", std::nullopt},
      {"100000", std::nullopt},
      {"4294967338", std::nullopt},  // 42 once wrapped at 32 bits
      {"18446744073709551658", std::nullopt},
      {"99999999999999999999999999999999", std::nullopt},
      {"", std::nullopt},
      {"   ", std::nullopt},
      {"-1", std::nullopt},
      {"+1", std::nullopt},
      {"0x10", std::nullopt},
      {"1e3", std::nullopt},
      {"12a", std::nullopt},
      {"1 2", std::nullopt},
      {"1.0", std::nullopt},
      {"1\0"sv, std::nullopt},
      {"\xEF\xBC\x91", std::nullopt},  // a full-width 1
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseDecimalAddress(c.text), c.address) << "'" << c.text << "'";
  }
}

}  // namespace
}  // namespace zorva
