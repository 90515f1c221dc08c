// The window opens with its controls and closes cleanly.
#include "harness.h"

#include "app/exit_routines.h"
#include "app/startup.h"
#include "platform/platform.h"
#include "window/control_model.h"

#include <QTest>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

void printExitRoutine()
{
    std::printf("EXIT-ROUTINE-RAN\n");
    std::fflush(stdout);
}

} // namespace

class SmokeTest : public QObject {
    Q_OBJECT

private slots:
    void opensWithFiveFilledGroups()
    {
        harness::openMainWindow();
        QVERIFY(harness::widget(WindowSelf)->isVisible());
        QCOMPARE(readText(编辑框1开奖), Text("100"));
        QVERIFY(!readText(编辑框1预选1).empty());
        QCOMPARE(readText(编辑框1中奖1), Text(""));
    }

    void closingEndsWithStatusZeroAndRunsTheExitRoutineOnce()
    {
        const auto result = harness::runChild("close");
        QCOMPARE(result.exitStatus, 0);
        QCOMPARE(result.output.count("EXIT-ROUTINE-RAN"), 1);
    }
};

static const harness::Scenarios scenarios{
    {"close",
     [] {
         harness::openMainWindow();
         addExitRoutine(printExitRoutine);
         QTimer::singleShot(100, [] { harness::widget(WindowSelf)->close(); });
         platform::runMessageLoop();
         endProgram(0);
     }},
};

TAVRELLE_GUI_TEST_MAIN(SmokeTest, scenarios)

#include "smoke_test.moc"
