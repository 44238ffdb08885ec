#include "shell/modal_runner.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFileInfo>

namespace zorva {

int ModalRunner::Exec(QDialog& box) { return box.exec(); }

QString ProgramFileName() { return QFileInfo(QCoreApplication::applicationFilePath()).fileName(); }

void RunMessageBox(ModalRunner& modals, QWidget* parent, const QString& text,
                   QMessageBox::Icon icon) {
  QMessageBox box(icon, ProgramFileName(), text, QMessageBox::Ok, parent);
  modals.Exec(box);
}

}  // namespace zorva
