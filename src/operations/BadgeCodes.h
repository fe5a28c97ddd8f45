#pragma once

// What a badge reader sends, made into what the database compares: a reader types the card's number in
// decimal or in hexadecimal, with or without leading zeros, and maybe a prefix or suffix of its own.
// The number is reduced to its value (decimal digits, no leading zeros); a reading of decimal digits
// alone may be either base, so it stands for two values, and the badge is stored under both. A reading
// of other characters is kept as it is (letters in upper case). Only HMAC-SHA256 of each value under
// the badge key (BadgeKey.h) is ever stored or compared; the number itself is never kept.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace zav::manage {

// The longest reading taken, past any prefix and suffix: no badge is longer.
inline constexpr int LongestBadgeCode = 64;

// The values a reading stands for, each once: none for a reading that is empty or too long once
// `strip` (texts a reader adds in front or behind; the longest that matches goes first) is taken off.
QStringList BadgeValues(const QString& reading, const QStringList& strip = {});

// HMAC-SHA256 under `key` of one value, as 64 lower-case hexadecimal digits.
QString BadgeHmac(const QByteArray& key, const QString& value);

// The HMACs of every value of the reading.
QStringList BadgeHmacs(const QByteArray& key, const QString& reading, const QStringList& strip = {});

} // namespace zav::manage
