#include "platform/qt/qt_text.h"

#include <QStringDecoder>
#include <QStringEncoder>

// Opening a converter looks the encoding up each time: each thread keeps
// one of each. Stateless, so that a text cut inside a character does not
// carry over into the next one.
QString toQString(QByteArrayView text)
{
    thread_local QStringDecoder decoder("GBK", QStringConverter::Flag::Stateless);
    decoder.resetState();
    return decoder(text);
}

Text fromQString(const QString& text)
{
    thread_local QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
    encoder.resetState();
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
