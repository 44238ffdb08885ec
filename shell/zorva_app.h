// The application: builds the main window, runs it modally, and ends the
// program when it returns. The main window is the only window the program
// has; there is no application event loop beyond the dialog's own.
#pragma once

#include <QApplication>

namespace zorva {

class CZorvaApp {
 public:
  CZorvaApp(int& argc, char** argv);

  // Runs the main window; returns the program's exit status.
  int InitInstance();

 private:
  QApplication app_;
};

}  // namespace zorva
