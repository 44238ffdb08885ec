#include "shell/zorva_dlg.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QSaveFile>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "machine/keyboard.h"
#include "machine/screen_text.h"
#include "shell/about_dlg.h"
#include "shell/commands.h"
#include "shell/key_mapping.h"
#include "shell/processor_options_dlg.h"
#include "shell/screen_view.h"

namespace zorva {
namespace {

// One row of the menu bar's resource: a command, or a separator (text null).
struct MenuItem {
  const char* text;
  int id;
  bool enabled;
};

constexpr MenuItem kSeparator{nullptr, 0, true};

constexpr MenuItem kFileItems[] = {
    {"Load Machine &Rom....", cmd::kLoadMachineRom, true},
    {"&Load Cartridge image", cmd::kLoadCartridge, true},
    {"&Save Memory image", cmd::kSaveMemoryImage, true},
    kSeparator,
    {"E&xit", cmd::kExit, true},
};
constexpr MenuItem kProcessorItems[] = {
    {"&Start", cmd::kStart, true},
    {"S&top", cmd::kStop, true},
    kSeparator,
    {"S&low", cmd::kSlow, false},
    {"&Medium", cmd::kMedium, false},
    {"&Fast", cmd::kFast, false},
    kSeparator,
    {"&Advanced...", cmd::kAdvanced, true},
    {"&Reset", cmd::kReset, true},
};
constexpr MenuItem kViewItems[] = {
    {"&100%", cmd::kView100, true},
    {"&200%", cmd::kView200, true},
    {"&400%", cmd::kView400, true},
    kSeparator,
    {"&Clear Screen Ram", cmd::kClearScreenRam, true},
};
constexpr MenuItem kDebugItems[] = {
    {"&Log to file.", cmd::kLogToFile, true},
    {"&Stop Logging", cmd::kStopLogging, true},
    kSeparator,
    {"&Test", cmd::kTest, true},
};
constexpr MenuItem kHelpItems[] = {
    {"&About ZORVA", cmd::kAbout, true},
};

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 32, 48, 64, 128}) {
    icon.addFile(QStringLiteral(":/pictures/zorva-%1.png").arg(size), QSize(size, size));
  }
  return icon;
}

}  // namespace

CZorvaDlg::CZorvaDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Zorva"));
  // A window of its own on the task bar, with a close button but no sizing,
  // minimising or maximising: only the view commands change its size.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);
  setWindowIcon(ProgramIcon());
  setFocusPolicy(Qt::StrongFocus);
  setAcceptDrops(true);
  // Under X11 and Wayland, native scan codes are XKB keycodes: physical positions.
  const QString platform = QGuiApplication::platformName();
  xkbScanCodes_ = platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland"));

  menuBar_ = new QMenuBar(this);
  menuBar_->setFocusPolicy(Qt::NoFocus);
  menuBar_->installEventFilter(this);
  client_ = new QWidget(this);
  screen_ = new ScreenView(emu_, client_);
  screen_->move(kScreenLeft, kScreenTop);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setMenuBar(menuBar_);
  layout->addWidget(client_);
  // The window is always exactly as large as its contents.
  layout->setSizeConstraint(QLayout::SetFixedSize);
  BuildMenus();
  OnView(1);  // until start-up chooses 200%

  connect(&screenTimer_, &QTimer::timeout, this, &CZorvaDlg::OnScreenTimer);
  connect(&titleTimer_, &QTimer::timeout, this, &CZorvaDlg::OnTitleTimer);
  closeWatch_ = CloseRequestWatch::Install(*this, [this] { NoteCloseRequest(); });
}

CZorvaDlg::~CZorvaDlg() = default;

void CZorvaDlg::BuildMenus() {
  const auto addItems = [this](QMenu* menu, std::span<const MenuItem> items) {
    for (const MenuItem& item : items) {
      if (item.text == nullptr) {
        menu->addSeparator();
        continue;
      }
      QAction* action = menu->addAction(QString::fromUtf8(item.text));
      action->setData(item.id);
      action->setEnabled(item.enabled);
      // Queued: the menu has closed before the command runs, and Start's run
      // loop never runs inside the menu's own event handling.
      const int id = item.id;
      connect(
          action, &QAction::triggered, this, [this, id] { OnCommand(id); }, Qt::QueuedConnection);
    }
  };
  const auto addMenu = [&](const QString& title, std::span<const MenuItem> items) {
    QMenu* menu = menuBar_->addMenu(title);
    addItems(menu, items);
    connect(menu, &QMenu::aboutToHide, this, &CZorvaDlg::GiveKeyboardBack);
  };
  addMenu(QStringLiteral("&File"), kFileItems);
  addMenu(QStringLiteral("&Processor"), kProcessorItems);
  addMenu(QStringLiteral("&View"), kViewItems);
  // The Debug popup is shown in normal text but cannot be opened: the menu bar
  // holds a plain title that does nothing, and the popup's items stay out of
  // reach of the user. Their commands still work when they arrive.
  debugMenu_ = new QMenu(QStringLiteral("&Debug"), this);
  addItems(debugMenu_, kDebugItems);
  menuBar_->addAction(debugMenu_->title());
  addMenu(QStringLiteral("&Help"), kHelpItems);
}

// Escape in a menu closes it but leaves the menu bar holding the keyboard, and
// so does Alt pressed and released on its own; nothing shows it, and typed
// letters open menus or vanish. The menu bar keeps the keyboard only while one
// of its menus is open (Left and Right move from menu to menu): once none is,
// the keys belong to the machine again.
void CZorvaDlg::GiveKeyboardBack() {
  QTimer::singleShot(0, this, [this] {
    if (QApplication::activePopupWidget() == nullptr && menuBar_->hasFocus()) setFocus();
  });
}

bool CZorvaDlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched == menuBar_ && event->type() == QEvent::FocusIn) GiveKeyboardBack();
  return QDialog::eventFilter(watched, event);
}

int CZorvaDlg::exec() {
  OnInitDialog();
  return QDialog::exec();
}

void CZorvaDlg::OnInitDialog() {
  if (initialised_) return;
  initialised_ = true;
  // Qt cannot add items to the window manager's window menu, so About lives
  // in the Help menu only.
  OnAbout();
  emu_.InitMachine();
  OnView(2);
  emu_.LoadStartupRom();  // reports a missing ROM, then offers the ROM dialog
  screenTimer_.start(kScreenPeriodMs);
  titleTimer_.start(kTitlePeriodMs);
  PostCommand(cmd::kStart);
}

void CZorvaDlg::OnCommand(int id) {
  if (ended_) return;
  switch (id) {
    case cmd::kLoadMachineRom: emu_.OnLoadMachineRom(); break;
    case cmd::kLoadCartridge: emu_.OnLoadCartridge(); break;
    case cmd::kExit: emu_.OnExit(); break;
    case cmd::kStart: emu_.OnStart(); break;
    case cmd::kStop: emu_.OnStop(); break;
    case cmd::kAdvanced: OnAdvanced(); break;
    case cmd::kReset: emu_.OnReset(); break;
    case cmd::kView100: OnView(1); break;
    case cmd::kView200: OnView(2); break;
    case cmd::kView400: OnView(3); break;  // "400%" has always meant three times
    case cmd::kClearScreenRam: emu_.OnClearScreenRam(); break;
    case cmd::kLogToFile: emu_.OnLogToFile(); break;
    case cmd::kStopLogging: emu_.OnStopLogging(); break;
    case cmd::kTest: OnTest(); break;
    case cmd::kAbout: OnAbout(); break;
    default: break;  // Save Memory image and the speed items have no handler
  }
}

void CZorvaDlg::PostCommand(int id) {
  QMetaObject::invokeMethod(
      this, [this, id] { OnCommand(id); }, Qt::QueuedConnection);
}

// --- Timers, size, screen ---------------------------------------------------

void CZorvaDlg::OnScreenTimer() {
  if (emu_.closing()) return;
  screen_->repaint();
}

void CZorvaDlg::OnTitleTimer() {
  if (emu_.closing()) return;
  emu_.RequestFullRedraw();
  SetCaption(QString::fromStdString(emu_.titleText()));
}

void CZorvaDlg::SetCaption(const QString& text) {
  // Qt shows the program's name in place of an empty caption; a space looks empty.
  setWindowTitle(text.isEmpty() ? QStringLiteral(" ") : text);
}

void CZorvaDlg::OnView(int zoom) {
  screen_->SetZoom(zoom);
  client_->setFixedSize(kScreenLeft + Screen::kWidth * zoom + kMarginRight,
                        kScreenTop + Screen::kHeight * zoom + kMarginBottom);
  layout()->activate();  // the new size now, not at the next layout pass
  KeepOnScreen();
  raise();
  repaint();
  emu_.RequestFullRedraw();
}

// A window grown by a view command stays within the screen's free area: it
// moves back from the right and bottom edges as far as it must, but never past
// the left and top ones, where its caption and menus are.
void CZorvaDlg::KeepOnScreen() {
  const QScreen* display = QWidget::screen();
  if (!isVisible() || display == nullptr) return;  // placed when it is shown
  const QRect area = display->availableGeometry();
  const QRect frame = frameGeometry();
  const QPoint to(std::max(area.left(), std::min(frame.left(), area.right() - frame.width() + 1)),
                  std::max(area.top(), std::min(frame.top(), area.bottom() - frame.height() + 1)));
  if (to != frame.topLeft()) move(to);
}

void CZorvaDlg::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  emu_.RequestFullRedraw();
  update();
}

// --- Boxes --------------------------------------------------------------------

void CZorvaDlg::OnAbout() {
  CAboutDlg box(this);
  const QScreen* display = QWidget::screen();
  if (!isVisible() && display != nullptr) {
    // At start-up Qt would centre the box over the hidden window, which sits
    // in the screen's corner: centre it on the screen instead.
    box.adjustSize();
    box.move(display->availableGeometry().center() - box.rect().center());
  }
  boxes_.Exec(box);
  emu_.RequestFullRedraw();
}

void CZorvaDlg::OnTest() {
  RunMessageBox(boxes_, this, tr("Reserved for developers use."));
  emu_.RequestFullRedraw();
}

void CZorvaDlg::OnAdvanced() {
  CProcessorOptionsDlg box(boxes_, this);
  box.SetRunPoints(emu_.runPoints());
  emu_.RequestFullRedraw();
  if (boxes_.Exec(box) == QDialog::Accepted) emu_.OnAdvanced(box.runPoints());
}

int CZorvaDlg::Boxes::Exec(QDialog& box) {
  ++open_;
  const int result = dlg_.modals_->Exec(box);
  if (--open_ == 0 && std::exchange(dlg_.closeAfterBoxes_, false) && !dlg_.ended_) {
    dlg_.emu_.OnClose();  // a run in progress stops after this instruction
  }
  return result;
}

// --- Closing ------------------------------------------------------------------

void CZorvaDlg::closeEvent(QCloseEvent* event) {
  // The emulator decides: at once when no run is in progress, else after the run loop ends.
  event->ignore();
  if (!ended_) emu_.OnClose();
  if (ended_) event->accept();
}

void CZorvaDlg::NoteCloseRequest() {
  if (boxes_.open()) closeAfterBoxes_ = true;
}

void CZorvaDlg::EndDialog() {
  ended_ = true;
  screenTimer_.stop();
  titleTimer_.stop();
  done(QDialog::Rejected);
}

// --- Keys ---------------------------------------------------------------------

unsigned CZorvaDlg::MapKey(const QKeyEvent& event) const {
  return MapHostKey({.qtKey = event.key(),
                     .nativeScanCode = event.nativeScanCode(),
                     .keypad = event.modifiers().testFlag(Qt::KeypadModifier)},
                    xkbScanCodes_);
}

quint64 CZorvaDlg::KeyId(const QKeyEvent& event, unsigned virtualKey) {
  if (event.nativeScanCode() != 0) return event.nativeScanCode();
  return (quint64{1} << 32) | virtualKey;
}

void CZorvaDlg::keyPressEvent(QKeyEvent* event) {
  // Insert has no place in the matrix: with Shift or Ctrl it pastes or copies.
  const Qt::KeyboardModifiers modifiers =
      event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  if (event->key() == Qt::Key_Insert && modifiers == Qt::ShiftModifier) {
    if (!event->isAutoRepeat()) PasteText(QGuiApplication::clipboard()->text());
    return;
  }
  if (event->key() == Qt::Key_Insert && modifiers == Qt::ControlModifier) {
    CopyScreen();
    return;
  }
  const unsigned code = MapKey(*event);
  if (code == 0 || IsSystemKey(code, event->modifiers().testFlag(Qt::AltModifier))) {
    QWidget::keyPressEvent(event);  // not the machine's: left to Qt and the menu bar
    return;
  }
  if (emu_.typing()) {
    // Shift or Ctrl alone may be the start of a paste or a copy, and the
    // typing holds its own: neither reaches the machine. Any other key the
    // user presses ends the typing and is theirs.
    if (code == vk::kShift || code == vk::kControl || event->isAutoRepeat()) return;
    emu_.CancelTyping();
  }
  heldKeys_.insert(KeyId(*event, code), code);
  // Enter is the dialog's OK and Escape its Cancel; only their releases are keys.
  if (code == vk::kReturn) {
    emu_.OnOK();
  } else if (code != vk::kEscape) {
    emu_.OnKeyDown(code);  // auto-repeats too: a held key keeps pressing
  }
}

void CZorvaDlg::keyReleaseEvent(QKeyEvent* event) {
  if (event->isAutoRepeat()) return;  // still held
  const unsigned mapped = MapKey(*event);
  const auto held = heldKeys_.find(KeyId(*event, mapped));
  if (held != heldKeys_.end()) {
    const unsigned code = held.value();
    heldKeys_.erase(held);
    emu_.OnKeyUp(code);
    return;
  }
  // A key pressed before the window had the focus: released all the same,
  // unless typed text is using the keys now.
  if (emu_.typing()) return;
  if (mapped != 0 && !IsSystemKey(mapped, event->modifiers().testFlag(Qt::AltModifier))) {
    emu_.OnKeyUp(mapped);
    return;
  }
  QWidget::keyReleaseEvent(event);
}

void CZorvaDlg::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && !isActiveWindow()) ReleaseHeldKeys();
  // Minimising and restoring change the window's state, not its size, so no
  // resize event comes: redraw as after any other size change.
  if (event->type() == QEvent::WindowStateChange) {
    emu_.RequestFullRedraw();
    update();
  }
}

void CZorvaDlg::focusOutEvent(QFocusEvent* event) {
  QDialog::focusOutEvent(event);
  // Another window, a menu or any other popup has taken the keyboard.
  ReleaseHeldKeys();
}

// Keys released while something else has the keyboard never come back here:
// let go of them now, or the machine would see them held for good.
void CZorvaDlg::ReleaseHeldKeys() {
  for (const unsigned code : std::as_const(heldKeys_)) emu_.OnKeyUp(code);
  heldKeys_.clear();
}

// --- Text in and out ----------------------------------------------------------

void CZorvaDlg::PasteText(const QString& text) {
  if (text.isEmpty()) return;
  // The typing starts from a keyboard with nothing held, Shift of Shift+Insert
  // included.
  ReleaseHeldKeys();
  emu_.TypeText(text.toStdString());
}

void CZorvaDlg::CopyScreen() {
  QGuiApplication::clipboard()->setText(QString::fromStdString(ScreenText(emu_.memory())));
}

void CZorvaDlg::mousePressEvent(QMouseEvent* event) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  const QPoint onScreen = screen_->mapFrom(this, event->position().toPoint());
  if (event->button() == Qt::MiddleButton && clipboard->supportsSelection() &&
      screen_->rect().contains(onScreen)) {
    PasteText(clipboard->text(QClipboard::Selection));
    return;
  }
  QDialog::mousePressEvent(event);
}

void CZorvaDlg::dragEnterEvent(QDragEnterEvent* event) {
  const QMimeData* data = event->mimeData();
  const bool files =
      data->hasUrls() && std::any_of(data->urls().begin(), data->urls().end(),
                                     [](const QUrl& url) { return url.isLocalFile(); });
  if (files || data->hasText()) event->acceptProposedAction();
}

void CZorvaDlg::dropEvent(QDropEvent* event) {
  const QMimeData* data = event->mimeData();
  std::vector<std::string> paths;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) paths.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
  }
  const QString text = paths.empty() ? data->text() : QString();
  event->acceptProposedAction();
  // Carried out once the drop is over: a message box must not hold up the
  // program the files came from, which waits for the drop to finish.
  QMetaObject::invokeMethod(
      this,
      [this, paths = std::move(paths), text] {
        if (ended_) return;
        ReleaseHeldKeys();
        if (paths.empty()) PasteText(text);
        else emu_.OnDropFiles(paths);
      },
      Qt::QueuedConnection);
}

// --- Test aid -----------------------------------------------------------------

void CZorvaDlg::EnableScreenshots(const QString& path, int periodMs) {
  screenshotPath_ = path;
  if (screenshotTimer_ == nullptr) {
    screenshotTimer_ = new QTimer(this);
    connect(screenshotTimer_, &QTimer::timeout, this, &CZorvaDlg::SaveScreenshot);
  }
  screenshotTimer_->start(periodMs);
}

void CZorvaDlg::SaveScreenshot() {
  if (!isVisible()) return;  // nothing to show before start-up or after the end
  // Written whole or not at all: a reader never sees half a picture.
  QSaveFile file(screenshotPath_);
  if (!file.open(QIODevice::WriteOnly)) return;
  const QByteArray format = QFileInfo(screenshotPath_).suffix().toLatin1();
  if (grab().toImage().save(&file, format.isEmpty() ? "png" : format.constData())) file.commit();
}

}  // namespace zorva
