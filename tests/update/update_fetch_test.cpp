// platform::httpGetFile against real TLS hosts on 127.0.0.1: what it sends,
// what it returns, and that it ends in bounded time and memory whatever the
// host does. This build trusts only the authority the test run made.
#include "test_host.h"

#include "platform/platform.h"
#include "update/update.h"

#include <QElapsedTimer>
#include <QFile>
#include <QScopeGuard>
#include <QTest>

#include <dlfcn.h>
#include <netdb.h>
#include <unistd.h>

#include <cstring>
#include <future>

namespace {

constexpr char HungHost[] = "hung-lookup.invalid";

} // namespace

// A name lookup that never comes back for HungHost (a resolver that hangs);
// every other name goes to the C library.
extern "C" int getaddrinfo(const char* node, const char* service, const addrinfo* hints, addrinfo** result)
{
    if (node != nullptr && std::strcmp(node, HungHost) == 0) {
        sleep(45); // well past the bound, so a fetch that waits for it fails
        return EAI_AGAIN;
    }
    using Lookup = int (*)(const char*, const char*, const addrinfo*, addrinfo**);
    static const auto real = reinterpret_cast<Lookup>(dlsym(RTLD_NEXT, "getaddrinfo"));
    return real(node, service, hints, result);
}

namespace {

QByteArray fetch(const QByteArray& address)
{
    const Bytes bytes = platform::httpGetFile(address.toStdString(), updateRequest);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Timed {
    QByteArray body;
    qint64 ms;
};

Timed timedFetch(const QByteArray& address)
{
    QElapsedTimer clock;
    clock.start();
    QByteArray body = fetch(address);
    return {body, clock.elapsed()};
}

// Start-up waits for the fetch; this is the most it may take.
constexpr qint64 BoundMs = 20000;

} // namespace

class UpdateFetchTest : public QObject {
    Q_OBJECT

private slots:
    void sendsTheRequestAsWritten_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::newRow("update file") << QByteArray(testhost::UpdatePath);
        // No re-encoding, no case change, no removal of dot segments.
        QTest::newRow("odd path") << QByteArray("/a/./b/../%7e%2f%e6x.txt");
    }
    void sendsTheRequestAsWritten()
    {
        QFETCH(QByteArray, path);
        testhost::Host host;
        QVERIFY(host.start(QStringLiteral("file"), {QStringLiteral("--body"), testhost::shippedUpdateFile()}));
        QCOMPARE(fetch(host.address(path)), readFile(testhost::shippedUpdateFile()));

        const QList<QByteArray> head = host.request().split('\n');
        QVERIFY(!head.isEmpty());
        QCOMPARE(head.first().trimmed(), "GET " + path + " HTTP/1.0");
        QByteArrayList headers;
        for (qsizetype i = 1; i < head.size(); ++i)
            headers << head[i].trimmed();
        QVERIFY2(headers.contains("User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)"),
                 host.request().constData());
        QVERIFY2(headers.contains("Accept: */*"), host.request().constData());
        QVERIFY2(headers.contains("Pragma: no-cache"), host.request().constData());
        QVERIFY2(headers.contains("Host: 127.0.0.1:" + QByteArray::number(host.port())),
                 host.request().constData());
        for (const QByteArray& header : headers)
            QVERIFY2(!header.startsWith("Accept-Encoding") && !header.startsWith("Cookie")
                         && !header.startsWith("Authorization"),
                     header.constData());
    }

    // The status is not looked at: an error page's body comes back whole.
    void returnsTheBodyOfAnyStatus_data()
    {
        QTest::addColumn<int>("status");
        QTest::newRow("404") << 404;
        QTest::newRow("500") << 500;
    }
    void returnsTheBodyOfAnyStatus()
    {
        QFETCH(int, status);
        const QByteArray page = "<html>Not here. 最新版本【20200915】</html>";
        testhost::Host host;
        QVERIFY(host.start(QStringLiteral("file"), {QStringLiteral("--body"), testhost::writeFile(page),
                                                    QStringLiteral("--status"), QString::number(status)}));
        QCOMPARE(fetch(host.address()), page);
    }

    void followsARedirectToAnotherHttpsAddress()
    {
        testhost::Host target;
        QVERIFY(target.start(QStringLiteral("file"), {QStringLiteral("--body"), testhost::shippedUpdateFile()}));
        testhost::Host mover;
        QVERIFY(mover.start(QStringLiteral("redirect"),
                            {QStringLiteral("--location"), QString::fromLatin1(target.address())}));
        QCOMPARE(fetch(mover.address()), readFile(testhost::shippedUpdateFile()));
    }

    void givesNoBytesWhenNothingUsableComesBack_data()
    {
        QTest::addColumn<QString>("cert");   // the host's certificate; empty: no host
        QTest::addColumn<QByteArray>("address"); // "HOST" stands for the host's address
        const QByteArray port = QByteArray::number(testhost::closedPort());
        QTest::newRow("nothing listening") << QString() << "https://127.0.0.1:" + port + testhost::UpdatePath;
        QTest::newRow("untrusted certificate") << QStringLiteral("other/host") << QByteArray("HOST");
        QTest::newRow("certificate for another name") << QStringLiteral("wronghost") << QByteArray("HOST");
        QTest::newRow("plain http to a TLS host") << QStringLiteral("host") << QByteArray("http-HOST");
        QTest::newRow("empty address") << QString() << QByteArray();
        QTest::newRow("no host") << QString() << QByteArray("https://");
        QTest::newRow("not an address") << QString() << QByteArray("最新版本");
        QTest::newRow("local file") << QString() << QByteArray("file:///etc/hostname");
        QTest::newRow("unknown name") << QString() << QByteArray("https://nowhere.invalid/x.txt");
    }
    void givesNoBytesWhenNothingUsableComesBack()
    {
        QFETCH(QString, cert);
        QFETCH(QByteArray, address);
        testhost::Host host;
        if (!cert.isEmpty()) {
            QVERIFY(host.start(QStringLiteral("file"), {QStringLiteral("--body"), testhost::shippedUpdateFile()},
                               cert));
            if (address == "HOST")
                address = host.address();
            else
                address = "http" + host.address().mid(5);
        }
        QCOMPARE(fetch(address), QByteArray());
    }

    // A host that hangs in any of these ways keeps the window from showing
    // for a bounded time only. The three fetches run side by side.
    void endsInBoundedTimeWhateverTheHostDoes()
    {
        testhost::Host silent;
        QVERIFY(silent.start(QStringLiteral("silent")));
        testhost::Host trickle;
        QVERIFY(trickle.start(QStringLiteral("trickle")));

        auto neverAnswers = std::async(std::launch::async, timedFetch, silent.address());
        auto trickles = std::async(std::launch::async, timedFetch, trickle.address());
        auto hungLookup = std::async(std::launch::async, timedFetch,
                                     QByteArray("https://") + HungHost + testhost::UpdatePath);
        for (auto* result : {&neverAnswers, &trickles, &hungLookup})
            QVERIFY(result->wait_for(std::chrono::seconds(60)) == std::future_status::ready);

        const Timed none = neverAnswers.get();
        QCOMPARE(none.body, QByteArray());
        QVERIFY2(none.ms < BoundMs, QByteArray::number(none.ms).constData());

        const Timed lookup = hungLookup.get();
        QCOMPARE(lookup.body, QByteArray());
        QVERIFY2(lookup.ms < BoundMs, QByteArray::number(lookup.ms).constData());

        // What came before the cut counts.
        const Timed slow = trickles.get();
        QVERIFY2(slow.ms < BoundMs, QByteArray::number(slow.ms).constData());
        QVERIFY(!slow.body.isEmpty());
        QCOMPARE(slow.body, QByteArray(slow.body.size(), 'x'));
    }

    // The Linux convention: https_proxy (or HTTPS_PROXY) sends the request
    // through a proxy with CONNECT, no_proxy names hosts reached directly;
    // the host's certificate is checked through the tunnel all the same.
    void followsTheProxyVariables_data()
    {
        QTest::addColumn<QByteArray>("variable");
        QTest::addColumn<bool>("proxyListens");
        QTest::addColumn<QByteArray>("noProxy");
        QTest::addColumn<QString>("cert");
        QTest::addColumn<bool>("throughProxy");
        QTest::addColumn<bool>("fetched");
        QTest::newRow("https_proxy") << QByteArray("https_proxy") << true << QByteArray() << "host" << true << true;
        QTest::newRow("HTTPS_PROXY") << QByteArray("HTTPS_PROXY") << true << QByteArray() << "host" << true << true;
        QTest::newRow("no_proxy for another host")
            << QByteArray("https_proxy") << true << QByteArray("example.com") << "host" << true << true;
        QTest::newRow("proxy not listening")
            << QByteArray("https_proxy") << false << QByteArray() << "host" << false << false;
        QTest::newRow("no_proxy bypasses a dead proxy")
            << QByteArray("https_proxy") << false << QByteArray("127.0.0.1") << "host" << false << true;
        QTest::newRow("wrong certificate through the proxy")
            << QByteArray("https_proxy") << true << QByteArray() << "wronghost" << true << false;
    }
    void followsTheProxyVariables()
    {
        QFETCH(QByteArray, variable);
        QFETCH(bool, proxyListens);
        QFETCH(QByteArray, noProxy);
        QFETCH(QString, cert);
        QFETCH(bool, throughProxy);
        QFETCH(bool, fetched);
        testhost::Host host;
        QVERIFY(host.start(QStringLiteral("file"), {QStringLiteral("--body"), testhost::shippedUpdateFile()}, cert));
        testhost::Proxy proxy;
        QVERIFY(proxy.start());
        const int proxyPort = proxyListens ? proxy.port() : testhost::closedPort();
        const auto unset = qScopeGuard([&] {
            qunsetenv(variable.constData());
            qunsetenv("no_proxy");
        });
        qputenv(variable.constData(), "http://127.0.0.1:" + QByteArray::number(proxyPort));
        if (!noProxy.isEmpty())
            qputenv("no_proxy", noProxy);

        const QByteArray body = fetch(host.address());
        QCOMPARE(body, fetched ? readFile(testhost::shippedUpdateFile()) : QByteArray());
        const QByteArray connect = "CONNECT 127.0.0.1:" + QByteArray::number(host.port()) + " ";
        if (throughProxy)
            QVERIFY2(proxy.requests().startsWith(connect) && proxy.requests().count('\n') == 1,
                     proxy.requests().constData());
        else
            QCOMPARE(proxy.requests(), QByteArray());
    }

    void readsNoMoreThanOneMebibyteOfAHugeBody()
    {
        testhost::Host host;
        QVERIFY(host.start(QStringLiteral("huge")));
        QVERIFY(testhost::resetPeakResident());
        const long before = testhost::statusKiB("VmRSS:");
        const QByteArray body = fetch(host.address());
        const long grown = testhost::statusKiB("VmHWM:") - before;
        QCOMPARE(body.size(), qsizetype(1 << 20));
        QCOMPARE(body, QByteArray(1 << 20, 'y'));
        // The mebibyte kept, once more while it is copied out, and the
        // client's buffers: well below the 1 GiB on offer.
        QVERIFY2(before > 0 && grown < testhost::MemoryBoundKiB, QByteArray::number(qint64(grown)).constData());
        // It hung up instead of reading on: what the host got rid of is the
        // mebibyte plus what the sockets buffer on the way.
        const qint64 taken = host.bodyBytesTaken();
        QVERIFY2(taken >= 0 && taken < 50 * 1024 * 1024, QByteArray::number(taken).constData());
    }
};

QTEST_GUILESS_MAIN(UpdateFetchTest)

#include "update_fetch_test.moc"
