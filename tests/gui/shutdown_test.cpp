// Closing the window while a five-group run draws ends the process cleanly:
// status 0, no report, no hang, whatever moment the close falls on.
#include "harness.h"

#include "app/exit_routines.h"
#include "app/globals.h"
#include "app/startup.h"
#include "platform/platform.h"

#include <QKeyEvent>
#include <QRandomGenerator>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Runs after the window is gone and the workers are held: tells the parent
// how far the run had come.
void printDrawCount()
{
    std::printf("DRAWS:%d\n", static_cast<int>(drawCount));
    std::fflush(stdout);
}

// The close lands at a different moment of the run in every trial.
void closeDuringRun(bool byEscape)
{
    harness::openMainWindow();
    harness::answerFatalReport();
    addExitRoutine(printDrawCount);
    harness::typeInto(编辑框1开奖, "100000");
    QTimer::singleShot(0, [] { harness::click(按钮1开奖); });
    const int delay = 5 + static_cast<int>(QRandomGenerator::system()->bounded(300));
    QTimer::singleShot(delay, [byEscape] {
        QWidget* window = harness::widget(WindowSelf);
        if (byEscape)
            QTest::keyClick(window, Qt::Key_Escape);
        else
            window->windowHandle()->close(); // what the close box does
    });
    platform::runMessageLoop();
    endProgram(0);
}

} // namespace

class ShutdownTest : public QObject {
    Q_OBJECT

private slots:
    void closesDuringRunsEndWithStatusZero_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::newRow("Esc") << QStringLiteral("close-by-escape");
        QTest::newRow("close box") << QStringLiteral("close-by-close-box");
    }

    void closesDuringRunsEndWithStatusZero()
    {
        QFETCH(QString, scenario);
        int closedMidRun = 0;
        for (int trial = 0; trial < 25; ++trial) {
            const auto result = harness::runChild(scenario.toStdString(), 20000);
            QVERIFY2(result.exitStatus == 0,
                     qPrintable(QStringLiteral("trial %1 ended with %2").arg(trial).arg(result.exitStatus)));
            QVERIFY2(!result.output.contains("TITLE:"), result.output.constData());
            QVERIFY2(result.output.contains("DRAWS:"), "the exit routine ran");
            if (!result.output.contains("DRAWS:0\n"))
                ++closedMidRun;
        }
        // Most closes must really fall into a run, or the test proves nothing.
        QVERIFY(closedMidRun >= 15);
    }
};

static const harness::Scenarios scenarios{
    {"close-by-escape", [] { closeDuringRun(true); }},
    {"close-by-close-box", [] { closeDuringRun(false); }},
};

TAVRELLE_GUI_TEST_MAIN(ShutdownTest, scenarios)

#include "shutdown_test.moc"
