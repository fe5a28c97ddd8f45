#include "CommandLine.h"

#include "AdminError.h"

#include <QRegularExpression>

namespace zav::admin {

namespace {

bool looksLikeOption(const QString& word) {
    static const QRegularExpression negativeNumber(QStringLiteral("^-[0-9]+$"));
    return word.startsWith(QLatin1Char('-')) && word != QLatin1String("-") &&
           !negativeNumber.match(word).hasMatch();
}

void setOnce(std::optional<QString>& target, const QString& option, const QString& value) {
    if (target) {
        throw UsageError(QStringLiteral("%1 is given twice").arg(option));
    }
    target = value;
}

} // namespace

Invocation ParseCommandLine(const QStringList& words) {
    Invocation invocation;
    QStringList positional;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& word = words[i];
        if (optionsEnded || !looksLikeOption(word)) {
            positional << word;
            continue;
        }
        if (word == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        QString name = word;
        std::optional<QString> inlineValue;
        if (const qsizetype equals = word.indexOf(QLatin1Char('='));
            word.startsWith(QLatin1String("--")) && equals > 0) {
            name = word.left(equals);
            inlineValue = word.mid(equals + 1);
        }
        const auto flag = [&](bool& target) {
            if (inlineValue) {
                throw UsageError(QStringLiteral("%1 takes no value").arg(name));
            }
            target = true;
        };
        const auto value = [&]() -> QString {
            if (inlineValue) {
                return *inlineValue;
            }
            if (i + 1 >= words.size()) {
                throw UsageError(QStringLiteral("%1 needs a value").arg(name));
            }
            return words[++i];
        };
        if (name == QLatin1String("-h") || name == QLatin1String("--help")) {
            flag(invocation.help);
            continue;
        }
        if (name == QLatin1String("--db")) {
            setOnce(invocation.dbPath, name, value());
            continue;
        }
        if (name == QLatin1String("--json")) {
            flag(invocation.json);
        } else if (name == QLatin1String("--stdin")) {
            flag(invocation.fromStdin);
        } else if (name == QLatin1String("--password-stdin")) {
            flag(invocation.passwordFromStdin);
        } else if (name == QLatin1String("--merge")) {
            flag(invocation.merge);
        } else if (name == QLatin1String("--force")) {
            flag(invocation.force);
        } else if (name == QLatin1String("--level")) {
            setOnce(invocation.level, name, value());
        } else if (name == QLatin1String("--panel")) {
            setOnce(invocation.panel, name, value());
        } else if (name == QLatin1String("--pin")) {
            flag(invocation.pin);
        } else if (name == QLatin1String("--verify")) {
            flag(invocation.verify);
        } else if (name == QLatin1String("--head")) {
            flag(invocation.head);
        } else if (name == QLatin1String("--anchor")) {
            invocation.anchors << value();
        } else if (name == QLatin1String("--anchors-from-journal")) {
            flag(invocation.anchorsFromJournal);
        } else if (name == QLatin1String("--pdf")) {
            setOnce(invocation.pdf, name, value());
        } else if (name == QLatin1String("--signatures")) {
            flag(invocation.signatures);
        } else if (name == QLatin1String("--since")) {
            setOnce(invocation.since, name, value());
        } else if (name == QLatin1String("--until")) {
            setOnce(invocation.until, name, value());
        } else if (name == QLatin1String("--rights")) {
            invocation.rights << value();
        } else {
            throw UsageError(QStringLiteral("unknown option %1").arg(name));
        }
        if (!invocation.commandOptions.contains(name)) {
            invocation.commandOptions << name;
        }
    }
    // Without --db the address comes from the environment, which other users cannot read.
    if (!invocation.dbPath && !qEnvironmentVariableIsEmpty("ZAV_DB")) {
        invocation.dbPath = qEnvironmentVariable("ZAV_DB");
    }
    if (!positional.isEmpty()) {
        invocation.command = positional.takeFirst();
        invocation.arguments = positional;
    }
    return invocation;
}

} // namespace zav::admin
