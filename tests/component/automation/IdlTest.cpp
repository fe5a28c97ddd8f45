// The generated IDL text: the file installed with the headers is the one the descriptions give, and
// it lists every interface, member, accessor, dispatch ID and class exactly as the tables publish them.

#include "ExpectedSurface.h"

#include "automation/IdlWriter.h"
#include "automation/TypeLibrary.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

using zav::test::ExpectedInterfaces;

namespace {

QString generatedFile() {
    QFile file(QStringLiteral(ZAV_IDL_FILE));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return QString();
    }
    return QString::fromUtf8(file.readAll());
}

QString idl() {
    return zav::automation::WriteIdl(zav::automation::TypeLibrary());
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
    EXPECT_EQ(file.toStdString(), idl().toStdString());
}

TEST(Idl, TheLibraryCarriesItsIdVersionAndLocale) {
    const QString library = attributesBefore(idl(), QStringLiteral("library ZAV_PrjLogin\n"));
    EXPECT_TRUE(library.contains(QStringLiteral("uuid(781543C8-134C-4055-8F17-F032218A7940)")))
        << library.toStdString();
    EXPECT_TRUE(library.contains(QStringLiteral("version(1.0)")));
    EXPECT_TRUE(library.contains(QStringLiteral("lcid(0x0409)")));
}

TEST(Idl, EveryMemberIsListedAsPublished) {
    const QString text = idl();
    for (const auto& iface : ExpectedInterfaces()) {
        const QString body = interfaceBody(text, iface.name);
        ASSERT_FALSE(body.isEmpty()) << iface.name.toStdString();
        QStringList expected;
        for (const auto& m : iface.members) {
            for (const QString& kind : m.accessors) {
                expected << QStringLiteral("%1 %2 %3")
                                .arg(m.name, kind)
                                .arg(static_cast<quint32>(m.dispId), 8, 16, QLatin1Char('0'));
            }
        }
        EXPECT_EQ(accessors(body).join(u'\n').toStdString(), expected.join(u'\n').toStdString());

        const QString interfaceAttributes =
            attributesBefore(text, QStringLiteral("interface %1 : IDispatch").arg(iface.name));
        EXPECT_TRUE(interfaceAttributes.contains(QStringLiteral("uuid(%1)").arg(iface.iid.mid(1, 36))));
        EXPECT_TRUE(interfaceAttributes.contains(QStringLiteral("dual")));

        const QString coclass =
            QStringLiteral("coclass %1 {\n        [default] interface %2;").arg(iface.coclass, iface.name);
        ASSERT_TRUE(text.contains(coclass)) << coclass.toStdString();
        const QString classAttributes = attributesBefore(text, coclass);
        EXPECT_TRUE(classAttributes.contains(QStringLiteral("uuid(%1)").arg(iface.clsid.mid(1, 36))));
        EXPECT_EQ(classAttributes.contains(QStringLiteral("noncreatable")), !iface.creatable)
            << iface.coclass.toStdString();
    }
}

TEST(Idl, ParametersCarryTheirTypesAndPassing) {
    const QString text = idl();
    const QStringList lines = {
        QStringLiteral("HRESULT EnableDescription([in] short Index, [in] BSTR RHS);"),
        QStringLiteral("HRESULT EnableDescription([in] short Index, [out, retval] BSTR* pRetVal);"),
        QStringLiteral("HRESULT AllowCustom([in] long Index, [out, retval] VARIANT_BOOL* pRetVal);"),
        QStringLiteral("HRESULT ChangePassword([in, optional, defaultvalue(0)] VARIANT_BOOL LockOldPWD, "
                       "[out, retval] VARIANT_BOOL* pRetVal);"),
        QStringLiteral("HRESULT IsTouchScreen([in, out] VARIANT_BOOL* RHS);"),
        QStringLiteral("HRESULT EnumLanguages([in, out] VARIANT* cCol, [out, retval] long* pRetVal);"),
        QStringLiteral("HRESULT DbLanguagePath([in] BSTR NewVal);"),
        QStringLiteral("HRESULT Terminate([out, retval] VARIANT* pRetVal);"),
        QStringLiteral("HRESULT ShutDownNow();"),
        QStringLiteral("HRESULT cRespEnable([in] _Class_LevelEnable* RHS);"),
        QStringLiteral("HRESULT CurrentLevel([out, retval] _Class_Level** pRetVal);"),
        QStringLiteral("HRESULT OperatorName([in] VARIANT RHS);"),
    };
    for (const QString& line : lines) {
        EXPECT_TRUE(text.contains(line)) << line.toStdString();
    }
}

} // namespace
