// The main window: a modal dialog that owns the emulated machine (through the
// Emulator) and is its user interface: the menu bar, the screen, the keyboard,
// the two timers that refresh the screen and the caption, and closing.
//
// Start-up (OnInitDialog, run by exec() before the modal loop): the About box,
// the machine's set-up, the 200% view, the system ROM, the timers, and a posted
// Start, so the processor runs as soon as the modal loop picks it up. The run
// loop then holds the thread inside the Start command and lets Qt dispatch
// events between instructions (QtHost::PumpMessages); everything else the
// window does runs from there.
#pragma once

#include <QDialog>
#include <QHash>
#include <QString>
#include <QTimer>
#include <memory>

#include "run/emulator.h"
#include "shell/close_request_watch.h"
#include "shell/modal_runner.h"
#include "shell/qt_host.h"

class QMenu;
class QMenuBar;

namespace zorva {

class ScreenView;

class CZorvaDlg final : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kScreenPeriodMs = 133;
  static constexpr int kTitlePeriodMs = 1000;
  // The screen's place in the client area below the menu bar, and the margins
  // to its right and below it.
  static constexpr int kScreenLeft = 10;
  static constexpr int kScreenTop = 23;
  static constexpr int kMarginRight = 14;
  static constexpr int kMarginBottom = 13;

  explicit CZorvaDlg(QWidget* parent = nullptr);
  ~CZorvaDlg() override;

  // Where modal boxes go from now on; `modals` must outlive their use.
  void SetModalRunner(ModalRunner& modals) { modals_ = &modals; }
  // Every modal box of the window goes through here, to the runner above.
  ModalRunner& modals() { return boxes_; }

  // A close request from the window system, seen before Qt decides whether
  // the window gets it. Qt drops it while a modal box is open; it is then kept
  // and carried out as soon as the last box has closed.
  void NoteCloseRequest();

  // Runs OnInitDialog (once), then the modal loop; returns when the window has ended.
  int exec() override;
  void OnInitDialog();

  // Carries out a menu command (shell/commands.h) now, or from the event queue.
  void OnCommand(int id);
  void PostCommand(int id);

  // The two timers' work, also callable directly.
  void OnScreenTimer();
  void OnTitleTimer();

  // For the host: the window's end, and the screen timer's.
  void EndDialog();
  void StopScreenTimer() { screenTimer_.stop(); }
  bool ended() const { return ended_; }

  // The caption; an empty one stays empty rather than showing the program's name.
  void SetCaption(const QString& text);

  // Text in and out: `text` typed on the machine's keyboard (Shift+Insert
  // types the clipboard, a middle click on the screen the X11 selection), and
  // the screen copied to the clipboard as text (Ctrl+Insert).
  void PasteText(const QString& text);
  void CopyScreen();

  // Saves a picture of the window to `path` every `periodMs` (test aid).
  void EnableScreenshots(const QString& path, int periodMs);

  Emulator& emulator() { return emu_; }
  const Emulator& emulator() const { return emu_; }
  QMenuBar* menuBar() const { return menuBar_; }
  // The Debug popup's items; the menu bar shows its title but never opens it.
  QMenu* debugMenu() const { return debugMenu_; }
  QWidget* clientArea() const { return client_; }
  ScreenView* screen() const { return screen_; }

 public slots:
  // Escape is the dialog's Cancel, and Cancel does nothing here: only closing ends the window.
  void reject() override {}

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Tab is a key of the machine, not focus navigation.
  bool focusNextPrevChild(bool) override { return false; }

 private:
  void BuildMenus();
  void OnView(int zoom);
  void KeepOnScreen();
  void GiveKeyboardBack();
  void ReleaseHeldKeys();
  void OnAbout();
  void OnTest();
  void OnAdvanced();
  void SaveScreenshot();
  unsigned MapKey(const QKeyEvent& event) const;
  static quint64 KeyId(const QKeyEvent& event, unsigned virtualKey);

  // Runs the boxes through the installed runner and counts those open.
  class Boxes final : public ModalRunner {
   public:
    explicit Boxes(CZorvaDlg& dlg) : dlg_(dlg) {}
    int Exec(QDialog& box) override;
    bool open() const { return open_ > 0; }

   private:
    CZorvaDlg& dlg_;
    int open_ = 0;
  };

  ModalRunner defaultModals_;
  ModalRunner* modals_ = &defaultModals_;
  Boxes boxes_{*this};
  std::unique_ptr<CloseRequestWatch> closeWatch_;
  bool closeAfterBoxes_ = false;
  QtHost host_{*this};
  Emulator emu_{host_};

  QMenuBar* menuBar_ = nullptr;
  QMenu* debugMenu_ = nullptr;
  QWidget* client_ = nullptr;
  ScreenView* screen_ = nullptr;
  QTimer screenTimer_;
  QTimer titleTimer_;
  QTimer* screenshotTimer_ = nullptr;
  QString screenshotPath_;

  // Keys pressed into the matrix, by scan code (or by virtual key where the
  // platform has no scan codes), so a release undoes what its press did.
  QHash<quint64, unsigned> heldKeys_;
  bool xkbScanCodes_ = false;
  bool initialised_ = false;
  bool ended_ = false;
};

}  // namespace zorva
