#include "ExpectedSurface.h"

namespace zav::test {
namespace {

QStringList kinds(const char* text) {
    return QString::fromLatin1(text).split(QLatin1Char('/'));
}

} // namespace

const std::vector<ExpectedInterface>& ExpectedInterfaces() {
    static const std::vector<ExpectedInterface> all = {
        {"_ZAV_Login",
         "{11C7D6A9-819D-4866-AA12-5FDC03AED1DC}",
         "ZAV_Login",
         "{A3542C44-BC1D-40F5-A01A-46A9BC22C33F}",
         true,
         {
             {"cRespEnable", kinds("get/set"), 0x40030007},
             {"cDrvLanguage", kinds("get/set"), 0x40030008},
             {"IsLogoutLevel", kinds("get"), 0x6803000A},
             {"AutoShutDown", kinds("get/let"), 0x68030009},
             {"EnableDescription", kinds("let/get"), 0x68030008},
             {"CurrentOperator", kinds("set/get"), 0x68030007},
             {"CurrentLevel", kinds("set/get"), 0x68030006},
             {"EnableCount", kinds("let/get"), 0x68030005},
             {"LoginByOperator", kinds("method"), 0x6003000B},
             {"LoginByLevel", kinds("method"), 0x6003000C},
             {"Logout", kinds("method"), 0x6003000D},
             {"DbPath", kinds("let/get"), 0x68030004},
             {"Terminate", kinds("method"), 0x6003000F},
             {"ShutDownNow", kinds("method"), 0x60030011},
             {"Fun_InitDatabase", kinds("method"), 0x60030012},
             {"HaveOperators", kinds("method"), 0x60030014},
             {"HaveLevels", kinds("method"), 0x60030015},
             {"ManageLevelDescription", kinds("let/get"), 0x68030003},
             {"ManageOperatorDescription", kinds("let/get"), 0x68030002},
             {"DisShutDownDescription", kinds("let/get"), 0x68030001},
             {"AllowDesktopDescription", kinds("let/get"), 0x68030000},
             {"IsTouchScreen", kinds("get/let"), 0x68030016},
         }},
        {"_Class_Level",
         "{CD4A1975-357C-4CCA-B6FB-72380274DA12}",
         "Class_Level",
         "{53CBAA5A-D201-40B1-82D0-C2F57A892D48}",
         false,
         {
             {"ShowStructure", kinds("method"), 0x60030004},
             {"ChangePassword", kinds("method"), 0x60030005},
             {"cLevelEnable", kinds("set/get"), 0x68030003},
             {"LevelName", kinds("let/get"), 0},
             {"DBLevelName", kinds("let/get"), 0x68030002},
             {"Password", kinds("let/get"), 0x68030001},
             {"ID", kinds("let/get"), 0x68030000},
             {"CanHavePassword", kinds("get"), 0x68030006},
         }},
        {"_Class_Operator",
         "{3A57B1BC-5DCD-42C9-8086-2D72418B9CCD}",
         "Class_Operator",
         "{61B25B1A-16BB-409A-81A5-95BE7E081320}",
         false,
         {
             {"ChangePassword", kinds("method"), 0x60030002},
             {"cLevel", kinds("set/get"), 0x68030001},
             {"Password", kinds("let/get"), 0x68030000},
             {"OperatorName", kinds("let/set/get"), 0},
         }},
        {"_Class_LevelEnable",
         "{3983167D-EEE8-4995-9E9E-1CEB0A160801}",
         "Class_LevelEnable",
         "{102EF66A-F92C-4708-8648-F042FB43F671}",
         true,
         {
             {"AllowCustom", kinds("let/get"), 0x68030004},
             {"AllowManageLevel", kinds("let/get"), 0x68030003},
             {"AllowManageOperator", kinds("let/get"), 0x68030002},
             {"DisShutDown", kinds("let/get"), 0x68030001},
             {"AllowDesktop", kinds("let/get"), 0x68030000},
         }},
        {"_Class_Language",
         "{57269263-3212-4966-87BD-82E5C7B08F83}",
         "Class_Language",
         "{A76A0496-7F1C-432E-9AD6-A240BBA3B806}",
         false,
         {
             {"CurrentLanguage", kinds("let/get"), 0x68030001},
             {"EnumLanguages", kinds("method"), 0x60030002},
             {"DbLanguagePath", kinds("get/let"), 0x68030000},
         }},
    };
    return all;
}

} // namespace zav::test
