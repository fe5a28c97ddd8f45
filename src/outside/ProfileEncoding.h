#pragma once

#include <QByteArray>
#include <QString>

namespace zav::outside {

// How a profile file's bytes are text. Files written by Windows' profile functions are in the ANSI
// code page (Windows-1252 here) or, with a byte-order mark, UTF-16; newer tools write UTF-8.
enum class ProfileEncoding { Utf8, Utf8WithBom, Utf16LeWithBom, Windows1252 };

struct DecodedProfile {
    QString text;
    ProfileEncoding encoding = ProfileEncoding::Utf8;
};

// UTF-8 when the bytes are valid UTF-8, else Windows-1252. Decoding is lossless, so encoding the text
// again in the same encoding gives the same bytes.
DecodedProfile decodeProfile(const QByteArray& bytes);

// The text in that encoding. A Windows-1252 text holding a character that code page lacks is written as
// UTF-8 instead (no text is lost); `encoding` then tells the caller which one was used.
QByteArray encodeProfile(const QString& text, ProfileEncoding& encoding);

} // namespace zav::outside
