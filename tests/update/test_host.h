// HTTPS hosts on 127.0.0.1 for the update-check tests (tests/update/server.py
// with certificates made for the test run).
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace testhost {

// The percent-encoded path of the update file.
inline constexpr char UpdatePath[] = "/%E6%9B%B4%E6%96%B0%E7%89%88%E6%9C%AC.txt";

QString certificate(const QString& name); // e.g. "host", "wronghost", "other/host"
QString shippedUpdateFile();              // the file a publisher uploads
// A file in a temporary folder that lives as long as the test process.
QString writeFile(const QByteArray& bytes);

class Host {
public:
    Host() = default;
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;
    ~Host();

    // Starts a host: mode and extra arguments as server.py takes them, the
    // certificate by name. False when it did not come up within 60 s.
    bool start(const QString& mode, const QStringList& arguments = {}, const QString& cert = QStringLiteral("host"),
               int port = 0);
    int port() const { return port_; }
    QByteArray address(const QByteArray& path = UpdatePath) const;
    // The head of the first request the host received (empty if none).
    QByteArray request() const;
    // Mode huge: how many body bytes the client took before it hung up, or
    // -1 when the host has not told within 10 s.
    qint64 bodyBytesTaken() const;

private:
    QProcess process_;
    QTemporaryDir dir_;
    int port_ = 0;
};

// A forward proxy on 127.0.0.1 that tunnels CONNECT (tests/update/proxy.py).
class Proxy {
public:
    Proxy() = default;
    Proxy(const Proxy&) = delete;
    Proxy& operator=(const Proxy&) = delete;
    ~Proxy();

    bool start(); // false when it did not come up within 60 s
    int port() const { return port_; }
    // The request lines it got, one a line.
    QByteArray requests() const;

private:
    QProcess process_;
    QTemporaryDir dir_;
    int port_ = 0;
};

// A port on 127.0.0.1 where nothing listens.
int closedPort();

// How much a fetch may add to resident memory. AddressSanitizer keeps freed
// blocks in quarantine and shadows every allocation, so its builds get more.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr long MemoryBoundKiB = 32 * 1024;
#else
inline constexpr long MemoryBoundKiB = 8 * 1024;
#endif

// A line of /proc/self/status in KiB ("VmRSS:", "VmHWM:"), or -1.
long statusKiB(const char* field);
// Sets the peak of resident memory back to what is resident now, so that a
// later peak belongs to what ran in between (not to an earlier test or to
// building the window).
bool resetPeakResident();

} // namespace testhost
