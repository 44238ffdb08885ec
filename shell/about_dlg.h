// The About box: the program's name and version, credits, and a picture of
// the emulated computer. Its OK button closes it.
#pragma once

#include <QDialog>

namespace zorva {

class CAboutDlg final : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace zorva
