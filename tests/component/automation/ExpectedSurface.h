#pragma once

// The automation surface as the component's interface tables publish it, transcribed by hand: the
// tests compare the descriptions, the dispatcher and the generated IDL against this copy.

#include <QString>
#include <QStringList>
#include <vector>

namespace zav::test {

struct ExpectedMember {
    QString name;
    QStringList accessors; // in interface order: "method", "get", "let", "set"
    qint32 dispId;
};

struct ExpectedInterface {
    QString name;
    QString iid;
    QString coclass;
    QString clsid;
    bool creatable;
    std::vector<ExpectedMember> members;
};

inline const QString ExpectedLibraryId = QStringLiteral("{781543C8-134C-4055-8F17-F032218A7940}");
inline constexpr unsigned ExpectedLocale = 0x0409;

const std::vector<ExpectedInterface>& ExpectedInterfaces();

} // namespace zav::test
