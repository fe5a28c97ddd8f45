// The generated IDL text: the file installed with the headers is the one the descriptions give, and
// it lists every interface, member, accessor, dispatch ID and class exactly as the tables describe them.

#include "automation/IdlWriter.h"
#include "automation/TypeLibrary.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace zav::automation;

namespace {

QString generatedFile() {
    QFile file(QStringLiteral(ZAV_IDL_FILE));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return QString();
    }
    return QString::fromUtf8(file.readAll());
}

QString text(std::string_view s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

// The text between "interface NAME : IDispatch {" and its "};".
QString interfaceBody(const QString& text, const QString& name) {
    const QString head = QStringLiteral("interface %1 : IDispatch {").arg(name);
    const qsizetype start = text.indexOf(head);
    if (start < 0) {
        return QString();
    }
    const qsizetype end = text.indexOf(QStringLiteral("};"), start);
    return text.mid(start + head.size(), end - start - head.size());
}

// The attribute block "[ ... ]" right before `declaration`.
QString attributesBefore(const QString& text, const QString& declaration) {
    const qsizetype at = text.indexOf(declaration);
    const qsizetype open = text.lastIndexOf(QLatin1Char('['), text.lastIndexOf(QLatin1Char(']'), at));
    return at < 0 || open < 0 ? QString() : text.mid(open, at - open);
}

// Each accessor of the body as "Name kind dispid", in order.
QStringList accessors(const QString& body) {
    static const QRegularExpression line(
        QStringLiteral(R"(\[id\(0x([0-9a-f]{8})\)(?:, (propget|propput|propputref))?\]\s*HRESULT (\w+)\()"));
    QStringList found;
    for (auto it = line.globalMatch(body); it.hasNext();) {
        const auto m = it.next();
        static const QHash<QString, QString> kinds{{QString(), QStringLiteral("method")},
                                                   {QStringLiteral("propget"), QStringLiteral("get")},
                                                   {QStringLiteral("propput"), QStringLiteral("let")},
                                                   {QStringLiteral("propputref"), QStringLiteral("set")}};
        found << QStringLiteral("%1 %2 %3").arg(m.captured(3), kinds.value(m.captured(2)), m.captured(1));
    }
    return found;
}

TEST(Idl, TheInstalledFileIsTheGeneratedText) {
    const QString file = generatedFile();
    ASSERT_FALSE(file.isEmpty()) << ZAV_IDL_FILE;
    EXPECT_EQ(file.toStdString(), WriteIdl(TypeLibrary()).toStdString());
}

TEST(Idl, EveryMemberIsListedAsDescribed) {
    const QString all = WriteIdl(TypeLibrary());
    const std::pair<Kind, QString> kinds[] = {{Method, QStringLiteral("method")},
                                              {Get, QStringLiteral("get")},
                                              {Let, QStringLiteral("let")},
                                              {Set, QStringLiteral("set")}};
    for (const InterfaceDesc& iface : TypeLibrary().interfaces) {
        const QString name = text(iface.name), coclass = text(iface.coclass);
        const QString body = interfaceBody(all, name);
        ASSERT_FALSE(body.isEmpty()) << name.toStdString();
        QStringList expected;
        for (const MemberDesc& m : iface.members) {
            for (const Kind accessor : m.accessors) {
                for (const auto& [kind, kindName] : kinds) {
                    if (accessor == kind) {
                        expected << QStringLiteral("%1 %2 %3")
                                        .arg(text(m.name), kindName)
                                        .arg(static_cast<quint32>(m.dispId), 8, 16, QLatin1Char('0'));
                    }
                }
            }
        }
        EXPECT_EQ(accessors(body).join(u'\n').toStdString(), expected.join(u'\n').toStdString());
        const QString attributes =
            attributesBefore(all, QStringLiteral("interface %1 : IDispatch").arg(name));
        EXPECT_TRUE(attributes.contains(QStringLiteral("uuid(%1)").arg(text(iface.iid).mid(1, 36))));
        EXPECT_TRUE(attributes.contains(QStringLiteral("dual")));
        const QString head =
            QStringLiteral("coclass %1 {\n        [default] interface %2;").arg(coclass, name);
        ASSERT_TRUE(all.contains(head)) << head.toStdString();
        const QString classAttributes = attributesBefore(all, head);
        EXPECT_TRUE(classAttributes.contains(QStringLiteral("uuid(%1)").arg(text(iface.clsid).mid(1, 36))));
        EXPECT_EQ(classAttributes.contains(QStringLiteral("noncreatable")), !iface.creatable);
    }
}

} // namespace
