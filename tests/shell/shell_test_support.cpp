#include "shell_test_support.h"

#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>

namespace zorva::testing {

int ScriptedModals::Exec(QDialog& box) {
  SeenBox s;
  s.kind = QString::fromLatin1(box.metaObject()->className());
  s.title = box.windowTitle();
  if (const auto* message = qobject_cast<QMessageBox*>(&box)) s.text = message->text();
  if (auto* files = qobject_cast<QFileDialog*>(&box)) {
    s.nameFilters = files->nameFilters();
    if (const auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
      s.presetName = name->text();
    }
  }
  seen.push_back(s);
  if (answer) {
    const int result = answer(box, s);
    if (result != kDefault) return result;
  }
  if (qobject_cast<QMessageBox*>(&box)) return QMessageBox::Ok;
  if (s.kind == QLatin1String("zorva::CAboutDlg")) return QDialog::Accepted;
  return QDialog::Rejected;
}

QStringList ScriptedModals::kinds() const {
  QStringList out;
  for (const SeenBox& s : seen) out << s.kind;
  return out;
}

TestRom& TestRom::Bytes(std::initializer_list<uint8_t> bytes) {
  for (uint8_t b : bytes) image_[pc_++] = b;
  return *this;
}

TestRom& TestRom::Poke(uint16_t address, uint8_t value) {
  return Bytes(
      {0x3E, value, 0x32, static_cast<uint8_t>(address), static_cast<uint8_t>(address >> 8)});
}

TestRom& TestRom::WaitForKey() {
  // IN A,(0xFF) ; CP 0xFF ; JR Z,-6
  return Bytes({0xDB, 0xFF, 0xFE, 0xFF, 0x28, 0xFA});
}

TestRom& TestRom::Scramble(uint8_t value) { return Bytes({0x3E, value, 0xD3, 0xFF}); }

TestRom& TestRom::Spin() { return Bytes({0x18, 0xFE}); }

bool TestRom::Save(const QString& path) const {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  const auto size = static_cast<qint64>(image_.size());
  return file.write(reinterpret_cast<const char*>(image_.data()), size) == size;
}

ScratchDir::ScratchDir() : previous_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }

ScratchDir::~ScratchDir() { QDir::setCurrent(previous_); }

Stepper::Stepper(int deadlineMs) {
  tick_.setInterval(2);
  deadline_.setSingleShot(true);
  deadline_.setInterval(deadlineMs);
  QObject::connect(&tick_, &QTimer::timeout, [this] {
    // One step per tick at most: a step's action may open a nested event loop.
    if (finished()) {
      tick_.stop();
      deadline_.stop();
      return;
    }
    if (busy_) return;  // a step's action is still running, in a nested event loop
    Step& step = steps_[next_];
    if (!step.ready()) return;
    ++next_;
    busy_ = true;
    step.act();
    busy_ = false;
  });
}

Stepper& Stepper::Then(std::function<bool()> ready, std::function<void()> act) {
  steps_.push_back({std::move(ready), std::move(act)});
  return *this;
}

void Stepper::Start(std::function<void()> onTimeout) {
  QObject::connect(&deadline_, &QTimer::timeout, [this, onTimeout] {
    if (finished()) return;
    timedOut_ = true;
    tick_.stop();
    onTimeout();
  });
  tick_.start();
  deadline_.start();
}

}  // namespace zorva::testing
