#include "test_host.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <cstring>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testhost {

QString certificate(const QString& name)
{
    return QStringLiteral(TAVRELLE_TEST_CERTS "/") + name;
}

QString shippedUpdateFile()
{
    return QStringLiteral(TAVRELLE_TEST_UPDATE_FILE);
}

QString writeFile(const QByteArray& bytes)
{
    static QTemporaryDir dir;
    static int count = 0;
    const QString path = dir.filePath(QStringLiteral("file%1").arg(++count));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

namespace {

// The port a test helper prints on its first line, or 0.
int announcedPort(QProcess& process)
{
    QDeadlineTimer deadline(60000);
    QByteArray line;
    while (!line.endsWith('\n')) {
        if (deadline.hasExpired() || !process.waitForReadyRead(int(deadline.remainingTime())))
            return 0;
        line += process.readLine();
    }
    return line.startsWith("port ") ? line.mid(5).trimmed().toInt() : 0;
}

void stop(QProcess& process)
{
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(10000);
    }
}

} // namespace

Host::~Host()
{
    stop(process_);
}

bool Host::start(const QString& mode, const QStringList& arguments, const QString& cert, int port)
{
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral("python3"),
                   QStringList{QStringLiteral(TAVRELLE_TEST_SERVER), QStringLiteral("--port"),
                               QString::number(port), QStringLiteral("--cert"), certificate(cert + ".pem"),
                               QStringLiteral("--key"), certificate(cert + ".key"), QStringLiteral("--mode"), mode,
                               QStringLiteral("--record"), dir_.filePath(QStringLiteral("request"))}
                       + arguments);
    port_ = announcedPort(process_);
    return port_ > 0;
}

QByteArray Host::address(const QByteArray& path) const
{
    return "https://127.0.0.1:" + QByteArray::number(port_) + path;
}

QByteArray Host::request() const
{
    QFile file(dir_.filePath(QStringLiteral("request")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

qint64 Host::bodyBytesTaken() const
{
    QFile file(dir_.filePath(QStringLiteral("request.sent")));
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray line = file.readAll();
            if (line.endsWith('\n'))
                return line.trimmed().toLongLong();
            file.close();
        }
        QThread::msleep(50);
    }
    return -1;
}

Proxy::~Proxy()
{
    stop(process_);
}

bool Proxy::start()
{
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral("python3"), QStringList{QStringLiteral(TAVRELLE_TEST_PROXY), QStringLiteral("--record"),
                                                          dir_.filePath(QStringLiteral("requests"))});
    port_ = announcedPort(process_);
    return port_ > 0;
}

QByteArray Proxy::requests() const
{
    QFile file(dir_.filePath(QStringLiteral("requests")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int closedPort()
{
    // A port the system just handed out and took back: nothing listens there.
    const int sock = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof where;
    if (sock < 0 || bind(sock, reinterpret_cast<sockaddr*>(&where), length) != 0
        || getsockname(sock, reinterpret_cast<sockaddr*>(&where), &length) != 0)
        qFatal("no free port");
    close(sock);
    return ntohs(where.sin_port);
}

long statusKiB(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qsizetype(std::strlen(field))).trimmed().split(' ').first().toLong();
    return -1;
}

bool resetPeakResident()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

} // namespace testhost
