// Conversions between the program's CP936 texts and Qt's strings; used only
// at the toolkit boundary.
#pragma once

#include "text/text.h"

#include <QByteArrayView>
#include <QString>

QString toQString(QByteArrayView text); // a Text, or a part of one
Text fromQString(const QString& text);

// Line breaks as the program writes them (CR LF) and as Qt's text widgets
// hold them (LF).
QString toDisplayLines(const Text& text);
Text fromDisplayLines(const QString& text);
