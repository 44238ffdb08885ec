#include "shell/zorva_app.h"

#include <QByteArray>

#include "shell/zorva_dlg.h"

namespace zorva {
namespace {

// ZORVA_SCREENSHOT=<file> makes the window save a picture of itself there
// every ZORVA_SCREENSHOT_MS milliseconds (default 250), for checks that run
// the real program under a virtual X server.
void EnableScreenshotsFromEnvironment(CZorvaDlg& dlg) {
  const QByteArray path = qgetenv("ZORVA_SCREENSHOT");
  if (path.isEmpty()) return;
  bool ok = false;
  int period = qEnvironmentVariableIntValue("ZORVA_SCREENSHOT_MS", &ok);
  if (!ok || period <= 0) period = 250;
  dlg.EnableScreenshots(QString::fromLocal8Bit(path), period);
}

}  // namespace

CZorvaApp::CZorvaApp(int& argc, char** argv) : app_(argc, argv) {}

int CZorvaApp::InitInstance() {
  CZorvaDlg dlg;
  QApplication::setWindowIcon(dlg.windowIcon());
  EnableScreenshotsFromEnvironment(dlg);
  dlg.exec();
  return 0;
}

}  // namespace zorva
