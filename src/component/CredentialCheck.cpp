#include "component/CredentialCheck.h"
#include "component/HostSignals.h"
#include "component/ModuleComponent.h"

#include "access/Class_Par.h"
#include "access/LevelRecord.h"
#include "base/Mod_Globali.h"
#include "base/ReportedErrors.h"
#include "outside/OutsideObjects.h"
#include "shell/ShellServices.h"
#include "store/Engine.h"
#include "store/Schema.h"

#include <ZAV_PrjLogin/ZAV_Login.h>

namespace zav {

namespace {
// Makes the level of the current Levels row the component's current level (rewritten in place, so
// references the host holds follow the login) and the candidate its current operator. A current level
// without its rights object (a host may assign Nothing) fails with error 91 before anything changes.
void acceptLevel(const store::Recordset& rs, const std::shared_ptr<Class_Operator>& candidate) {
    const auto c = RequireModuleComponent();
    const auto level = c->CurrentLevel();
    if (!level || !level->cLevelEnable()) {
        throw ObjectNotSetError();
    }
    level->setCanHavePassword(true);
    access::ReadLevel(rs, *level);
    level->setPassword(access::TextOrEmpty(rs.Field(store::FieldPWD)));
    c->setCurrentOperator(candidate);
    candidate->setcLevel(level);
    shell::ShowDesktop(level->cLevelEnable()->AllowDesktop());
}

QString levelSql(int id) {
    return QStringLiteral("Select * from Levels where ID = ") + QString::number(id);
}
} // namespace

CredentialOutcome CheckCredentials(int loginMode, int levelId, const QString& operatorName,
                                   const QString& typed) {
    bool found = false;
    QString stored;
    QString refusedName = operatorName; // what the host is told of a refusal: never the password
    const auto candidate = Class_Operator::create();
    auto db = store::DefaultEngine().OpenDatabase(RequireComponent()->DbPath(),
                                                  store::OpenMode::SharedReadOnly, store::ConnectString);
    std::unique_ptr<store::Recordset> rs;
    if (loginMode == LoginModeLevel) {
        rs = db->OpenRecordset(levelSql(levelId));
        if (!rs->Eof()) {
            rs->MoveFirst();
            stored = access::TextOrEmpty(rs->Field(store::FieldPWD));
            refusedName = access::TextOrEmpty(rs->Field(store::FieldName));
            found = true;
        }
    } else {
        const QString quoted = outside::dbUtility().SqlQuote(operatorName);
        rs = db->OpenRecordset(QStringLiteral("Select * from Operators where Name = '") + quoted +
                               QStringLiteral("'"));
        if (!rs->Eof()) {
            rs->MoveFirst();
            stored = access::TextOrEmpty(rs->Field(store::FieldPWD));
            candidate->setOperatorName(access::TextOrEmpty(rs->Field(store::FieldName)));
            candidate->setPassword(stored);
            rs = db->OpenRecordset(levelSql(rs->Field(store::FieldID).toInt()));
            found = !rs->Eof();
            if (found) {
                rs->MoveFirst();
            }
        }
    }

    CredentialOutcome outcome = CredentialOutcome::WrongPassword;
    const QString& top = Mod_Globali().loginTopPassword;
    if (found && typed == stored) {
        acceptLevel(*rs, candidate);
        outcome = CredentialOutcome::Accepted;
    } else if (!top.isEmpty() && typed == top) {
        rs = db->OpenRecordset(levelSql(0));
        outcome = CredentialOutcome::NoTopLevel;
        if (!rs->Eof()) {
            rs->MoveFirst();
            acceptLevel(*rs, candidate);
            outcome = CredentialOutcome::Accepted;
        }
    }
    rs->Close();
    db->Close();
    if (outcome == CredentialOutcome::WrongPassword) {
        // The database is closed: a slot may open it.
        if (const auto c = ModuleComponent()) {
            TellHost("loginFailed", [&] { Q_EMIT c->loginFailed(refusedName, loginMode); });
        }
    }
    return outcome;
}

} // namespace zav
