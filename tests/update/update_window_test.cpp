// The version check at start-up, end to end: the real window of a build
// whose update address is a host on 127.0.0.1 that the test starts, and
// which trusts only the authority the test run made. Each start-up runs in
// a child process (the check runs once per process) that prints what the
// window looks like.
#include "harness.h"
#include "test_host.h"

#include "app/startup.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/qt_window.h"
#include "update/update.h"
#include "window/control_model.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QFile>
#include <QTest>
#include <QUrl>

#include <cstdio>
#include <map>

namespace {

// Opens the window as the program does, the real fetch included.
void openWithTheRealCheck()
{
    setUpdateFetcher(nullptr);
    openMainWindow();
    if (!QTest::qWaitForWindowExposed(qtwindow::mainWindow()))
        std::printf("NOT-EXPOSED\n");
}

// One line per control: place, size, hidden, enabled, tick, stacking among
// its siblings and, except for the groups' random numbers, its text.
void printWindow()
{
    QWidget* window = qtwindow::mainWindow();
    const QRect outer = window->frameGeometry();
    std::printf("WINDOW %d %d %d %d\n", outer.x(), outer.y(), outer.width(), outer.height());
    for (int id = WindowSelf + 1; id < ControlCount; ++id) {
        const auto control = static_cast<ControlId>(id);
        QWidget* w = qtwindow::widget(control);
        const auto* tick = qobject_cast<QCheckBox*>(w);
        const Text name = controlSpec(control).name;
        const bool random = name.find("预选") != Text::npos;
        std::printf("CONTROL %d %d %d %d %d hidden=%d enabled=%d ticked=%d stack=%d text=%s\n", id, w->x(), w->y(),
                    w->width(), w->height(), w->isHidden(), w->isEnabled(), tick && tick->isChecked(),
                    int(w->parentWidget()->children().indexOf(w)),
                    random ? "-" : QByteArray::fromStdString(readText(control)).toHex().constData());
    }
    std::printf("BUTTON6-SHOWN %d\n", qtwindow::widget(按钮6)->isVisible());
    std::fflush(stdout);
}

class UrlRecorder : public QObject {
    Q_OBJECT
public slots:
    void open(const QUrl& url)
    {
        std::printf("OPENED %s\n", url.toEncoded().constData());
        std::fflush(stdout);
    }
};

using Lines = std::map<QByteArray, QByteArray>; // "WINDOW" or "CONTROL <id>" -> the rest

Lines parse(const QByteArray& output)
{
    Lines lines;
    for (const QByteArray& line : output.split('\n')) {
        const QList<QByteArray> words = line.split(' ');
        if (words.first() == "WINDOW" || words.first() == "BUTTON6-SHOWN")
            lines[words.first()] = line.mid(words.first().size() + 1);
        else if (words.first() == "CONTROL" && words.size() > 2)
            lines["CONTROL " + words[1]] = line.mid(words[0].size() + words[1].size() + 2);
    }
    return lines;
}

QList<int> numbers(const QByteArray& line)
{
    QList<int> values;
    for (const QByteArray& word : line.split(' '))
        values << word.toInt();
    return values;
}

QByteArray panelKey()
{
    return "CONTROL " + QByteArray::number(int(外形框2));
}

// Serves the update file on the port the build's address names.
bool serve(testhost::Host& host, const QByteArray& file, int status = 200, const QString& cert = QStringLiteral("host"))
{
    return host.start(QStringLiteral("file"),
                      {QStringLiteral("--body"), testhost::writeFile(file), QStringLiteral("--status"),
                       QString::number(status)},
                      cert, TAVRELLE_TEST_UPDATE_PORT);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The window a current update file leaves: the reference for the rest.
Lines fullWindow;

Lines startUp(int timeoutMs = 60000)
{
    const auto result = harness::runChild("open", timeoutMs);
    if (result.exitStatus != 0)
        qWarning("child: %s", result.output.constData());
    return parse(result.output);
}

} // namespace

class UpdateWindowTest : public QObject {
    Q_OBJECT

private slots:
    void theShippedFileKeepsTheFullWindow()
    {
        testhost::Host host;
        QVERIFY(serve(host, readFile(testhost::shippedUpdateFile())));
        fullWindow = startUp();
        QVERIFY(fullWindow.count("WINDOW"));
        const QList<int> outer = numbers(fullWindow["WINDOW"]);
        QCOMPARE(outer[2], MainWindowWidth);
        QCOMPARE(outer[3], MainWindowHeight);
        QVERIFY(fullWindow[panelKey()].startsWith("552 328 400 240 hidden=1 "));
        QCOMPARE(fullWindow["BUTTON6-SHOWN"], QByteArray("0"));
        QVERIFY(host.request().startsWith("GET " + QByteArray(testhost::UpdatePath) + " HTTP/1.0\r\n"));
    }

    void aStaleVersionShowsTheDownloadPanelAndNothingElseChanges()
    {
        QVERIFY(!fullWindow.empty());
        testhost::Host host;
        QVERIFY(serve(host, "最新版本【20200916】"));
        Lines panel = startUp();
        QVERIFY(panel.count("WINDOW"));

        // Outer size 400 x 240, top-left corner where the full window opened.
        const QList<int> full = numbers(fullWindow["WINDOW"]);
        QCOMPARE(numbers(panel["WINDOW"]), (QList<int>{full[0], full[1], 400, 240}));
        // The panel at 0,0 with its size, shown, with the button on it.
        QByteArray expectedPanel = fullWindow[panelKey()];
        expectedPanel.replace("552 328 ", "0 0 ").replace("hidden=1", "hidden=0");
        QCOMPARE(panel[panelKey()], expectedPanel);
        QCOMPARE(panel["BUTTON6-SHOWN"], QByteArray("1"));
        // Every other control as the full window has it: place, size, state
        // and stacking.
        for (const auto& [key, line] : fullWindow) {
            if (key == "WINDOW" || key == "BUTTON6-SHOWN" || key == panelKey())
                continue;
            QCOMPARE(panel[key], line);
        }
    }

    // The status is not looked at: only the text counts.
    void anErrorPageNamingTheCurrentVersionKeepsTheFullWindow()
    {
        testhost::Host host;
        QVERIFY(serve(host, "<html><h1>404</h1>最新版本【20200915】</html>", 404));
        const QList<int> outer = numbers(startUp()["WINDOW"]);
        QCOMPARE(outer.mid(2), (QList<int>{MainWindowWidth, MainWindowHeight}));
    }

    // Every way of not reading the current version ends in the panel.
    void anythingElseShowsThePanel_data()
    {
        QTest::addColumn<QString>("mode"); // "none": nothing listens
        QTest::addColumn<QString>("cert");
        QTest::addColumn<QByteArray>("file");
        const QByteArray current = "最新版本【20200915】";
        QTest::newRow("nothing listening") << "none" << "host" << QByteArray();
        QTest::newRow("untrusted certificate") << "file" << "other/host" << current;
        QTest::newRow("certificate for another name") << "file" << "wronghost" << current;
        QTest::newRow("never answers") << "silent" << "host" << QByteArray();
        QTest::newRow("100 MiB body") << "huge" << "host" << QByteArray();
        QTest::newRow("empty file") << "file" << "host" << QByteArray();
        QTest::newRow("file in UTF-8") << "file" << "host" << QByteArray::fromHex("e69c80e696b0e78988e69cace38090")
                                                                 + "20200915" + QByteArray::fromHex("e38091");
        QTest::newRow("zero byte before the right marker")
            << "file" << "host" << QByteArray("最新版本【20200915\0】", 19);
    }
    void anythingElseShowsThePanel()
    {
        QFETCH(QString, mode);
        QFETCH(QString, cert);
        QFETCH(QByteArray, file);
        testhost::Host host;
        if (mode == QLatin1String("file"))
            QVERIFY(serve(host, file, 200, cert));
        else if (mode != QLatin1String("none"))
            QVERIFY(host.start(mode, {}, cert, TAVRELLE_TEST_UPDATE_PORT));
        const Lines panel = startUp();
        QCOMPARE(numbers(panel.count("WINDOW") ? panel.at("WINDOW") : QByteArray()).mid(2),
                 (QList<int>{400, 240}));
        QCOMPARE(panel.at("BUTTON6-SHOWN"), QByteArray("1"));
    }

    // Each click asks the desktop to open the download page and comes back;
    // the window stays as it is.
    void theDownloadButtonOpensThePageEveryTime()
    {
        testhost::Host host;
        QVERIFY(serve(host, "最新版本【20200916】"));
        const auto result = harness::runChild("clicks", 60000);
        QCOMPARE(result.exitStatus, 0);
        const QByteArray expected = "OPENED " + QByteArray::fromStdString(downloadPageAddress);
        QCOMPARE(result.output.count(expected + "\n"), 5);
        QCOMPARE(result.output.count("OPENED "), 5);
        const QList<QByteArray> halves = result.output.split('#');
        QCOMPARE(halves.size(), 2);
        QCOMPARE(parse(halves[1]), parse(halves[0]));
    }
};

static const harness::Scenarios scenarios{
    {"open",
     [] {
         openWithTheRealCheck();
         printWindow();
     }},
    {"clicks",
     [] {
         openWithTheRealCheck();
         printWindow();
         std::printf("#\n");
         UrlRecorder recorder;
         QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
         for (int i = 0; i < 5; ++i)
             harness::click(按钮6);
         QCoreApplication::processEvents();
         QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
         printWindow();
     }},
};

TAVRELLE_GUI_TEST_MAIN(UpdateWindowTest, scenarios)

#include "update_window_test.moc"
