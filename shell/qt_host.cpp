#include "shell/qt_host.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

#include "shell/modal_runner.h"
#include "shell/zorva_dlg.h"

namespace zorva {
namespace {

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// "All Files (*.*)" means every file to Windows; to Qt's dialog "*.*" would
// hide the many Linux files without a dot in their name.
QString NameFilter(const FileType& type) {
  if (type.pattern == "*.*") return QStringLiteral("All Files (*)");
  return ToQString(type.label);
}

}  // namespace

void QtHost::ShowMessage(std::string_view text, Icon icon) {
  RunMessageBox(dlg_.modals(), &dlg_, ToQString(text),
                icon == Icon::Information ? QMessageBox::Information : QMessageBox::NoIcon);
}

void QtHost::SetCaption(std::string_view text) { dlg_.SetCaption(ToQString(text)); }

std::optional<std::string> QtHost::ChooseFile(std::span<const FileType> types,
                                              std::string_view presetName) {
  // A run that carries on after the window has ended (its tail loading a
  // cartridge) must not bring up a dialog nobody asked for.
  if (dlg_.ended()) return std::nullopt;
  QStringList filters;
  for (const FileType& type : types) filters << NameFilter(type);
  QFileDialog box(&dlg_);
  box.setOption(QFileDialog::DontUseNativeDialog);
  box.setAcceptMode(QFileDialog::AcceptOpen);
  box.setFileMode(QFileDialog::ExistingFile);
  box.setNameFilters(filters);
  box.selectFile(ToQString(presetName));
  if (dlg_.modals().Exec(box) != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = box.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  return QFile::encodeName(chosen.first()).toStdString();
}

uint32_t QtHost::PumpMessages() {
  const Clock::time_point start = Clock::now();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  const uint32_t budget = pacer_.Next(start - lastPumpEnd_);
  lastPumpEnd_ = Clock::now();
  return budget;
}

void QtHost::PostClose() {
  QMetaObject::invokeMethod(&dlg_, &QWidget::close, Qt::QueuedConnection);
}

void QtHost::CloseWindow() { dlg_.EndDialog(); }

void QtHost::StopScreenTimer() { dlg_.StopScreenTimer(); }

}  // namespace zorva
