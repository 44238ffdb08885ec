// The run loop's look at the event queue: about once per target interval
// whatever the instruction rate, and one odd interval only nudges it.
#include "shell/pump_pacer.h"

#include <QtTest>
#include <chrono>

namespace zorva {

using std::chrono::nanoseconds;

class PumpPacerTest : public QObject {
  Q_OBJECT

 private slots:
  void convergesOnTheTarget_data();
  void convergesOnTheTarget();
  void oneOddIntervalOnlyNudges();
};

// Runs `looks` looks of a machine doing one instruction per `ns`.
uint32_t Settle(PumpPacer& pacer, qint64 ns, int looks = 30) {
  uint32_t budget = pacer.budget();
  for (int i = 0; i < looks; ++i) budget = pacer.Next(nanoseconds(budget * ns));
  return budget;
}

void PumpPacerTest::convergesOnTheTarget_data() {
  QTest::addColumn<qint64>("nsPerInstruction");
  QTest::addColumn<qint64>("expected");
  const qint64 target = PumpPacer::kTarget.count();
  QTest::newRow("fast core, 2 ns") << qint64(2) << target / 2;
  QTest::newRow("tracing, 3 us") << qint64(3000) << target / 3000;
  QTest::newRow("slower than the target: one at a time") << qint64(5'000'000) << qint64(1);
  QTest::newRow("too fast to measure: capped") << qint64(0) << qint64(PumpPacer::kMaxBudget);
}

void PumpPacerTest::convergesOnTheTarget() {
  QFETCH(qint64, nsPerInstruction);
  QFETCH(qint64, expected);
  PumpPacer pacer;
  const uint32_t budget = Settle(pacer, nsPerInstruction);
  QVERIFY2(qAbs(qint64(budget) - expected) <= expected / 20,
           qPrintable(QStringLiteral("budget %1, expected about %2").arg(budget).arg(expected)));
}

void PumpPacerTest::oneOddIntervalOnlyNudges() {
  PumpPacer pacer;
  const uint32_t settled = Settle(pacer, 10);
  // A second lost to something else, such as a message box opened by an instruction.
  QCOMPARE(pacer.Next(std::chrono::seconds(1)), settled / PumpPacer::kMaxStep);
  QCOMPARE(Settle(pacer, 10, 3), settled);
}

}  // namespace zorva

QTEST_APPLESS_MAIN(zorva::PumpPacerTest)
#include "pump_pacer_test.moc"
