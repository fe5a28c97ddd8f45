#include "support/ComponentFixture.h"

#include "component/Frm_Login.h"
#include "store/Schema.h"
#include "support/TestSupport.h"

namespace zav::test {

QString MemoryRegistry::ReadValue(const QString& keyPath, const QString& valueName,
                                  const QString& defaultText) {
    if (failReads) {
        throw AutomationError(5, QStringLiteral("Invalid procedure call or argument"));
    }
    return values.value(keyPath + QLatin1Char('|') + valueName, defaultText);
}

void MemoryRegistry::WriteValue(const QString& keyPath, const QString& valueName, const QString& text) {
    values.insert(keyPath + QLatin1Char('|') + valueName, text);
}

ComponentEnvironment::ComponentEnvironment(bool recordMessages, const QString& dbPath)
    : m_dbPath(dbPath.isEmpty() ? path(QStringLiteral("login.db")) : dbPath) {
    outside::setRegistryAccess(registry);
    shell::setShellServices(shell);
    if (!recordMessages) {
        return;
    }
    setMessageBoxHandler([this](const QString& text, int style, const QString& title) {
        messages.append({text, style, title});
        if (answer) {
            return answer(messages.last());
        }
        return (style & 0x7) == vbYesNo ? vbNo : vbOK;
    });
}

ComponentEnvironment::~ComponentEnvironment() {
    setMessageBoxHandler(nullptr);
    shell::setShellServices(nullptr);
    outside::setRegistryAccess(nullptr);
}

void ComponentEnvironment::markGrantsDone() {
    registry->WriteValue(QStringLiteral("Software\\ZEMRO_SW\\Login"), QStringLiteral("PriceAddition"),
                         QStringLiteral("1.0.8"));
    registry->WriteValue(QStringLiteral("Software\\ZEMRO_SW\\Login"),
                         QStringLiteral("ShowEditButtonAddition"), QStringLiteral("1.0.8"));
}

std::shared_ptr<store::Database> ComponentEnvironment::open(store::OpenMode mode) const {
    return store::DefaultEngine().OpenDatabase(dbPath(), mode, store::ConnectString);
}

void ComponentEnvironment::execute(const QString& sql) const {
    auto db = open();
    db->Execute(sql);
    db->Close();
}

QVariant ComponentEnvironment::value(const QString& sql, const QString& field) const {
    auto db = open(store::OpenMode::SharedReadOnly);
    auto rs = db->OpenRecordset(sql);
    if (rs->RecordCount() == 0) {
        return QVariant();
    }
    rs->MoveFirst();
    return rs->Field(field);
}

int ComponentEnvironment::count(const QString& sql) const {
    auto db = open(store::OpenMode::SharedReadOnly);
    return db->OpenRecordset(sql)->RecordCount();
}

void ComponentEnvironment::addLevel(int id, const QString& name, const QVariant& password,
                                    bool desktop) const {
    auto db = open();
    auto rs = db->OpenRecordset(QStringLiteral("Select * from Levels order by ID"));
    rs->AddNew();
    rs->SetField(QStringLiteral("ID"), id);
    rs->SetField(QStringLiteral("Name"), name);
    rs->SetField(QStringLiteral("PWD"), password);
    rs->SetField(QStringLiteral("Desktop"), desktop);
    rs->SetField(QStringLiteral("NEnable"), 0);
    rs->Update();
}

void ComponentEnvironment::addOperator(const QString& name, const QVariant& password, int levelId) const {
    auto db = open();
    auto rs = db->OpenRecordset(QStringLiteral("Select * from Operators"));
    rs->AddNew();
    rs->SetField(QStringLiteral("Name"), name);
    rs->SetField(QStringLiteral("PWD"), password);
    rs->SetField(QStringLiteral("ID"), levelId);
    rs->Update();
}

std::shared_ptr<ZAV_Login> ComponentEnvironment::createComponent() {
    markGrantsDone();
    auto login = ZAV_Login::create();
    login->setAutoShutDown(false);
    login->setDbPath(dbPath());
    return login;
}

bool LogInThroughDialog(ZAV_Login& login, bool byLevel, const QString& entry, const QStringList& passwords,
                        QStringList* seen) {
    whenModal<Frm_Login>([&](Frm_Login* dialog) {
        if (!entry.isEmpty()) {
            choose(dialog, "Cbo_Login", entry);
        }
        for (qsizetype i = 0; i < passwords.size() && dialog->isVisible(); ++i) {
            type(dialog, "Text1", passwords[i]);
            if (seen && i + 1 < passwords.size()) {
                answerNextMessage(*seen);
            }
            click(dialog, "Cmd_Ok");
        }
        if (dialog->isVisible()) {
            dialog->reject();
        }
    });
    return byLevel ? login.LoginByLevel() : login.LoginByOperator();
}

} // namespace zav::test
