#include "outside/ProfileEncoding.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <array>
#include <optional>

namespace zav::outside {

namespace {

const QByteArray Utf8Bom("\xEF\xBB\xBF");
const QByteArray Utf16LeBom("\xFF\xFE");

// Windows-1252 bytes 0x80..0x9F. The five bytes the code page leaves undefined map to the C1 control
// of the same value, as Windows itself converts them, so that every byte survives a round trip.
constexpr std::array<char16_t, 32> Cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString decodeCp1252(const QByteArray& bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        text[i] = (byte >= 0x80 && byte < 0xA0) ? QChar(Cp1252High[byte - 0x80]) : QChar(byte);
    }
    return text;
}

std::optional<char> encodeCp1252(QChar ch) {
    const char16_t unit = ch.unicode();
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
        return static_cast<char>(unit);
    }
    for (std::size_t i = 0; i < Cp1252High.size(); ++i) {
        if (Cp1252High[i] == unit) {
            return static_cast<char>(0x80 + i);
        }
    }
    return std::nullopt;
}

std::optional<QByteArray> encodeCp1252(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (QChar ch : text) {
        const auto byte = encodeCp1252(ch);
        if (!byte) {
            return std::nullopt;
        }
        bytes.append(*byte);
    }
    return bytes;
}

} // namespace

DecodedProfile decodeProfile(const QByteArray& bytes) {
    if (bytes.startsWith(Utf16LeBom)) {
        QStringDecoder decoder(QStringDecoder::Utf16LE, QStringDecoder::Flag::Stateless);
        return {decoder(bytes.mid(Utf16LeBom.size())), ProfileEncoding::Utf16LeWithBom};
    }
    const bool hasBom = bytes.startsWith(Utf8Bom);
    const QByteArray body = hasBom ? bytes.mid(Utf8Bom.size()) : bytes;
    // Valid UTF-8 is exactly what survives a round trip: invalid sequences decode to U+FFFD.
    const QString asUtf8 = QString::fromUtf8(body);
    if (asUtf8.toUtf8() == body) {
        return {asUtf8, hasBom ? ProfileEncoding::Utf8WithBom : ProfileEncoding::Utf8};
    }
    return {decodeCp1252(bytes), ProfileEncoding::Windows1252};
}

QByteArray encodeProfile(const QString& text, ProfileEncoding& encoding) {
    switch (encoding) {
    case ProfileEncoding::Windows1252:
        if (auto bytes = encodeCp1252(text)) {
            return *bytes;
        }
        encoding = ProfileEncoding::Utf8;
        return text.toUtf8();
    case ProfileEncoding::Utf16LeWithBom: {
        QStringEncoder encoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::Stateless);
        return Utf16LeBom + QByteArray(encoder(text));
    }
    case ProfileEncoding::Utf8WithBom:
        return Utf8Bom + text.toUtf8();
    case ProfileEncoding::Utf8:
        break;
    }
    return text.toUtf8();
}

} // namespace zav::outside
