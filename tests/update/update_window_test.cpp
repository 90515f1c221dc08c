// The version check at start-up, end to end: the real window of a build
// whose update address is a host on 127.0.0.1 that the test starts, and
// which trusts only the authority the test run made. Each start-up runs in
// a child process (the check runs once per process) that prints what the
// window looks like.
#include "harness.h"
#include "test_host.h"

#include "app/startup.h"
#include "platform/platform.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/qt_window.h"
#include "update/update.h"
#include "window/control_model.h"

#include <QCheckBox>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QUrl>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

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

// Where a child of the hostile-host table fetches from: each row has a host
// of its own, so that the rows can run side by side.
constexpr char HostileAddressVariable[] = "TAVRELLE_TEST_HOSTILE_ADDRESS";

// The platform's fetch, as the check makes it, with its time and the peak
// of resident memory above what was resident before it. Prints
// "FETCH ms growthKiB size md5 hex-of-the-first-4096-bytes".
Bytes measuredFetch(const Text& address)
{
    const QByteArray hostile = qgetenv(HostileAddressVariable);
    const Text where = hostile.isEmpty() ? address : hostile.toStdString();
    if (!testhost::resetPeakResident())
        std::fprintf(stderr, "cannot reset the peak of resident memory: it counts from start-up\n");
    const long before = testhost::statusKiB("VmRSS:");
    QElapsedTimer clock;
    clock.start();
    Bytes bytes = platform::httpGetFile(where, updateRequest);
    const qint64 ms = clock.elapsed();
    const long peak = testhost::statusKiB("VmHWM:");
    const QByteArray received(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    std::printf("FETCH %lld %ld %lld %s %s\n", static_cast<long long>(ms), before > 0 && peak > 0 ? peak - before : -1,
                static_cast<long long>(received.size()),
                QCryptographicHash::hash(received, QCryptographicHash::Md5).toHex().constData(),
                received.left(4096).toHex().constData());
    std::fflush(stdout);
    return bytes;
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

    // A file that does not name the current version ends in the panel.
    void anythingElseShowsThePanel_data()
    {
        QTest::addColumn<QByteArray>("file");
        // Hosts that fail in the network or in TLS are in the measured
        // table of hostileHostsEndInTheOutcomeInBoundedTimeAndMemory.
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("file in UTF-8") << QByteArray::fromHex("e69c80e696b0e78988e69cace38090") + "20200915"
                                              + QByteArray::fromHex("e38091");
        QTest::newRow("zero byte before the right marker") << QByteArray("最新版本【20200915\0】", 19);
    }
    void anythingElseShowsThePanel()
    {
        QFETCH(QByteArray, file);
        testhost::Host host;
        QVERIFY(serve(host, file));
        const Lines panel = startUp();
        QCOMPARE(numbers(panel.count("WINDOW") ? panel.at("WINDOW") : QByteArray()).mid(2),
                 (QList<int>{400, 240}));
        QCOMPARE(panel.at("BUTTON6-SHOWN"), QByteArray("1"));
    }

    // Start-up waits for the fetch, so whatever the host does the window
    // must come up within the bound, in the outcome the bytes received
    // decide, and without the host's bytes piling up in memory. One child
    // per host, all side by side; the table of what was measured is printed.
    void hostileHostsEndInTheOutcomeInBoundedTimeAndMemory()
    {
        const QByteArray shipped = readFile(testhost::shippedUpdateFile());
        QVERIFY(shipped.contains("最新版本【20200915】"));
        const qsizetype versionEnd = shipped.indexOf("最新版本【20200915】") + qsizetype(std::strlen("最新版本【20200915】"));
        const QString shippedPath = testhost::shippedUpdateFile();
        const QStringList current{QStringLiteral("--body"), shippedPath};
        const QString cut = QStringLiteral("--cut");

        enum class Received { Exactly, ProperPrefix };
        struct Row {
            const char* name;
            const char* mode; // a server.py mode; empty: nothing listens
            QStringList arguments;
            const char* cert;
            const char* outcome; // "panel" or "full window"
            Received match;
            QByteArray bytes; // what the fetch must return, or be a proper prefix of
        };
        const std::vector<Row> rows{
            {"current file (control)", "file", current, "host", "full window", Received::Exactly, shipped},
            {"nothing listening", "", {}, "", "panel", Received::Exactly, {}},
            {"untrusted certificate", "file", current, "other/host", "panel", Received::Exactly, {}},
            {"wrong host name", "file", current, "wronghost", "panel", Received::Exactly, {}},
            {"accepts, never answers", "silent", {}, "host", "panel", Received::Exactly, {}},
            // What came before the cut counts; at a byte a second the
            // version is not reached before the fetch gives up.
            {"one byte a second", "trickle", current + QStringList{QStringLiteral("--interval"), QStringLiteral("1")},
             "host", "panel", Received::ProperPrefix, shipped.left(versionEnd)},
            {"closes inside the version", "cut", current + QStringList{cut, QString::number(versionEnd - 4)}, "host",
             "panel", Received::Exactly, shipped.left(versionEnd - 4)},
            {"closes after the version", "cut", current + QStringList{cut, QString::number(versionEnd)}, "host",
             "full window", Received::Exactly, shipped.left(versionEnd)},
            {"endless headers", "headers", {}, "host", "panel", Received::Exactly, {}},
            {"1 GiB body", "huge", {}, "host", "panel", Received::Exactly, QByteArray(1 << 20, 'y')},
            {"zero byte first", "file", {QStringLiteral("--body"), testhost::writeFile('\0' + shipped)}, "host",
             "panel", Received::Exactly, '\0' + shipped},
            // Each answer of the loop carries a current file: a redirect's
            // body is not the file.
            {"redirect loop", "redirect", {QStringLiteral("--body"), testhost::writeFile("最新版本【20200915】")},
             "host", "panel", Received::Exactly, {}},
        };

        std::vector<std::unique_ptr<testhost::Host>> hosts;
        for (const Row& row : rows) {
            hosts.push_back(std::make_unique<testhost::Host>());
            if (*row.mode != '\0')
                QVERIFY2(hosts.back()->start(QString::fromLatin1(row.mode), row.arguments, QString::fromLatin1(row.cert)),
                         row.name);
        }
        // The free port is taken after the hosts have theirs.
        std::vector<std::unique_ptr<QProcess>> children;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const QByteArray address = *rows[i].mode != '\0' ? hosts[i]->address()
                                                               : "https://127.0.0.1:"
                                                                     + QByteArray::number(testhost::closedPort())
                                                                     + testhost::UpdatePath;
            auto child = std::make_unique<QProcess>();
            child->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QString::fromLatin1(HostileAddressVariable), QString::fromLatin1(address));
            child->setProcessEnvironment(environment);
            child->start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child=hostile")});
            children.push_back(std::move(child));
        }
        // Every child ends by itself well inside this; one that does not is
        // killed and its row fails.
        QDeadlineTimer deadline(90000);
        std::vector<bool> ended(rows.size(), false);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            ended[i] = children[i]->waitForFinished(int(qMax<qint64>(1, deadline.remainingTime())));
            if (!ended[i]) {
                children[i]->kill();
                children[i]->waitForFinished(10000);
            }
        }

        QStringList failures;
        std::printf("\n%-26s | %-11s | %7s | %7s | %8s | %s\n", "host", "outcome", "start s", "fetch s",
                    "RSS +KiB", "bytes received");
        std::printf("%s\n", QByteArray(26 + 3 + 11 + 3 + 7 + 3 + 7 + 3 + 8 + 3 + 14, '-').constData());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const Row& row = rows[i];
            QProcess& child = *children[i];
            const QByteArray output = child.readAllStandardOutput();
            const Lines window = parse(output);
            QByteArray outcome = "no window";
            if (window.count("WINDOW") && window.count("BUTTON6-SHOWN")) {
                const QList<int> outer = numbers(window.at("WINDOW"));
                const QByteArray shown = window.at("BUTTON6-SHOWN");
                if (outer.mid(2) == QList<int>{400, 240} && shown == "1")
                    outcome = "panel";
                else if (outer.mid(2) == QList<int>{MainWindowWidth, MainWindowHeight} && shown == "0")
                    outcome = "full window";
                else
                    outcome = "other window";
            }
            qint64 fetchMs = -1, startMs = -1, growthKiB = -1, size = -1;
            QByteArray md5, head;
            for (const QByteArray& line : output.split('\n')) {
                const QList<QByteArray> words = line.split(' ');
                if (words.first() == "FETCH" && words.size() >= 5) {
                    fetchMs = words[1].toLongLong();
                    growthKiB = words[2].toLongLong();
                    size = words[3].toLongLong();
                    md5 = words[4];
                    head = QByteArray::fromHex(words.value(5));
                } else if (words.first() == "SHOWN" && words.size() == 2) {
                    startMs = words[1].toLongLong();
                }
            }
            std::printf("%-26s | %-11s | %7.1f | %7.1f | %8lld | %lld\n", row.name, outcome.constData(),
                        double(startMs) / 1000, double(fetchMs) / 1000, static_cast<long long>(growthKiB),
                        static_cast<long long>(size));

            const auto fail = [&](const QString& what) { failures << QString::fromUtf8(row.name) + QStringLiteral(": ") + what; };
            if (!ended[i] || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
                fail(QStringLiteral("the child did not end normally within the deadline"));
            if (outcome != row.outcome)
                fail(QStringLiteral("ended in %1, not %2").arg(QString::fromLatin1(outcome), QString::fromLatin1(row.outcome)));
            // The bound holds from before the window is built until it shows.
            if (startMs < 0 || startMs >= 20000 || fetchMs < 0)
                fail(QStringLiteral("start-up took %1 ms (fetch %2 ms)").arg(startMs).arg(fetchMs));
            if (growthKiB < 0 || growthKiB >= testhost::MemoryBoundKiB)
                fail(QStringLiteral("resident memory grew by %1 KiB during the fetch").arg(growthKiB));
            if (row.match == Received::Exactly) {
                if (size != row.bytes.size()
                    || md5 != QCryptographicHash::hash(row.bytes, QCryptographicHash::Md5).toHex())
                    fail(QStringLiteral("received %1 bytes starting %2").arg(size).arg(QString::fromLatin1(head.left(64).toHex())));
            } else if (size <= 0 || size >= row.bytes.size() || !row.bytes.startsWith(head) || head.size() != size) {
                fail(QStringLiteral("received %1 bytes starting %2, not a part of the file's start")
                         .arg(size)
                         .arg(QString::fromLatin1(head.left(64).toHex())));
            }
        }
        std::printf("(start s: from before the window is built until it shows; fetch s: the HTTPS fetch alone;\n"
                    " RSS +KiB: the peak of resident memory during the fetch above what was resident before it)\n");
        std::fflush(stdout);

        // The 1 GiB host was left when the client had what it keeps: it
        // stopped sending instead of pushing the rest into a closed line.
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (std::strcmp(rows[i].mode, "huge") != 0)
                continue;
            const qint64 taken = hosts[i]->bodyBytesTaken();
            std::printf("The 1 GiB host stopped after sending %lld bytes.\n\n", static_cast<long long>(taken));
            std::fflush(stdout);
            if (taken < 0 || taken >= 50 * 1024 * 1024)
                failures << QStringLiteral("1 GiB body: the host sent %1 bytes before the client went away").arg(taken);
        }
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QStringLiteral("\n"))));
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
    // Start-up with the real check, the fetch measured and sent where the
    // parent's hostile host listens.
    {"hostile",
     [] {
         QElapsedTimer clock;
         clock.start();
         setUpdateFetcher(measuredFetch);
         openMainWindow();
         if (!QTest::qWaitForWindowExposed(qtwindow::mainWindow()))
             std::printf("NOT-EXPOSED\n");
         std::printf("SHOWN %lld\n", static_cast<long long>(clock.elapsed()));
         printWindow();
     }},
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
