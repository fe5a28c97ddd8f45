#include "Rights.h"

#include "AdminError.h"

namespace zav::admin {

const std::array<FixedRight, 4> FixedRights = {{
    {"ManageLevel", "manageLevel", &Class_LevelEnable::AllowManageLevel,
     &Class_LevelEnable::setAllowManageLevel},
    {"ManageOperator", "manageOperator", &Class_LevelEnable::AllowManageOperator,
     &Class_LevelEnable::setAllowManageOperator},
    {"DisShutDown", "disShutDown", &Class_LevelEnable::DisShutDown, &Class_LevelEnable::setDisShutDown},
    {"Desktop", "desktop", &Class_LevelEnable::AllowDesktop, &Class_LevelEnable::setAllowDesktop},
}};

namespace {

int customNumber(const QString& text, const QString& word) {
    bool ok = false;
    const int number = text.toInt(&ok);
    if (!ok || number < 1 || number > Class_LevelEnable::CustomCount) {
        throw UsageError(QStringLiteral("'%1' is no right: custom rights are numbered 1 to %2")
                             .arg(word)
                             .arg(Class_LevelEnable::CustomCount));
    }
    return number;
}

void setAll(Class_LevelEnable& rights, bool value) {
    for (const auto& right : FixedRights) {
        (rights.*right.set)(value);
    }
    for (int n = 1; n <= Class_LevelEnable::CustomCount; ++n) {
        rights.setAllowCustom(n, value);
    }
}

// Sets the right or rights one word names; false when the word names no right.
bool applyWord(const QString& word, Class_LevelEnable& rights) {
    for (const auto& right : FixedRights) {
        if (word.compare(QLatin1String(right.name), Qt::CaseInsensitive) == 0) {
            (rights.*right.set)(true);
            return true;
        }
    }
    if (word.compare(QLatin1String("all"), Qt::CaseInsensitive) == 0) {
        setAll(rights, true);
        return true;
    }
    if (word.isEmpty() || !word.front().isDigit()) {
        return false;
    }
    const qsizetype dash = word.indexOf(QLatin1Char('-'));
    const int first = customNumber(dash < 0 ? word : word.left(dash), word);
    const int last = dash < 0 ? first : customNumber(word.mid(dash + 1), word);
    if (last < first) {
        throw UsageError(QStringLiteral("'%1' is an empty range").arg(word));
    }
    for (int n = first; n <= last; ++n) {
        rights.setAllowCustom(n, true);
    }
    return true;
}

} // namespace

void ParseRights(const QStringList& words, Class_LevelEnable& rights) {
    QStringList parts;
    for (const QString& word : words) {
        parts << word.split(QLatin1Char(','), Qt::SkipEmptyParts);
    }
    if (parts.isEmpty()) {
        throw UsageError(QStringLiteral("no right given (write 'none' for no right)"));
    }
    setAll(rights, false);
    if (parts.size() == 1 && parts.front().compare(QLatin1String("none"), Qt::CaseInsensitive) == 0) {
        return;
    }
    for (const QString& part : parts) {
        if (!applyWord(part.trimmed(), rights)) {
            throw UsageError(QStringLiteral("'%1' is no right (ManageLevel, ManageOperator, DisShutDown, "
                                            "Desktop, a number 1 to %2, N-M, all or none)")
                                 .arg(part)
                                 .arg(Class_LevelEnable::CustomCount));
        }
    }
}

QStringList FixedRightNames(const Class_LevelEnable& rights) {
    QStringList names;
    for (const auto& right : FixedRights) {
        if ((rights.*right.get)()) {
            names << QLatin1String(right.name);
        }
    }
    return names;
}

std::vector<int> CustomRightNumbers(const Class_LevelEnable& rights) {
    std::vector<int> numbers;
    for (int n = 1; n <= Class_LevelEnable::CustomCount; ++n) {
        if (rights.AllowCustom(n)) {
            numbers.push_back(n);
        }
    }
    return numbers;
}

QString CompactNumbers(const std::vector<int>& ascending) {
    QStringList runs;
    for (std::size_t i = 0; i < ascending.size();) {
        std::size_t end = i;
        while (end + 1 < ascending.size() && ascending[end + 1] == ascending[end] + 1) {
            ++end;
        }
        runs << (end == i ? QString::number(ascending[i])
                          : QStringLiteral("%1-%2").arg(ascending[i]).arg(ascending[end]));
        i = end + 1;
    }
    return runs.join(QLatin1Char(','));
}

} // namespace zav::admin
