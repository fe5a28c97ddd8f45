#include "operations/BadgeCodes.h"

#include <algorithm>
#include <sodium.h>
#include <vector>

namespace zav::manage {

namespace {

// The reading without the reader's additions: each of `strip` taken off the front and the back once,
// the longer texts first, so that "#" does not stand for "##".
QString stripped(QString code, QStringList strip) {
    std::sort(strip.begin(), strip.end(),
              [](const QString& a, const QString& b) { return a.size() > b.size(); });
    code = code.trimmed();
    for (const QString& extra : strip) {
        if (!extra.isEmpty() && code.size() > extra.size() && code.startsWith(extra)) {
            code = code.mid(extra.size());
            break;
        }
    }
    for (const QString& extra : strip) {
        if (!extra.isEmpty() && code.size() > extra.size() && code.endsWith(extra)) {
            code.chop(extra.size());
            break;
        }
    }
    return code.trimmed();
}

bool allOf(const QString& text, bool (*digit)(QChar)) {
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), digit);
}
bool isDecimal(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}
bool isHex(QChar c) {
    return isDecimal(c) || (c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f'));
}

// The decimal digits of the number `digits` writes in `base` (10 or 16), without leading zeros.
QString decimalValue(const QString& digits, int base) {
    std::vector<int> value{0}; // decimal digits, the least significant first
    for (const QChar c : digits) {
        int carry = c.isDigit() ? c.digitValue() : c.toLower().toLatin1() - 'a' + 10;
        for (int& d : value) {
            const int next = d * base + carry;
            d = next % 10;
            carry = next / 10;
        }
        for (; carry > 0; carry /= 10) {
            value.push_back(carry % 10);
        }
    }
    while (value.size() > 1 && value.back() == 0) {
        value.pop_back();
    }
    QString text;
    for (auto d = value.rbegin(); d != value.rend(); ++d) {
        text += QLatin1Char(static_cast<char>('0' + *d));
    }
    return text;
}

} // namespace

QStringList BadgeValues(const QString& reading, const QStringList& strip) {
    QString code = stripped(reading, strip);
    if (code.isEmpty() || code.size() > LongestBadgeCode) {
        return {};
    }
    if (allOf(code, isDecimal)) {
        QStringList values{decimalValue(code, 10)};
        const QString hex = decimalValue(code, 16);
        if (!values.contains(hex)) {
            values << hex;
        }
        return values;
    }
    const QString hex = code.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? code.mid(2) : code;
    if (allOf(hex, isHex)) {
        return {decimalValue(hex, 16)};
    }
    return {QStringLiteral("text:") + code.toUpper()};
}

QString BadgeHmac(const QByteArray& key, const QString& value) {
    const QByteArray message = QByteArrayLiteral("zav-badge:") + value.toUtf8();
    unsigned char mac[crypto_auth_hmacsha256_BYTES];
    crypto_auth_hmacsha256_state state;
    crypto_auth_hmacsha256_init(&state, reinterpret_cast<const unsigned char*>(key.constData()),
                                static_cast<size_t>(key.size()));
    crypto_auth_hmacsha256_update(&state, reinterpret_cast<const unsigned char*>(message.constData()),
                                  static_cast<unsigned long long>(message.size()));
    crypto_auth_hmacsha256_final(&state, mac);
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(mac), sizeof mac).toHex());
}

QStringList BadgeHmacs(const QByteArray& key, const QString& reading, const QStringList& strip) {
    QStringList hmacs;
    for (const QString& value : BadgeValues(reading, strip)) {
        hmacs << BadgeHmac(key, value);
    }
    return hmacs;
}

} // namespace zav::manage
