#include "platform/qt/qt_text.h"

#include <QStringDecoder>
#include <QStringEncoder>

QString toQString(const Text& text)
{
    QStringDecoder decoder("GBK");
    return decoder(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
}

Text fromQString(const QString& text)
{
    QStringEncoder encoder("GBK");
    const QByteArray bytes = encoder(text);
    return Text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString toDisplayLines(const Text& text)
{
    QString lines = toQString(text);
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return lines;
}

Text fromDisplayLines(const QString& text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return fromQString(lines);
}
