#include "dialogs/Frm_Sign.h"

#include "base/EnterMovesFocus.h"
#include "base/PanelLook.h"
#include "base/ReportedErrors.h"
#include "dialogs/DialogControls.h"
#include "dialogs/KeyboardCall.h"
#include "language/CurrentLanguageProvider.h"
#include "language/SignatureTexts.h"
#include "language/TextLookup.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zav {

using language::SignatureText;
using language::SignatureTextOf;

Frm_Sign::Frm_Sign(Setup setup, Check check, QWidget* parent)
    : PanelDialog(parent), m_setup(std::move(setup)), m_check(std::move(check)) {
    buildControls();
}

void Frm_Sign::buildControls() {
    const bool signer = m_setup.role == Role::Signer;
    setObjectName(signer ? QStringLiteral("Frm_Sign") : QStringLiteral("Frm_SecondPerson"));
    setWindowTitle(SignatureTextOf(signer ? SignatureText::SignerTitle : SignatureText::SecondPersonTitle));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto* form = new QFormLayout;
    form->setRowWrapPolicy(QFormLayout::WrapLongRows);
    const auto value = [this](const QString& text, const char* name) {
        auto* label = new QLabel(text, this);
        label->setObjectName(QString::fromLatin1(name));
        label->setWordWrap(true);
        label->setTextFormat(Qt::PlainText); // a host's text is never markup
        return label;
    };
    const auto box = [this](const char* name, bool secret) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setEchoMode(secret ? QLineEdit::Password : QLineEdit::Normal);
        MoveFocusOnEnter(edit);
        OfferKeyboardOnClick(edit);
        return edit;
    };
    m_meaning = value(m_setup.meaning, "Lbl_Meaning");
    QFont bold = m_meaning->font();
    bold.setBold(true);
    m_meaning->setFont(bold);
    form->addRow(SignatureTextOf(SignatureText::Meaning), m_meaning);
    m_action = value(m_setup.action, "Lbl_Action");
    form->addRow(SignatureTextOf(SignatureText::Action), m_action);
    if (signer) {
        m_signedBy = value(m_setup.printedName, "Lbl_SignedBy");
        form->addRow(SignatureTextOf(SignatureText::SignedBy), m_signedBy);
    }
    if (!signer || m_setup.askName) {
        m_name = box("Text_Name", false);
        form->addRow(language::LookupText(11, QStringLiteral("Name")), m_name);
    }
    m_password = box("Text_Pwd", true);
    form->addRow(language::LookupText(15, QStringLiteral("Password")), m_password);
    if (signer && !m_setup.reasons.isEmpty()) {
        m_reasonChoice = new QComboBox(this);
        m_reasonChoice->setObjectName(QStringLiteral("Cbo_Reason"));
        if (!m_setup.reasonRequired) {
            m_reasonChoice->addItem(QString());
        }
        m_reasonChoice->addItems(m_setup.reasons);
        form->addRow(SignatureTextOf(SignatureText::Reason), m_reasonChoice);
    } else if (signer) {
        m_reasonText = box("Text_Reason", false);
        form->addRow(SignatureTextOf(SignatureText::Reason), m_reasonText);
    }

    const manage::OkUndoRow okUndo = manage::MakeOkUndoRow(
        this, [this] { Cmd_Ok_Click(); }, [this] { Cmd_Undo_Click(); });
    m_cmdOk = okUndo.ok;
    m_cmdUndo = okUndo.undo;
    // A panel without a window manager shows no title bar: the dialog says itself what it asks for.
    auto* heading = value(windowTitle(), "Lbl_Title");
    QFont large = bold;
    large.setPointSizeF(bold.pointSizeF() * 1.25);
    heading->setFont(large);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addLayout(form);
    layout->addLayout(okUndo.row);
}

void Frm_Sign::Form_Load() {
    language::languageProvider().TranslateForm(this, QString());
    NameForAccessibility(this);
    if (TouchMode()) {
        ApplyPanelLook(this);
    }
    // Long actions wrap rather than widen the dialog past its screen.
    const int room = AvailableScreenArea(this).width() - WindowFrameExtra(this).width();
    setMaximumWidth(room);
    m_action->setMaximumWidth(room * 2 / 3);
    adjustSize();
    (m_name ? m_name : m_password)->setFocus();
}

void Frm_Sign::Cmd_Ok_Click() {
    Entry entry;
    entry.name = m_name ? m_name->text() : m_setup.printedName;
    entry.password = m_password->text();
    entry.reason = m_reasonChoice ? m_reasonChoice->currentText()
                   : m_reasonText ? m_reasonText->text()
                                  : QString();
    if (m_check(entry)) {
        accept();
        return;
    }
    m_password->clear();
    m_password->setFocus();
}

void Frm_Sign::Cmd_Undo_Click() {
    reject();
}

} // namespace zav
