#include "run/emulator.h"

#include <algorithm>
#include <array>
#include <utility>

#include "machine/images.h"
#include "run/dropped_file.h"

namespace zorva {
namespace {

constexpr std::array<FileType, 2> kRomTypes = {FileType{"ROM Files (*.rom)", "*.rom"},
                                               FileType{"All Files (*.*)", "*.*"}};
// While BASIC is in the middle of a file operation (a LOAD stores a line per
// request) the loop looks at its requests this often, not only at its pumps.
constexpr uint32_t kFilePoll = 1000;

constexpr std::array<FileType, 2> kCartridgeTypes = {FileType{"BIN Files (*.bin)", "*.bin"},
                                                     FileType{"All Files (*.*)", "*.*"}};

}  // namespace

Emulator::Emulator(Host& host) : host_(host), m_(*this) {}

void Emulator::InitMachine() {
  InitMemory(m_);
  InitPortSpace(m_);
  BuildKeyTable(m_.keyboard);
  m_.cpu.BuildParityTable();
  m_.romLoaded = false;
  keepRunning_ = false;
  m_.keyboard.shiftDown = false;
  m_.keyboard.ctrlDown = false;
  m_.screen.fullRedraw = true;
}

void Emulator::LoadStartupRom() {
  m_.romPath = "aquarius.rom";
  if (!LoadImage(m_, host_, kRomAddress, kRomSize)) OnLoadMachineRom();
  points_.start = 0x0000;
  points_.end = 0xFFFF;
  m_.cpu.ResetRegisters();
  files_.Forget(m_.memory);
  filesBusy_ = false;
  closing_ = false;
  cartridgePending_ = false;
}

// --- Run control ------------------------------------------------------------

void Emulator::OnStart() {
  m_.screen.fullRedraw = true;
  if (closing_) return;      // the window is going: it waits for the loop, not a new one
  if (keepRunning_) return;  // running, or parked at the end point
  keepRunning_ = true;
  // A Stop and a Start handled in one round of events find the stopped loop
  // still on the stack, its pump not yet returned: that loop starts over
  // rather than carrying a second one inside it, which would outlive it.
  if (runLoops_ > 0) {
    restart_ = true;
    return;
  }
  Run(points_.start, points_.end);
}

int Emulator::Run(uint16_t start, uint16_t end) {
  if (!m_.romLoaded) {
    host_.ShowMessage("Cannot run: No ROM loaded.");
    keepRunning_ = false;
    return 0;
  }
  ++runLoops_;
  Z80& cpu = m_.cpu;
  do {
    restart_ = false;
    m_.screen.fullRedraw = true;
    cpu.regs.PC = start;
    if (cpu.regs.PC == end) break;
    // The host says how many instructions may pass before it looks at its
    // message queue again; what it dispatches then takes effect before the
    // next instruction. Commands arrive only through the pump, so a batch
    // between two pumps tests little more than the end point. (keepRunning
    // stays in the test for a close that a message box, opened by an
    // unhandled instruction, may let through.)
    uint32_t untilPump = 1;
    while (keepRunning_) {
      // Typed keys fall due between two pumps too: a batch ends at whichever
      // comes first, so they land on their instruction counts.
      uint32_t batch = std::min(untilPump, typist_.untilNext());
      if (filesBusy_) [[unlikely]]
        batch = std::min(batch, kFilePoll);
      uint32_t left = batch;
      if (trace_.loggingOn()) [[unlikely]] {
        // One at a time: every instruction needs its line, and a failed
        // write ends the log.
        WriteRegisterLine();
        cpu.Step();
        --left;
      } else {
        left = cpu.StepMany(left, end, keepRunning_);
      }
      untilPump -= batch - left;
      if (typist_.typing()) [[unlikely]]
        TypeDueKeys(batch - left);
      // BASIC's file requests wait in memory for the next look: at every
      // pump, and after every batch while an operation is under way.
      if (untilPump == 0 || filesBusy_) ServeFiles();
      // A host answering 0 would otherwise never be asked again.
      if (untilPump == 0) untilPump = std::max<uint32_t>(host_.PumpMessages(), 1);
      if (restart_ || cpu.regs.PC == end) break;
    }
    // Starting over: from the start point, up to the end point of now.
    start = points_.start;
    end = points_.end;
  } while (restart_ && keepRunning_);
  restart_ = false;
  --runLoops_;
  FlushTrace();  // the machine has stopped: whoever looks at the log sees all of it
  if (closing_) {
    host_.PumpMessages();
    host_.PostClose();
  }
  if (cartridgePending_) {
    host_.PumpMessages();
    OnLoadCartridge();
  }
  return 1;
}

void Emulator::OnStop() {
  keepRunning_ = false;
  m_.screen.fullRedraw = true;
}

void Emulator::OnReset() {
  m_.cpu.ResetRegisters();
  files_.Forget(m_.memory);
  filesBusy_ = false;
  m_.screen.fullRedraw = true;
}

void Emulator::OnAdvanced(const RunPoints& points) {
  points_ = points;
  m_.cpu.regs.PC = points_.start;
  m_.screen.fullRedraw = true;
}

void Emulator::OnClose() {
  // From here on nothing starts again: not Start, not a pending cartridge load.
  closing_ = true;
  if (runLoops_ > 0) {
    host_.StopScreenTimer();
    keepRunning_ = false;
    return;
  }
  OnStopLogging();
  host_.CloseWindow();
}

// --- Images -----------------------------------------------------------------

void Emulator::OnLoadMachineRom(std::optional<std::string> path) {
  m_.screen.fullRedraw = true;
  if (keepRunning_) {
    host_.ShowMessage("Can't load rom: Processor already running.\nPlease stop processor first.");
    return;
  }
  if (!path) path = host_.ChooseFile(kRomTypes, "*.rom");
  if (path) LoadRomFile(*path);
}

void Emulator::OnLoadCartridge(std::optional<std::string> path) {
  m_.screen.fullRedraw = true;
  if (path) cartridgeChoice_ = std::move(path);
  if (keepRunning_) {
    // The loop stops after this instruction and calls us again from its tail.
    cartridgePending_ = true;
    keepRunning_ = false;
    return;
  }
  cartridgePending_ = false;
  path = std::exchange(cartridgeChoice_, std::nullopt);
  if (closing_) return;  // no dialog for a window that is going
  if (!path) path = host_.ChooseFile(kCartridgeTypes, "*.bin");
  if (!path) return;
  LoadCartridgeFile(*path);
  // Restart whether or not the load succeeded: on failure memory is unchanged.
  OnReset();
  OnStart();
}

void Emulator::OnDropFiles(std::span<const std::string> paths) {
  if (paths.empty()) return;
  if (paths.size() > 1) {
    host_.ShowMessage(std::to_string(paths.size()) + " files were dropped; only the first, '" +
                      paths.front() + "', is used.");
  }
  DroppedFile file = ExamineDroppedFile(paths.front());
  switch (file.kind) {
    case DroppedFile::Kind::Cartridge: OnLoadCartridge(paths.front()); break;
    case DroppedFile::Kind::Rom: OnLoadMachineRom(paths.front()); break;
    case DroppedFile::Kind::Text: TypeText(file.text); break;
    case DroppedFile::Kind::Unusable: host_.ShowMessage(file.why); break;
  }
}

bool Emulator::LoadRomFile(const std::string& path) {
  m_.romPath = path;
  return LoadImage(m_, host_, kRomAddress, kRomSize);
}

bool Emulator::LoadCartridgeFile(const std::string& path) {
  m_.romPath = path;
  return LoadImage(m_, host_, kCartridgeAddress, kCartridgeSize);
}

// --- Trace log --------------------------------------------------------------

void Emulator::OnLogToFile() {
  m_.screen.fullRedraw = true;
  if (trace_.loggingOn()) return;
  if (const unsigned cause = trace_.Open(traceFileName_, m_.romPath)) {
    if (!trace_.loggingOn()) {
      host_.ShowMessage("Can't open file. Error = " + std::to_string(cause) + "\n");
      return;
    }
    TraceWriteFailed(cause);
    return;
  }
  m_.cpu.traceBranches = true;
}

void Emulator::OnStopLogging() {
  const unsigned cause = trace_.Close();
  m_.cpu.traceBranches = false;
  m_.screen.fullRedraw = true;
  if (cause != 0) ReportTraceFailure(cause);
}

void Emulator::FlushTrace() {
  if (!trace_.loggingOn()) return;
  if (const unsigned cause = trace_.Flush()) TraceWriteFailed(cause);
}

void Emulator::WriteRegisterLine() {
  const Z80Registers& r = m_.cpu.regs;
  if (const unsigned cause = trace_.WriteRegisterLine(r, m_.memory[r.PC])) TraceWriteFailed(cause);
}

// A log that silently ends early would lie: stop logging and say so, once.
void Emulator::TraceWriteFailed(unsigned cause) {
  trace_.Close();  // nothing left to write: the failed buffer is gone
  m_.cpu.traceBranches = false;
  ReportTraceFailure(cause);
}

void Emulator::ReportTraceFailure(unsigned cause) {
  host_.ShowMessage("Can't write file. Error = " + std::to_string(cause) + "\n");
}

// --- Keys, screen -------------------------------------------------------------

void Emulator::OnKeyDown(unsigned code) {
  zorva::OnKeyDown(m_.keyboard, m_.portSpace.data(), code);
}
void Emulator::OnKeyUp(unsigned code) { zorva::OnKeyUp(m_.keyboard, m_.portSpace.data(), code); }
void Emulator::OnOK() { zorva::OnOK(m_.portSpace.data()); }

void Emulator::OnKey(const KeyEvent& key) {
  switch (key.kind) {
    case KeyEvent::Kind::Down: OnKeyDown(key.code); break;
    case KeyEvent::Kind::Up: OnKeyUp(key.code); break;
    case KeyEvent::Kind::Ok: OnOK(); break;
  }
}

size_t Emulator::TypeText(std::string_view text) { return typist_.Type(text); }

void Emulator::CancelTyping() {
  for (const unsigned code : typist_.Cancel()) OnKeyUp(code);
}

void Emulator::TypeDueKeys(uint32_t ran) {
  typist_.Advance(ran);
  while (const std::optional<KeyEvent> key = typist_.Due()) OnKey(*key);
  if (typist_.typing()) return;
  if (const size_t skipped = typist_.TakeSkipped()) {
    host_.ShowMessage(skipped == 1 ? "1 character was not typed: it has no key on this keyboard."
                                   : std::to_string(skipped) +
                                         " characters were not typed: they have no key on this "
                                         "keyboard.");
  }
}

void Emulator::OnClearScreenRam() { zorva::OnClearScreenRam(m_); }

const Screen& Emulator::PaintScreen() {
  zorva::PaintScreen(m_.screen, m_.memory.data());
  return m_.screen;
}

// --- What instructions reach ------------------------------------------------

void Emulator::WriteScramblePort(uint8_t value) { zorva::WriteScramblePort(m_, host_, value); }

void Emulator::WriteBranchLine(std::string_view line) {
  if (const unsigned cause = trace_.Write(line)) TraceWriteFailed(cause);
}

void Emulator::ReportUnhandled(std::string_view message) {
  FlushTrace();  // the machine waits for the user, who may want to see how it got here
  host_.ShowMessage(message);
}

}  // namespace zorva
