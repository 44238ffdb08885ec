#include "tools/headless_host.h"

#include <algorithm>
#include <cstdio>

#include "run/emulator.h"

namespace zorva::tools {

namespace {

// One printable line: a message names file paths, which may hold newlines or
// terminal escapes; they are written as \n and \xNN, never passed through.
std::string OneLine(std::string_view prefix, std::string_view text) {
  std::string line(prefix);
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '\n') {
      line += "\\n";
    } else if (c < 0x20 || c == 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", c);
      line += escape;
    } else {
      line += ch;
    }
  }
  return line + '\n';
}

}  // namespace

void HeadlessHost::ShowMessage(std::string_view text, Icon) {
  err_ << OneLine("message: ", text) << std::flush;
}

void HeadlessHost::SetCaption(std::string_view text) {
  err_ << OneLine("caption: ", text) << std::flush;
}

std::optional<std::string> HeadlessHost::ChooseFile(std::span<const FileType>, std::string_view) {
  return std::nullopt;  // nobody to ask: Cancel
}

uint32_t HeadlessHost::PumpMessages() {
  executed_ += granted_;
  if (interrupt_ != nullptr && *interrupt_ != 0) {
    interrupted_ = true;
    emulator_->OnStop();
  }
  if (stepLimit_ != 0 && executed_ >= stepLimit_) emulator_->OnStop();

  uint64_t quiet = kLongestQuiet;
  if (stepLimit_ > executed_) quiet = std::min(quiet, stepLimit_ - executed_);
  granted_ = static_cast<uint32_t>(std::max<uint64_t>(quiet, 1));
  return granted_;
}

}  // namespace zorva::tools
