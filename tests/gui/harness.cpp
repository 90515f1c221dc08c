#include "harness.h"

#include "app/startup.h"
#include "platform/platform.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/qt_window.h"
#include "update/update.h"
#include "window/control_model.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <iostream>

namespace harness {

const Text currentUpdateFile = "最新版本【20200915】";
const Text staleUpdateFile = "最新版本【20200916】";

namespace {

Text servedFile;

Bytes serveFile(const Text&)
{
    return Bytes(servedFile.begin(), servedFile.end());
}

} // namespace

void openMainWindow(const Text& updateFile)
{
    servedFile = updateFile;
    setUpdateFetcher(serveFile);
    ::openMainWindow();
    if (!QTest::qWaitForWindowExposed(qtwindow::mainWindow()))
        std::fprintf(stderr, "the main window was not exposed in time\n");
}

QWidget* widget(ControlId id)
{
    return qtwindow::widget(id);
}

void click(ControlId id)
{
    QWidget* target = widget(id);
    QPoint at = target->rect().center();
    if (auto* tick = qobject_cast<QCheckBox*>(target)) {
        QStyleOptionButton option;
        option.initFrom(tick);
        at = tick->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, tick).center();
    }
    QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, at);
}

void typeInto(ControlId id, const Text& text)
{
    auto* box = qobject_cast<QLineEdit*>(widget(id));
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, toQString(text));
}

bool waitFor(const std::function<bool()>& condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QTest::qSleep(1);
    }
    return true;
}

bool waitForIdle(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    if (!waitFor([] { return readText(按钮1开奖) == "开桨"; }, timeoutMs))
        return false;
    // A stopped run may still finish its draw after the caption came back:
    // idle means the period stays put for a while.
    Text period = readText(透明标签1期数);
    QElapsedTimer steady;
    steady.start();
    while (steady.elapsed() < 150) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QTest::qSleep(1);
        const Text now = readText(透明标签1期数);
        if (now != period) {
            period = now;
            steady.restart();
        }
    }
    return readText(按钮1开奖) == "开桨";
}

ChildResult runChild(const std::string& scenario, int timeoutMs)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--child=") + QString::fromStdString(scenario)});
    ChildResult result;
    if (!child.waitForFinished(timeoutMs)) {
        child.kill();
        child.waitForFinished();
        result.output = child.readAllStandardOutput();
        return result;
    }
    result.output = child.readAllStandardOutput();
    if (child.exitStatus() == QProcess::NormalExit)
        result.exitStatus = child.exitCode();
    return result;
}

void answerFatalReport()
{
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        const Text text = fromDisplayLines(box->text());
        std::printf("TITLE:%s\nICON:%d\nBUTTONS:%d\nTEXT:%s\nEND\n", fromQString(box->windowTitle()).c_str(),
                    static_cast<int>(box->icon()), static_cast<int>(box->buttons().size()), text.c_str());
        std::fflush(stdout);
        box->button(QMessageBox::Ok)->click();
    });
    timer->start(20);
}

int testMain(int argc, char** argv, QObject* tests, const Scenarios& scenarios)
{
    QApplication application(argc, argv);
    if (argc > 1 && std::string(argv[1]).rfind("--child=", 0) == 0) {
        const auto found = scenarios.find(std::string(argv[1]).substr(8));
        if (found == scenarios.end()) {
            std::fprintf(stderr, "no scenario %s\n", argv[1]);
            return 100;
        }
        found->second();
        return 0;
    }
    return QTest::qExec(tests, argc, argv);
}

} // namespace harness
