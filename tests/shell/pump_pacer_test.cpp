// The run loop's look at the event queue: about once per target interval
// whatever the instruction rate, and one odd interval only nudges the budget.
#include "shell/pump_pacer.h"

#include <QtTest>

namespace zorva {

class PumpPacerTest : public QObject {
  Q_OBJECT

 private slots:
  void settlesOnTheTargetAndOnlyNudges();
};

// Lets `looks` budgets run at `ns` nanoseconds per instruction.
uint32_t Settle(PumpPacer& pacer, qint64 ns, int looks = 30) {
  for (int i = 0; i < looks; ++i) pacer.Next(std::chrono::nanoseconds(pacer.budget() * ns));
  return pacer.budget();
}

void PumpPacerTest::settlesOnTheTargetAndOnlyNudges() {
  const qint64 target = PumpPacer::kTarget.count();
  // Nanoseconds per instruction: a fast core, tracing, slower than the target
  // (one at a time), and too fast to measure (capped).
  for (const auto& [ns, expected] : {std::pair<qint64, qint64>{2, target / 2},
                                     {3000, target / 3000},
                                     {5'000'000, 1},
                                     {0, PumpPacer::kMaxBudget}}) {
    PumpPacer pacer;
    const qint64 budget = Settle(pacer, ns);
    QVERIFY2(qAbs(budget - expected) <= expected / 20, qPrintable(QString::number(budget)));
  }
  PumpPacer pacer;
  const uint32_t settled = Settle(pacer, 10);
  // A second lost to something else, such as a message box opened by an instruction.
  QCOMPARE(pacer.Next(std::chrono::seconds(1)), settled / PumpPacer::kMaxStep);
  QCOMPARE(Settle(pacer, 10, 3), settled);
}

}  // namespace zorva

QTEST_APPLESS_MAIN(zorva::PumpPacerTest)
#include "pump_pacer_test.moc"
