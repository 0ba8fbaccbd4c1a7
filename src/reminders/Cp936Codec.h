#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Texts cross into bytes only here: code page 936 (GBK) both ways.
namespace Cp936 {

// Characters the code page cannot hold become '?'.
QByteArray encode(const QString& text);
// Bytes that are no GBK character become U+FFFD; nothing past the view is read.
QString decode(QByteArrayView bytes);
// The same; *clean tells whether every byte belonged to a GBK character, so a
// caller can tell a text that would not survive a round trip.
QString decode(QByteArrayView bytes, bool* clean);
// The longest prefix of the encoded text that fits maxBytes, cut between
// characters, never inside a double-byte one.
QByteArray encodeCut(const QString& text, qsizetype maxBytes);
qsizetype encodedLength(const QString& text);

} // namespace Cp936
