#include "automation/TypeLibrary.h"

#include <QString>

namespace zav::automation {
namespace {

constexpr ParamDesc ShortIndex[] = {{.name = "Index", .type = VarType::Short}};
constexpr ParamDesc LongIndex[] = {{.name = "Index", .type = VarType::Long}};
constexpr ParamDesc LockOldPwd[] = {{.name = "LockOldPWD", .type = VarType::Bool, .optional = true}};
constexpr ParamDesc Collection[] = {{.name = "cCol", .type = VarType::Variant, .byRef = true}};
constexpr ParamDesc SignParams[] = {{.name = "Meaning", .type = VarType::String},
                                    {.name = "Action", .type = VarType::String}};
constexpr ParamDesc BadgeParams[] = {{.name = "Code", .type = VarType::String}};
constexpr ParamDesc VerifyParams[] = {{.name = "Meaning", .type = VarType::String},
                                      {.name = "Action", .type = VarType::String},
                                      {.name = "RightNumber", .type = VarType::Short}};

constexpr MemberDesc LoginMembers[] = {
    {.name = "cRespEnable",
     .dispId = 0x40030007,
     .accessors = {Get, Set},
     .type = VarType::Object,
     .objectInterface = "_Class_LevelEnable"},
    {.name = "cDrvLanguage",
     .dispId = 0x40030008,
     .accessors = {Get, Set},
     .type = VarType::Object,
     .objectInterface = "_Class_Language"},
    {.name = "IsLogoutLevel", .dispId = 0x6803000A, .accessors = {Get}, .type = VarType::Bool},
    {.name = "AutoShutDown", .dispId = 0x68030009, .accessors = {Get, Let}, .type = VarType::Bool},
    {.name = "EnableDescription",
     .dispId = 0x68030008,
     .accessors = {Let, Get},
     .type = VarType::String,
     .params = ShortIndex},
    {.name = "CurrentOperator",
     .dispId = 0x68030007,
     .accessors = {Set, Get},
     .type = VarType::Object,
     .objectInterface = "_Class_Operator"},
    {.name = "CurrentLevel",
     .dispId = 0x68030006,
     .accessors = {Set, Get},
     .type = VarType::Object,
     .objectInterface = "_Class_Level"},
    {.name = "EnableCount", .dispId = 0x68030005, .accessors = {Let, Get}, .type = VarType::Long},
    {.name = "LoginByOperator", .dispId = 0x6003000B, .accessors = {Method}, .type = VarType::Bool},
    {.name = "LoginByLevel", .dispId = 0x6003000C, .accessors = {Method}, .type = VarType::Bool},
    {.name = "Logout", .dispId = 0x6003000D, .accessors = {Method}, .type = VarType::Bool},
    {.name = "DbPath", .dispId = 0x68030004, .accessors = {Let, Get}, .type = VarType::String},
    {.name = "Terminate", .dispId = 0x6003000F, .accessors = {Method}, .type = VarType::Variant},
    {.name = "ShutDownNow", .dispId = 0x60030011, .accessors = {Method}, .type = VarType::Empty},
    {.name = "Fun_InitDatabase", .dispId = 0x60030012, .accessors = {Method}, .type = VarType::Bool},
    {.name = "HaveOperators", .dispId = 0x60030014, .accessors = {Method}, .type = VarType::Bool},
    {.name = "HaveLevels", .dispId = 0x60030015, .accessors = {Method}, .type = VarType::Bool},
    {.name = "ManageLevelDescription",
     .dispId = 0x68030003,
     .accessors = {Let, Get},
     .type = VarType::String},
    {.name = "ManageOperatorDescription",
     .dispId = 0x68030002,
     .accessors = {Let, Get},
     .type = VarType::String},
    {.name = "DisShutDownDescription",
     .dispId = 0x68030001,
     .accessors = {Let, Get},
     .type = VarType::String},
    {.name = "AllowDesktopDescription",
     .dispId = 0x68030000,
     .accessors = {Let, Get},
     .type = VarType::String},
    {.name = "IsTouchScreen",
     .dispId = 0x68030016,
     .accessors = {Get, Let},
     .type = VarType::Bool,
     .valueByRef = true},
    {.name = "IsOffline", .dispId = 0x68030017, .accessors = {Get}, .type = VarType::Bool},
    {.name = "Sign",
     .dispId = 0x60030018,
     .accessors = {Method},
     .type = VarType::Bool,
     .params = SignParams},
    {.name = "Verify",
     .dispId = 0x60030019,
     .accessors = {Method},
     .type = VarType::Bool,
     .params = VerifyParams},
    {.name = "LoginByBadge",
     .dispId = 0x6003001A,
     .accessors = {Method},
     .type = VarType::Bool,
     .params = BadgeParams},
};

constexpr MemberDesc LevelMembers[] = {
    {.name = "ShowStructure", .dispId = 0x60030004, .accessors = {Method}, .type = VarType::Bool},
    {.name = "ChangePassword",
     .dispId = 0x60030005,
     .accessors = {Method},
     .type = VarType::Bool,
     .params = LockOldPwd},
    {.name = "cLevelEnable",
     .dispId = 0x68030003,
     .accessors = {Set, Get},
     .type = VarType::Object,
     .objectInterface = "_Class_LevelEnable"},
    {.name = "LevelName", .dispId = DispIdValue, .accessors = {Let, Get}, .type = VarType::String},
    {.name = "DBLevelName", .dispId = 0x68030002, .accessors = {Let, Get}, .type = VarType::String},
    {.name = "Password", .dispId = 0x68030001, .accessors = {Let, Get}, .type = VarType::String},
    {.name = "ID", .dispId = 0x68030000, .accessors = {Let, Get}, .type = VarType::Long},
    {.name = "CanHavePassword", .dispId = 0x68030006, .accessors = {Get}, .type = VarType::Bool},
};

constexpr MemberDesc OperatorMembers[] = {
    {.name = "ChangePassword",
     .dispId = 0x60030002,
     .accessors = {Method},
     .type = VarType::Bool,
     .params = LockOldPwd},
    {.name = "cLevel",
     .dispId = 0x68030001,
     .accessors = {Set, Get},
     .type = VarType::Object,
     .objectInterface = "_Class_Level"},
    {.name = "Password", .dispId = 0x68030000, .accessors = {Let, Get}, .type = VarType::String},
    {.name = "OperatorName", .dispId = DispIdValue, .accessors = {Let, Set, Get}, .type = VarType::Variant},
};

constexpr MemberDesc LevelEnableMembers[] = {
    {.name = "AllowCustom",
     .dispId = 0x68030004,
     .accessors = {Let, Get},
     .type = VarType::Bool,
     .params = LongIndex},
    {.name = "AllowManageLevel", .dispId = 0x68030003, .accessors = {Let, Get}, .type = VarType::Bool},
    {.name = "AllowManageOperator", .dispId = 0x68030002, .accessors = {Let, Get}, .type = VarType::Bool},
    {.name = "DisShutDown", .dispId = 0x68030001, .accessors = {Let, Get}, .type = VarType::Bool},
    {.name = "AllowDesktop", .dispId = 0x68030000, .accessors = {Let, Get}, .type = VarType::Bool},
};

constexpr MemberDesc LanguageMembers[] = {
    {.name = "CurrentLanguage", .dispId = 0x68030001, .accessors = {Let, Get}, .type = VarType::String},
    {.name = "EnumLanguages",
     .dispId = 0x60030002,
     .accessors = {Method},
     .type = VarType::Long,
     .params = Collection},
    {.name = "DbLanguagePath",
     .dispId = 0x68030000,
     .accessors = {Get, Let},
     .type = VarType::String,
     .valueName = "NewVal"},
};

constexpr InterfaceDesc Interfaces[] = {
    {.name = "_ZAV_Login",
     .iid = "{11C7D6A9-819D-4866-AA12-5FDC03AED1DC}",
     .coclass = "ZAV_Login",
     .clsid = "{A3542C44-BC1D-40F5-A01A-46A9BC22C33F}",
     .creatable = true,
     .members = LoginMembers},
    {.name = "_Class_Level",
     .iid = "{CD4A1975-357C-4CCA-B6FB-72380274DA12}",
     .coclass = "Class_Level",
     .clsid = "{53CBAA5A-D201-40B1-82D0-C2F57A892D48}",
     .creatable = false,
     .members = LevelMembers},
    {.name = "_Class_Operator",
     .iid = "{3A57B1BC-5DCD-42C9-8086-2D72418B9CCD}",
     .coclass = "Class_Operator",
     .clsid = "{61B25B1A-16BB-409A-81A5-95BE7E081320}",
     .creatable = false,
     .members = OperatorMembers},
    {.name = "_Class_LevelEnable",
     .iid = "{3983167D-EEE8-4995-9E9E-1CEB0A160801}",
     .coclass = "Class_LevelEnable",
     .clsid = "{102EF66A-F92C-4708-8648-F042FB43F671}",
     .creatable = true,
     .members = LevelEnableMembers},
    {.name = "_Class_Language",
     .iid = "{57269263-3212-4966-87BD-82E5C7B08F83}",
     .coclass = "Class_Language",
     .clsid = "{A76A0496-7F1C-432E-9AD6-A240BBA3B806}",
     .creatable = false,
     .members = LanguageMembers},
};

constexpr LibraryDesc Library{.name = "ZAV_PrjLogin",
                              .libid = "{781543C8-134C-4055-8F17-F032218A7940}",
                              .lcid = 0x0409,
                              .majorVersion = 1,
                              .minorVersion = 0,
                              .interfaces = Interfaces};

QString text(std::string_view s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

QStringView withoutBraces(QStringView id) {
    if (id.startsWith(QLatin1Char('{')) && id.endsWith(QLatin1Char('}'))) {
        return id.mid(1, id.size() - 2);
    }
    return id;
}

} // namespace

const LibraryDesc& TypeLibrary() {
    return Library;
}

const InterfaceDesc* FindInterface(std::string_view name) {
    for (const InterfaceDesc& iface : Library.interfaces) {
        if (iface.name == name) {
            return &iface;
        }
    }
    return nullptr;
}

const InterfaceDesc* FindClass(QStringView nameOrClassId) {
    QStringView wanted = withoutBraces(nameOrClassId.trimmed());
    // A programmatic identifier names the library first: "ZAV_PrjLogin.ZAV_Login".
    const QString prefix = text(Library.name) + QLatin1Char('.');
    if (wanted.startsWith(prefix, Qt::CaseInsensitive)) {
        wanted = wanted.mid(prefix.size());
    }
    for (const InterfaceDesc& iface : Library.interfaces) {
        const QString clsid = text(iface.clsid);
        if (wanted.compare(text(iface.coclass), Qt::CaseInsensitive) == 0 ||
            wanted.compare(withoutBraces(clsid), Qt::CaseInsensitive) == 0) {
            return &iface;
        }
    }
    return nullptr;
}

const MemberDesc* FindMember(const InterfaceDesc& iface, DispId id) {
    for (const MemberDesc& member : iface.members) {
        if (member.dispId == id) {
            return &member;
        }
    }
    return nullptr;
}

const MemberDesc* FindMember(const InterfaceDesc& iface, QStringView name) {
    for (const MemberDesc& member : iface.members) {
        if (name.compare(text(member.name), Qt::CaseInsensitive) == 0) {
            return &member;
        }
    }
    return nullptr;
}

} // namespace zav::automation
