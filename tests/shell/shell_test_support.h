// Helpers for the shell's Qt tests: a modal-box runner that answers boxes
// instead of a human, tiny ROM images assembled by hand, a scratch working
// directory, and a stepper that drives a running window from its own event
// loop.
#pragma once

#include <QDir>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

#include "shell/modal_runner.h"

class QDialog;

namespace zorva::testing {

// What a test saw of one modal box when it came up.
struct SeenBox {
  QString kind;             // class name: QMessageBox, QFileDialog, zorva::CAboutDlg, ...
  QString title;            // window title
  QString text;             // message text, for message boxes
  QStringList nameFilters;  // for file dialogs
  QString presetName;       // for file dialogs: the text in the file name field
};

// Answers every modal box without showing it: message boxes with OK, the
// About box with OK, file dialogs and the run-point dialog with Cancel, unless
// `answer` is set and returns something other than kDefault.
class ScriptedModals final : public ModalRunner {
 public:
  static constexpr int kDefault = -1000;
  int Exec(QDialog& box) override;

  std::function<int(QDialog& box, const SeenBox& seen)> answer;
  std::vector<SeenBox> seen;
  QStringList kinds() const;
};

// An 8192-byte ROM image, written from address 0 by the emitters below.
class TestRom {
 public:
  uint16_t Here() const { return pc_; }
  TestRom& Bytes(std::initializer_list<uint8_t> bytes);
  // LD A,value ; LD (address),A
  TestRom& Poke(uint16_t address, uint8_t value);
  // Waits until a key shows in the all-columns port: IN A,(0xFF) ; CP 0xFF ; JR Z,back
  TestRom& WaitForKey();
  // OUT (0xFF),A with A = value: the scramble port.
  TestRom& Scramble(uint8_t value);
  // JR to itself: the machine stays busy at this address.
  TestRom& Spin();
  bool Save(const QString& path) const;

 private:
  std::vector<uint8_t> image_ = std::vector<uint8_t>(8192, 0);
  uint16_t pc_ = 0;
};

// A fresh temporary directory made the working directory for the helper's life.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  QString path() const { return dir_.path(); }
  QString file(const QString& name) const { return dir_.filePath(name); }

 private:
  QString previous_;
  QTemporaryDir dir_;
};

// Runs steps in order from a timer while some event loop (the window's modal
// loop, or the run loop's pump) is spinning: each step waits until its
// condition holds, then acts. When the deadline passes first, `onTimeout` runs
// (usually closing the window) and timedOut() is true.
class Stepper {
 public:
  explicit Stepper(int deadlineMs = 10000);
  Stepper& Then(std::function<bool()> ready, std::function<void()> act);
  Stepper& Then(std::function<void()> act) {
    return Then([] { return true; }, std::move(act));
  }
  void Start(std::function<void()> onTimeout);
  bool finished() const { return next_ == steps_.size(); }
  bool timedOut() const { return timedOut_; }
  // Which step was waiting when the deadline passed.
  size_t stuckAt() const { return next_; }

 private:
  struct Step {
    std::function<bool()> ready;
    std::function<void()> act;
  };
  std::vector<Step> steps_;
  size_t next_ = 0;
  bool timedOut_ = false;
  bool busy_ = false;
  QTimer tick_;
  QTimer deadline_;
};

}  // namespace zorva::testing
