#include "automation/IdlWriter.h"

#include <QStringList>

namespace zav::automation {
namespace {

QString text(std::string_view s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

QString uuid(std::string_view braced) {
    QString id = text(braced);
    id.remove(QLatin1Char('{')).remove(QLatin1Char('}'));
    return QStringLiteral("uuid(%1)").arg(id);
}

QString typeName(VarType type, std::string_view objectInterface) {
    switch (type) {
    case VarType::Bool:
        return QStringLiteral("VARIANT_BOOL");
    case VarType::Short:
        return QStringLiteral("short");
    case VarType::Long:
        return QStringLiteral("long");
    case VarType::String:
        return QStringLiteral("BSTR");
    case VarType::Variant:
        return QStringLiteral("VARIANT");
    case VarType::Object:
        return text(objectInterface) + QLatin1Char('*');
    case VarType::Empty:
        break;
    }
    return QString();
}

QString inParam(const QString& type, std::string_view name, bool byRef, bool optional) {
    QStringList attributes{QStringLiteral("in")};
    if (byRef) {
        attributes << QStringLiteral("out");
    }
    if (optional) {
        attributes << QStringLiteral("optional") << QStringLiteral("defaultvalue(0)");
    }
    return QStringLiteral("[%1] %2%3 %4")
        .arg(attributes.join(QStringLiteral(", ")), type, byRef ? QStringLiteral("*") : QString(),
             text(name));
}

QString accessorLines(const MemberDesc& m, Kind kind) {
    QStringList params;
    for (const ParamDesc& p : m.params) {
        params << inParam(typeName(p.type, {}), p.name, p.byRef, p.optional);
    }
    const QString valueType = typeName(m.type, m.objectInterface);
    QString attribute;
    if (kind == Get) {
        attribute = QStringLiteral(", propget");
        params << QStringLiteral("[out, retval] %1* pRetVal").arg(valueType);
    } else if (kind == Let || kind == Set) {
        attribute = kind == Let ? QStringLiteral(", propput") : QStringLiteral(", propputref");
        params << inParam(valueType, m.valueName, kind == Let && m.valueByRef, false);
    } else if (m.type != VarType::Empty) {
        params << QStringLiteral("[out, retval] %1* pRetVal").arg(valueType);
    }
    return QStringLiteral("        [id(0x%1)%2]\n        HRESULT %3(%4);\n")
        .arg(QString::number(static_cast<quint32>(m.dispId), 16).rightJustified(8, QLatin1Char('0')),
             attribute, text(m.name), params.join(QStringLiteral(", ")));
}

QString interfaceBlock(const InterfaceDesc& iface, const LibraryDesc& library) {
    QString out =
        QStringLiteral("    [\n      odl,\n      %1,\n      version(%2.%3),\n      hidden,\n      dual,\n"
                       "      nonextensible,\n      oleautomation\n    ]\n    interface %4 : IDispatch {\n")
            .arg(uuid(iface.iid))
            .arg(library.majorVersion)
            .arg(library.minorVersion)
            .arg(text(iface.name));
    for (const MemberDesc& m : iface.members) {
        for (const Kind kind : m.accessors) {
            if (kind != NoKind) {
                out += accessorLines(m, kind);
            }
        }
    }
    out += QStringLiteral("    };\n\n");
    out += QStringLiteral("    [\n      %1,\n      version(%2.%3)%4\n    ]\n    coclass %5 {\n"
                          "        [default] interface %6;\n    };\n\n")
               .arg(uuid(iface.clsid))
               .arg(library.majorVersion)
               .arg(library.minorVersion)
               .arg(iface.creatable ? QString() : QStringLiteral(",\n      noncreatable"),
                    text(iface.coclass), text(iface.name));
    return out;
}

} // namespace

QString WriteIdl(const LibraryDesc& library) {
    QString out = QStringLiteral("// Type library %1, written from the component's automation descriptions.\n"
                                 "[\n  %2,\n  version(%3.%4),\n  lcid(0x%5)\n]\nlibrary %1\n{\n"
                                 "    importlib(\"stdole2.tlb\");\n\n")
                      .arg(text(library.name), uuid(library.libid))
                      .arg(library.majorVersion)
                      .arg(library.minorVersion)
                      .arg(QString::number(library.lcid, 16).rightJustified(4, QLatin1Char('0')));
    for (const InterfaceDesc& iface : library.interfaces) {
        out += QStringLiteral("    interface %1;\n").arg(text(iface.name));
    }
    out += QLatin1Char('\n');
    for (const InterfaceDesc& iface : library.interfaces) {
        out += interfaceBlock(iface, library);
    }
    out += QStringLiteral("};\n");
    return out;
}

} // namespace zav::automation
