#include "access/Class_Par.h"
#include "access/DialogHooks.h"

#include <ZAV_PrjLogin/Class_Operator.h>

Class_Operator::Class_Operator(Token) {}
Class_Operator::~Class_Operator() = default;

std::shared_ptr<Class_Operator> Class_Operator::create() {
    return std::make_shared<Class_Operator>(Token{});
}

QVariant Class_Operator::OperatorName() const {
    if (m_nameObject) {
        return QVariant::fromValue(m_nameObject.get());
    }
    return m_name;
}

void Class_Operator::setOperatorName(const QVariant& v) {
    m_nameObject.reset();
    m_name = v;
}

void Class_Operator::setOperatorNameObject(std::shared_ptr<QObject> object) {
    m_name = QVariant();
    m_nameObject = std::move(object);
}

QString Class_Operator::OperatorNameText() const {
    if (m_nameObject || !m_name.isValid()) {
        return QString();
    }
    return m_name.toString();
}

bool Class_Operator::ChangePassword(bool LockOldPWD) {
    // An operator with no name (an empty text, or nothing at all) has nothing to change.
    if (!m_nameObject && OperatorNameText().isEmpty()) {
        return false;
    }
    zav::Class_Par par;
    par.LoginMode = zav::LoginModeOperator;
    par.LockOldPWD = LockOldPWD;
    zav::access::openChangePasswordDialog(par, nullptr, shared_from_this());
    return par.Result;
}
