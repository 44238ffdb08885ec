// A main window for the offscreen tests: in a fresh working folder, its
// modal boxes answered without showing them, and small helpers that write ROM
// images and script what happens while the machine runs.
#pragma once

#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "shell/zorva_dlg.h"

namespace zorva::testing {

// A main window in a fresh working directory (where it looks for aquarius.rom
// and writes trace.log), whose modal boxes are answered without showing them:
// each is recorded in `seen` as its class name (and a message box's text),
// then `answer` decides.
struct Window final : ModalRunner {
  QString previousDir = QDir::currentPath();
  QTemporaryDir dir;
  std::function<int(QDialog&)> answer = [](QDialog&) { return int(QDialog::Rejected); };
  QStringList seen;
  CZorvaDlg dlg;
  Emulator& emu = dlg.emulator();
  Window() {
    QDir::setCurrent(dir.path());
    dlg.SetModalRunner(*this);
  }
  ~Window() override { QDir::setCurrent(previousDir); }
  int Exec(QDialog& box) override {
    const auto* message = qobject_cast<QMessageBox*>(&box);
    seen << box.metaObject()->className() + (message ? ": " + message->text() : QString());
    return answer(box);
  }
};

// LD A,value ; LD (address),A
inline void Poke(std::vector<uint8_t>& code, int address, uint8_t value) {
  code.insert(code.end(), {0x3E, value, 0x32, uint8_t(address), uint8_t(address >> 8)});
}

// `code` at the start of an 8192-byte ROM image.
inline bool SaveRom(const QString& path, std::vector<uint8_t> code) {
  code.resize(8192);
  QFile file(path);
  return file.open(QIODevice::WriteOnly) &&
         file.write(reinterpret_cast<const char*>(code.data()), 8192) == 8192;
}

// Runs each step's action, in order, once its condition holds, from a timer
// that whatever event loop spins (the window's, or the run loop's pump) fires;
// after 10 s `giveUp` instead, so a stuck test fails rather than hangs.
using Step = std::pair<std::function<bool()>, std::function<void()>>;
inline std::unique_ptr<QTimer> RunSteps(std::vector<Step> steps, size_t& passed,
                                        std::function<void()> giveUp) {
  auto timer = std::make_unique<QTimer>();
  const QDeadlineTimer deadline(10000);
  QObject::connect(timer.get(), &QTimer::timeout, [=, &passed, t = timer.get()] {
    if (passed < steps.size() && !deadline.hasExpired()) {
      if (steps[passed].first()) steps[passed++].second();
    } else {
      t->stop();
      if (passed < steps.size()) giveUp();
    }
  });
  timer->start(2);
  return timer;
}

}  // namespace zorva::testing
