// Names sort and compare without regard to letter case, for every letter, the same way whichever
// text form the engine hands the comparison: the order of the name index must equal Qt's own order.

#include "StoreTestSupport.h"
#include "store/Schema.h"

#include <QRandomGenerator>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

using namespace zav::store;
using namespace zav::store::test;

QString randomName(QRandomGenerator& random) {
    static const QString alphabet = QStringLiteral("aAbBzZ09_ -'éÉüÜßẞøØ");
    QString name;
    const int length = 1 + random.bounded(6);
    for (int i = 0; i < length; ++i) {
        name += alphabet[random.bounded(static_cast<int>(alphabet.size()))];
    }
    return name;
}

TEST(Collation, TheNameIndexOrdersAsQtComparesWithoutCase) {
    TempFolder folder;
    auto db = createCredentialDb(folder.file(QStringLiteral("login.db")));
    addLevel(*db, 1, QStringLiteral("One"));
    QRandomGenerator random(4711);
    QStringList stored;
    for (int i = 0; i < 600; ++i) {
        const QString name = randomName(random);
        const bool duplicate = std::any_of(stored.begin(), stored.end(), [&](const QString& other) {
            return QString::compare(other, name, Qt::CaseInsensitive) == 0;
        });
        const int error = errorNumberOf([&] { addOperator(*db, name, 1); });
        EXPECT_EQ(error, duplicate ? ErrDuplicateKey : 0) << name.toStdString();
        if (!duplicate) {
            stored << name;
        }
    }
    std::sort(stored.begin(), stored.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    const QStringList ordered =
        column(*db, QStringLiteral("Select * from Operators order by Name"), FieldName);
    ASSERT_EQ(ordered.size(), stored.size());
    for (qsizetype i = 0; i < ordered.size(); ++i) {
        EXPECT_EQ(QString::compare(ordered[i], stored[i], Qt::CaseInsensitive), 0) << i;
    }
    // Lookups by name go through the same comparison.
    addOperator(*db, QStringLiteral("Müller"), 1);
    EXPECT_EQ(column(*db, QStringLiteral("Select * from Operators where Name = 'MÜLLER'"), FieldName),
              QStringList{QStringLiteral("Müller")});
    EXPECT_EQ(column(*db, QStringLiteral("Select * from Operators where Name = 'mÜller'"), FieldName),
              QStringList{QStringLiteral("Müller")});
}

} // namespace
