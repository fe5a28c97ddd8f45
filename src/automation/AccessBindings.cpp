// The members of the level, operator, permission-set and language objects as the dispatcher reaches
// them.

#include "automation/ClassBindings.h"

#include <ZAV_PrjLogin/Class_Language.h>
#include <ZAV_PrjLogin/Class_Level.h>
#include <ZAV_PrjLogin/Class_LevelEnable.h>
#include <ZAV_PrjLogin/Class_Operator.h>

#include <QStringList>

namespace zav::automation {
namespace {

using binding::call;

constexpr Binding LevelAccessors[] = {
    {"ShowStructure", Method, call<&Class_Level::ShowStructure>},
    {"ChangePassword", Method, call<&Class_Level::ChangePassword>},
    {"cLevelEnable", Get, call<&Class_Level::cLevelEnable>},
    {"cLevelEnable", Set, call<&Class_Level::setcLevelEnable>},
    {"LevelName", Get, call<&Class_Level::LevelName>},
    {"LevelName", Let, call<&Class_Level::setLevelName>},
    {"DBLevelName", Get, call<&Class_Level::DBLevelName>},
    {"DBLevelName", Let, call<&Class_Level::setDBLevelName>},
    {"Password", Get, call<&Class_Level::Password>},
    {"Password", Let, call<&Class_Level::setPassword>},
    {"ID", Get, call<&Class_Level::ID>},
    {"ID", Let, call<&Class_Level::setID>},
    {"CanHavePassword", Get, call<&Class_Level::CanHavePassword>},
};

constexpr Binding OperatorAccessors[] = {
    {"ChangePassword", Method, call<&Class_Operator::ChangePassword>},
    {"cLevel", Get, call<&Class_Operator::cLevel>},
    {"cLevel", Set, call<&Class_Operator::setcLevel>},
    {"Password", Get, call<&Class_Operator::Password>},
    {"Password", Let, call<&Class_Operator::setPassword>},
    {"OperatorName", Get, call<&Class_Operator::OperatorName>},
    {"OperatorName", Let, call<&Class_Operator::setOperatorName>},
    {"OperatorName", Set, call<&Class_Operator::setOperatorNameObject>},
};

constexpr Binding LevelEnableAccessors[] = {
    {"AllowCustom", Get, call<&Class_LevelEnable::AllowCustom>},
    {"AllowCustom", Let, call<&Class_LevelEnable::setAllowCustom>},
    {"AllowManageLevel", Get, call<&Class_LevelEnable::AllowManageLevel>},
    {"AllowManageLevel", Let, call<&Class_LevelEnable::setAllowManageLevel>},
    {"AllowManageOperator", Get, call<&Class_LevelEnable::AllowManageOperator>},
    {"AllowManageOperator", Let, call<&Class_LevelEnable::setAllowManageOperator>},
    {"DisShutDown", Get, call<&Class_LevelEnable::DisShutDown>},
    {"DisShutDown", Let, call<&Class_LevelEnable::setDisShutDown>},
    {"AllowDesktop", Get, call<&Class_LevelEnable::AllowDesktop>},
    {"AllowDesktop", Let, call<&Class_LevelEnable::setAllowDesktop>},
};

// The collection is passed by reference: the names on offer are written back into the argument.
QVariant enumLanguages(QObject& self, QVariantList& args) {
    QStringList names;
    const int count = static_cast<Class_Language&>(self).EnumLanguages(names);
    args[0] = names;
    return count;
}

constexpr Binding LanguageAccessors[] = {
    {"CurrentLanguage", Get, call<&Class_Language::CurrentLanguage>},
    {"CurrentLanguage", Let, call<&Class_Language::setCurrentLanguage>},
    {"EnumLanguages", Method, enumLanguages},
    {"DbLanguagePath", Get, call<&Class_Language::DbLanguagePath>},
    {"DbLanguagePath", Let, call<&Class_Language::setDbLanguagePath>},
};

const ClassBinding Level{"_Class_Level", &Class_Level::staticMetaObject, LevelAccessors,
                         binding::share<Class_Level>, nullptr};
const ClassBinding Operator{"_Class_Operator", &Class_Operator::staticMetaObject, OperatorAccessors,
                            binding::share<Class_Operator>, nullptr};
const ClassBinding LevelEnable{"_Class_LevelEnable", &Class_LevelEnable::staticMetaObject,
                               LevelEnableAccessors, binding::share<Class_LevelEnable>,
                               binding::create<Class_LevelEnable>};
const ClassBinding Language{"_Class_Language", &Class_Language::staticMetaObject, LanguageAccessors,
                            binding::share<Class_Language>, nullptr};

} // namespace

const ClassBinding& LevelClassBinding() {
    return Level;
}
const ClassBinding& OperatorClassBinding() {
    return Operator;
}
const ClassBinding& LevelEnableClassBinding() {
    return LevelEnable;
}
const ClassBinding& LanguageClassBinding() {
    return Language;
}

} // namespace zav::automation
