// Command ids of the main window's menu. Menu items, posted commands and
// tests all name a command by its id and reach it through
// CZorvaDlg::OnCommand.
#pragma once

namespace zorva::cmd {

inline constexpr int kExit = 8;
inline constexpr int kAbout = 16;
inline constexpr int kLoadMachineRom = 32771;
inline constexpr int kLoadCartridge = 32772;
inline constexpr int kStop = 32773;
inline constexpr int kSlow = 32774;
inline constexpr int kMedium = 32775;
inline constexpr int kFast = 32776;
inline constexpr int kAdvanced = 32778;
inline constexpr int kSaveMemoryImage = 32779;
inline constexpr int kView100 = 32780;
inline constexpr int kView200 = 32781;
inline constexpr int kView400 = 32782;
inline constexpr int kReset = 32784;
inline constexpr int kClearScreenRam = 32785;
inline constexpr int kStart = 32787;
inline constexpr int kLogToFile = 32788;
inline constexpr int kStopLogging = 32789;
inline constexpr int kTest = 32790;

}  // namespace zorva::cmd
