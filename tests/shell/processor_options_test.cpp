// "Advanced processor options": decimal fields, validation order and focus,
// the locked check box, and what the main window does with the answer.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "shell/commands.h"
#include "shell/processor_options_dlg.h"
#include "shell/zorva_dlg.h"
#include "shell_test_support.h"

namespace zorva {

using testing::ScriptedModals;

class ProcessorOptionsTest : public QObject {
  Q_OBJECT

 private slots:
  void parseAddress_data();
  void parseAddress();
  void opensOnOkWithTheTemplatesTabOrder();
  void okValidatesEndThenStart_data();
  void okValidatesEndThenStart();
  void lockedCheckBoxPassesThrough();
  void okMovesPcAndCancelChangesNothing();
};

void ProcessorOptionsTest::parseAddress_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("value");  // -1: refused
  QTest::newRow("49152") << "49152" << 49152;
  QTest::newRow("65535") << "65535" << 65535;
  QTest::newRow("blanks around") << " 100 " << 100;
  QTest::newRow("65536") << "65536" << -1;
  QTest::newRow("overflows 32 bits") << "4294967296" << -1;
  QTest::newRow("hex") << "C000" << -1;
  QTest::newRow("negative") << "-1" << -1;
  QTest::newRow("empty") << "" << -1;
  QTest::newRow("inner blank") << "1 2" << -1;
  QTest::newRow("Arabic-Indic digits") << QString::fromUtf8("\u0661\u0662") << -1;
}

void ProcessorOptionsTest::parseAddress() {
  QFETCH(QString, text);
  QFETCH(int, value);
  const auto parsed = ParseAddress(text);
  QCOMPARE(parsed.has_value() ? int(*parsed) : -1, value);
}

void ProcessorOptionsTest::opensOnOkWithTheTemplatesTabOrder() {
  ScriptedModals modals;
  CProcessorOptionsDlg box(modals);
  box.SetRunPoints({.start = 0x0000, .end = 0xFFFF, .showPcSp = false});
  box.show();
  QVERIFY(QTest::qWaitForWindowActive(&box));
  QCOMPARE(box.startEdit()->text(), QStringLiteral("0"));
  QCOMPARE(box.endEdit()->text(), QStringLiteral("65535"));
  QCOMPARE(QApplication::focusWidget(), box.okButton());
  QVERIFY(box.okButton()->isDefault());
  QVERIFY(!box.showPcSpBox()->isEnabled());

  const QList<QWidget*> expected = {box.okButton(), box.cancelButton(), box.startEdit(),
                                    box.endEdit(), box.showPcSpBox()};
  QList<QWidget*> chain;  // the Tab stops, from OK round to OK
  QWidget* w = box.okButton();
  do {
    if (w->focusPolicy() & Qt::TabFocus) chain << w;
    w = w->nextInFocusChain();
  } while (w != box.okButton() && chain.size() < 20);
  QCOMPARE(chain, expected);
  // Tab passes over the disabled check box back to OK.
  for (QWidget* next : {expected[1], expected[2], expected[3], expected[0]}) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), next);
  }
}

void ProcessorOptionsTest::okValidatesEndThenStart_data() {
  QTest::addColumn<QString>("start");
  QTest::addColumn<QString>("end");
  QTest::addColumn<QString>("badField");  // empty: accepted
  QTest::newRow("49152 and 65535") << "49152"
                                   << "65535"
                                   << "";
  QTest::newRow("start C000") << "C000"
                              << "65535"
                              << "startAddress";
  QTest::newRow("end 65536") << "0"
                             << "65536"
                             << "endAddress";
  QTest::newRow("both bad: end first") << "C000"
                                       << "70000"
                                       << "endAddress";
}

void ProcessorOptionsTest::okValidatesEndThenStart() {
  QFETCH(QString, start);
  QFETCH(QString, end);
  QFETCH(QString, badField);
  ScriptedModals modals;
  CProcessorOptionsDlg box(modals);
  box.show();
  QVERIFY(QTest::qWaitForWindowExposed(&box));
  box.startEdit()->setText(start);
  box.endEdit()->setText(end);
  QTest::mouseClick(box.okButton(), Qt::LeftButton);

  if (badField.isEmpty()) {
    QCOMPARE(box.result(), int(QDialog::Accepted));
    QVERIFY(modals.seen.empty());
    QCOMPARE(box.runPoints().start, ParseAddress(start).value());
    QCOMPARE(box.runPoints().end, ParseAddress(end).value());
    return;
  }
  QVERIFY(box.isVisible());
  QCOMPARE(modals.kinds(), QStringList{QStringLiteral("QMessageBox")});
  QVERIFY(modals.seen[0].text.contains(QStringLiteral("65535")));
  auto* field = box.findChild<QLineEdit*>(badField);
  QCOMPARE(box.focusWidget(), field);
  QCOMPARE(field->selectedText(), field->text());
}

void ProcessorOptionsTest::lockedCheckBoxPassesThrough() {
  for (bool checked : {false, true}) {
    ScriptedModals modals;
    CProcessorOptionsDlg box(modals);
    box.SetRunPoints({.start = 1, .end = 2, .showPcSp = checked});
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QTest::mouseClick(box.showPcSpBox(), Qt::LeftButton);
    box.accept();
    QCOMPARE(box.runPoints().showPcSp, checked);
  }
}

// The main window's "Advanced...": the dialog opens on the run points; OK
// applies the new ones and moves PC at once, Cancel after editing changes nothing.
void ProcessorOptionsTest::okMovesPcAndCancelChangesNothing() {
  ScriptedModals modals;
  CZorvaDlg dlg;
  dlg.SetModalRunner(modals);
  Emulator& emu = dlg.emulator();
  emu.InitMachine();
  emu.OnAdvanced({.start = 0x0100, .end = 0x0200, .showPcSp = false});
  QString shown;
  bool ok = true;
  modals.answer = [&](QDialog& box, const testing::SeenBox&) {
    auto& options = static_cast<CProcessorOptionsDlg&>(box);
    shown = options.startEdit()->text() + ' ' + options.endEdit()->text();
    options.startEdit()->setText(QStringLiteral("49152"));
    options.endEdit()->setText(QStringLiteral("49200"));
    ok ? options.accept() : options.reject();
    return options.result();
  };

  ok = false;
  dlg.OnCommand(cmd::kAdvanced);
  QCOMPARE(shown, QStringLiteral("256 512"));
  QCOMPARE(emu.runPoints().start, uint16_t{0x0100});
  QCOMPARE(emu.runPoints().end, uint16_t{0x0200});
  QCOMPARE(emu.registers().PC, uint16_t{0x0100});

  ok = true;
  dlg.OnCommand(cmd::kAdvanced);
  QCOMPARE(emu.runPoints().start, uint16_t{0xC000});
  QCOMPARE(emu.runPoints().end, uint16_t{49200});
  QCOMPARE(emu.registers().PC, uint16_t{0xC000});
}

}  // namespace zorva

QTEST_MAIN(zorva::ProcessorOptionsTest)
#include "processor_options_test.moc"
