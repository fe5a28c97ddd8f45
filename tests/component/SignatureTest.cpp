// Electronic signatures through the component's dialogs: who may sign, what the row holds, the second
// person, reasons, and wrong passwords that count toward the lockout. And an aged password, which opens
// only once it is changed.

#include "access/Class_Par.h"
#include "access/DialogHooks.h"
#include "component/CredentialCheck.h"
#include "dialogs/Frm_Sign.h"
#include "operations/AuditTrail.h"
#include "operations/Clock.h"
#include "operations/PasswordOperations.h"
#include "operations/Policy.h"
#include "operations/Signatures.h"
#include "support/ComponentFixture.h"
#include "support/TestSupport.h"

#include <ZAV_PrjLogin/AutomationError.h>

#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

using namespace zav::test;
using zav::Frm_Sign;

class SignatureTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ComponentEnvironment> env;
    std::shared_ptr<ZAV_Login> login;
    std::unique_ptr<ModalWatchdog> watchdog;

    // Fills each dialog that opens with one of `entries` (name, password, reason) in turn and presses
    // Ok; cancels a dialog still open after its entries.
    void answer(const std::vector<QStringList>& entries, const char* which = "Frm_Sign") {
        const auto wanted = [which](QWidget* w) { return w->objectName() == QLatin1String(which); };
        whenModal(wanted, [entries](QWidget* dialog) {
            for (const QStringList& entry : entries) {
                if (!dialog->isVisible()) {
                    break;
                }
                if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("Text_Name"))) {
                    name->setText(entry.value(0));
                }
                type(dialog, "Text_Pwd", entry.value(1));
                if (auto* reason = dialog->findChild<QLineEdit*>(QStringLiteral("Text_Reason"))) {
                    reason->setText(entry.value(2));
                }
                click(dialog, "Cmd_Ok");
            }
            if (dialog->isVisible()) {
                qobject_cast<QDialog*>(dialog)->reject();
            }
        });
    }
    QString lastMessage() const { return env->messages.isEmpty() ? QString() : env->messages.last().text; }
    std::optional<zav::manage::SignatureFields> lastSignature(QString* operatorName = nullptr) const {
        const auto rows = zav::manage::ReadAuditRows(env->dbPath());
        for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
            if (row->event == QLatin1String("signature")) {
                if (operatorName) {
                    *operatorName = row->operatorName + QLatin1Char('|') + row->level;
                }
                return zav::manage::ParseSignatureDetail(row->detail);
            }
        }
        return std::nullopt;
    }

private Q_SLOTS:
    void init() {
        env = std::make_unique<ComponentEnvironment>(true);
        login = env->createComponent();
        env->addLevel(2, QStringLiteral("Setter"), QStringLiteral("set"));
        env->addLevel(3, QStringLiteral("Quality"), QStringLiteral("q"));
        env->execute(QStringLiteral("Update Levels set Custom5 = true where ID = 3"));
        env->addOperator(QStringLiteral("anna"), QStringLiteral("anna-pw"), 2);
        env->addOperator(QStringLiteral("bob"), QStringLiteral("bob-pw"), 2);
        env->addOperator(QStringLiteral("carl"), QStringLiteral("carl-pw"), 3);
        login->Logout(); // the logout level is the new largest one
        zav::manage::SetPolicyEntry(env->dbPath(), QStringLiteral("audit"), QStringLiteral("on"));
        watchdog = std::make_unique<ModalWatchdog>(20000);
    }
    void cleanup() {
        watchdog.reset();
        login.reset();
        env.reset();
    }

    void onlyAnOperatorLoggedInByNameSignsAndTheRowHoldsEveryField() {
        QVERIFY(!login->Sign(QStringLiteral("Approved"), QStringLiteral("Batch 7")));
        QVERIFY(LogInThroughDialog(*login, true, QStringLiteral("Setter"), {QStringLiteral("set")}));
        env->messages.clear();
        QVERIFY(!login->Sign(QStringLiteral("Approved"), QStringLiteral("Batch 7")));
        QCOMPARE(lastMessage(), QStringLiteral("Only an operator logged in by name can sign."));
        QVERIFY(login->Logout());
        QVERIFY(LogInThroughDialog(*login, false, QStringLiteral("anna"), {QStringLiteral("anna-pw")}));

        // The first signing of a login asks the name as well; level 0's password signs nothing.
        answer({{"bob", "anna-pw"}, {"anna", "KWB_Merlato"}, {"ANNA", "anna-pw", "  Checked twice "}});
        QVERIFY(login->Sign(QStringLiteral("Approved"), QStringLiteral("Batch 7 \"released\"")));
        QCOMPARE(env->messages.mid(env->messages.size() - 2).first().text,
                 QStringLiteral("The name does not match the operator logged in."));
        QCOMPARE(lastMessage(), QStringLiteral("Wrong password"));
        QString who;
        auto fields = lastSignature(&who);
        QVERIFY(fields);
        QCOMPARE(who, QStringLiteral("anna|Setter"));
        QCOMPARE(
            (QStringList{fields->name, fields->meaning, fields->action, fields->reason, fields->verifier}),
            (QStringList{"anna", "Approved", "Batch 7 \"released\"", "Checked twice", ""}));
        const QDateTime signedAt = QDateTime::fromString(fields->time, Qt::ISODate);
        QVERIFY2(signedAt.isValid() && (fields->time.endsWith(u'Z') || fields->time.contains(u'+') ||
                                        fields->time.lastIndexOf(u'-') > 10),
                 qPrintable(fields->time));
        QVERIFY(qAbs(signedAt.secsTo(QDateTime::currentDateTimeUtc())) < 60);

        // The next one of the same login asks the password alone.
        bool asked = true;
        whenModal<Frm_Sign>([&](Frm_Sign* dialog) {
            asked = dialog->findChild<QLineEdit*>(QStringLiteral("Text_Name")) != nullptr;
            dialog->reject();
        });
        QVERIFY(!login->Sign(QStringLiteral("Reviewed"), QStringLiteral("Batch 8")));
        QVERIFY(!asked);
        QVERIFY(zav::manage::VerifyAuditTrail(env->dbPath()).intact);

        zav::manage::SetPolicyEntry(env->dbPath(), QStringLiteral("audit"), QStringLiteral("off"));
        QVERIFY(!login->Sign(QStringLiteral("Approved"), QStringLiteral("Batch 9")));
        QVERIFY(lastMessage().startsWith(QStringLiteral("A signature needs the audit trail")));
    }

    void theSecondPersonIsAnotherOperatorWithTheRightAndAReasonCanBeRequired() {
        zav::manage::SetPolicyEntry(env->dbPath(), QStringLiteral("signature-reason-required"),
                                    QStringLiteral("on"));
        QVERIFY(LogInThroughDialog(*login, false, QStringLiteral("anna"), {QStringLiteral("anna-pw")}));
        answer({{"anna", "anna-pw", ""}, {"anna", "anna-pw", "Line clearance"}});
        answer({{"Anna", "anna-pw"}, {"bob", "bob-pw"}, {"carl", "carl-pw"}}, "Frm_SecondPerson");
        QVERIFY(login->Verify(QStringLiteral("Performed"), QStringLiteral("Line 2"), 5));
        QCOMPARE(env->messages.size(), 3);
        QCOMPARE(env->messages[0].text, QStringLiteral("A reason is required."));
        QCOMPARE(env->messages[1].text, QStringLiteral("The second person must be another operator."));
        QCOMPARE(env->messages[2].text, QStringLiteral("bob does not hold the right this action needs."));
        QCOMPARE(lastSignature()->verifier, QStringLiteral("carl"));
        QCOMPARE(lastSignature()->reason, QStringLiteral("Line clearance"));
        int refused = 0;
        try {
            login->Verify(QStringLiteral("Performed"), QStringLiteral("Line 2"), 105);
        } catch (const AutomationError& error) {
            refused = error.Number();
        }
        QCOMPARE(refused, 9);

        // The row is checked again when written: what changed since the dialogs is refused.
        using zav::manage::SignatureOutcome;
        const auto record = [&](const QString& reason, const QString& second, int right) {
            return zav::manage::RecordSignature(env->dbPath(), {"M", "A", reason, "anna", second, right})
                .outcome;
        };
        QCOMPARE(record(QStringLiteral(" "), QStringLiteral("carl"), 5), SignatureOutcome::ReasonMissing);
        QCOMPARE(record(QStringLiteral("r"), QStringLiteral("ANNA"), 5), SignatureOutcome::SameOperator);
        QCOMPARE(record(QStringLiteral("r"), QStringLiteral("carl"), 6), SignatureOutcome::LacksRight);
        QCOMPARE(record(QStringLiteral("r"), QStringLiteral("carl"), zav::manage::RightDesktop),
                 SignatureOutcome::LacksRight);
    }

    void wrongSignaturePasswordsLockOutAndAlertTheHost() {
        zav::manage::SetPolicyEntry(env->dbPath(), QStringLiteral("lockout-attempts"), QStringLiteral("2"));
        QVERIFY(LogInThroughDialog(*login, false, QStringLiteral("anna"), {QStringLiteral("anna-pw")}));
        QSignalSpy alerts(login.get(), &ZAV_Login::securityAlert);
        answer({{"anna", "x1"}, {"anna", "x2"}, {"anna", "anna-pw"}});
        QVERIFY(!login->Sign(QStringLiteral("Approved"), QStringLiteral("Batch 7")));
        QCOMPARE(alerts.count(), 1);
        QVERIFY(alerts.first().first().toString().contains(QStringLiteral("anna")));
        QStringList events;
        for (const auto& row : zav::manage::ReadAuditRows(env->dbPath())) {
            events << row.event;
        }
        QCOMPARE(events.mid(events.size() - 3),
                 (QStringList{"signature-failed", "signature-failed", "lockout"}));
        QVERIFY(!lastSignature());
    }

    void anAgedPasswordOpensOnlyOnceChangedInThePasswordDialog() {
        using zav::CredentialOutcome;
        zav::manage::SetPolicyEntry(env->dbPath(), QStringLiteral("password-max-age-days"),
                                    QStringLiteral("30"));
        zav::manage::SetClockForTests([] { return QDateTime::currentDateTimeUtc().addDays(31); });
        QStringList asked;
        bool change = false;
        zav::access::setChangePasswordOpener([&](zav::Class_Par& par, const auto&, const auto& who) {
            asked << who->OperatorNameText();
            const auto stored =
                change ? zav::manage::StoreOperatorPassword(env->dbPath(), "anna", "fresh-1", true)
                       : std::nullopt;
            par.Result = stored.has_value();
            par.Text = stored.value_or(QString());
        });
        QCOMPARE(zav::CheckCredentials(1, 0, "anna", "anna-pw"), CredentialOutcome::ChangeRefused);
        QVERIFY(login->IsLogoutLevel());
        QVERIFY(lastMessage().contains(QStringLiteral("expired")));
        change = true;
        QCOMPARE(zav::CheckCredentials(1, 0, "anna", "anna-pw"), CredentialOutcome::Accepted);
        QCOMPARE(login->CurrentOperator()->OperatorNameText(), QStringLiteral("anna"));
        QVERIFY(login->Logout());
        QCOMPARE(zav::CheckCredentials(1, 0, "anna", "fresh-1"), CredentialOutcome::Accepted);
        QCOMPARE(asked, (QStringList{"anna", "anna"})); // the new password is not old
        zav::access::setChangePasswordOpener(nullptr);
        zav::manage::SetClockForTests(nullptr);
    }
};

QTEST_MAIN(SignatureTest)
#include "SignatureTest.moc"
