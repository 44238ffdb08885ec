// Every modal box the program opens (message boxes, file dialogs, the About
// box, the run-point dialog) is run through a ModalRunner owned by whoever
// builds the main window. The program's runner simply executes the box; a test
// installs its own to look at the box and answer it without a human.
#pragma once

#include <QMessageBox>
#include <QString>

class QDialog;
class QWidget;

namespace zorva {

class ModalRunner {
 public:
  virtual ~ModalRunner() = default;
  // Shows `box` modally and returns its result, as QDialog::exec() does.
  virtual int Exec(QDialog& box);
};

// The program's message box: `text`, an OK button and `icon`, captioned with
// the program file's name.
void RunMessageBox(ModalRunner& modals, QWidget* parent, const QString& text,
                   QMessageBox::Icon icon = QMessageBox::NoIcon);

// The caption of every message box: the program file's name.
QString ProgramFileName();

}  // namespace zorva
