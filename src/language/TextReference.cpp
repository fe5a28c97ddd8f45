#include "language/TextReference.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace zav::language {

namespace {

constexpr double ShortMin = std::numeric_limits<short>::min();
constexpr double ShortMax = std::numeric_limits<short>::max();
constexpr int ReferenceOffset = 100;

std::optional<double> plainNumber(const QString& text) {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\s*[+-]?(\d+(\.\d*)?|\.\d+)([eE][+-]?\d+)?\s*$)"));
    if (!pattern.match(text).hasMatch()) {
        return std::nullopt;
    }
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

double roundHalfToEven(double value) {
    if (std::abs(value - std::trunc(value)) == 0.5) {
        return 2.0 * std::round(value / 2.0);
    }
    return std::round(value);
}

} // namespace

std::optional<short> referencedTextNumber(const QString& text) {
    if (!text.startsWith(u'|')) {
        return std::nullopt;
    }
    const auto number = plainNumber(text.sliced(1));
    if (!number) {
        return std::nullopt;
    }
    const double whole = roundHalfToEven(*number);
    if (!(whole >= ShortMin && whole <= ShortMax) || whole + ReferenceOffset > ShortMax) {
        return std::nullopt;
    }
    return static_cast<short>(whole + ReferenceOffset);
}

std::optional<short> taggedTextNumber(const QVariant& tag) {
    const QString text = tag.toString();
    if (text.size() < 2 || text.size() > 6 || !text.startsWith(u'|')) {
        return std::nullopt;
    }
    int number = 0;
    for (QChar ch : QStringView(text).sliced(1)) {
        if (ch < u'0' || ch > u'9') {
            return std::nullopt;
        }
        number = number * 10 + (ch.unicode() - u'0');
    }
    if (number > ShortMax) {
        return std::nullopt;
    }
    return static_cast<short>(number);
}

} // namespace zav::language
