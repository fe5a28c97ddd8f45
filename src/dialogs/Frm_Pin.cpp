#include "dialogs/Frm_Pin.h"

#include "base/PanelLook.h"
#include "base/ReportedErrors.h"
#include "dialogs/DialogControls.h"
#include "language/BadgeTexts.h"
#include "language/CurrentLanguageProvider.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace zav {

using language::BadgeText;
using language::BadgeTextOf;

namespace {
// The longest PIN the pad takes.
constexpr int LongestPin = 32;
} // namespace

Frm_Pin::Frm_Pin(const QString& operatorName, QWidget* parent) : PanelDialog(parent) {
    buildControls(operatorName);
}

void Frm_Pin::buildControls(const QString& operatorName) {
    setObjectName(QStringLiteral("Frm_Pin"));
    setWindowTitle(BadgeTextOf(BadgeText::PinTitle));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    // A panel without title bars still says whose PIN is asked.
    m_heading = manage::MakeHeading(this, BadgeTextOf(BadgeText::PinOf).arg(operatorName));

    m_pin = new QLineEdit(this);
    m_pin->setObjectName(QStringLiteral("Text_Pin"));
    m_pin->setEchoMode(QLineEdit::Password);
    m_pin->setMaxLength(LongestPin);
    m_pin->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_pin));
    m_pin->setAlignment(Qt::AlignCenter);
    m_pin->setPlaceholderText(BadgeTextOf(BadgeText::PinTitle));
    QFont large = m_pin->font();
    large.setPointSize(std::max(large.pointSize(), 10) * 2);
    m_pin->setFont(large);

    auto* keys = new QGridLayout;
    const QStringList faces{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                            QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6"),
                            QStringLiteral("7"), QStringLiteral("8"), QStringLiteral("9"),
                            QStringLiteral("C"), QStringLiteral("0"), QStringLiteral("\u2190")};
    const int side = TouchTargetPixels(this) * 3 / 2;
    for (int i = 0; i < faces.size(); ++i) {
        auto* key = new QPushButton(faces[i], this);
        key->setObjectName(QStringLiteral("Cmd_Key%1").arg(i));
        key->setFocusPolicy(Qt::NoFocus); // the box keeps the focus for a keyboard's digits
        key->setAutoDefault(false);
        key->setMinimumSize(side, side);
        key->setFont(large);
        if (i == 9 || i == 11) {
            const QString what = BadgeTextOf(i == 9 ? BadgeText::Clear : BadgeText::Back);
            key->setToolTip(what);
            key->setAccessibleName(what);
        }
        connect(key, &QPushButton::clicked, this, [this, face = faces[i]] { press(face); });
        keys->addWidget(key, i / 3, i % 3);
    }

    const manage::OkUndoRow okUndo = manage::MakeOkUndoRow(
        this, [this] { Cmd_Ok_Click(); }, [this] { Cmd_Undo_Click(); });
    m_cmdOk = okUndo.ok;
    m_cmdUndo = okUndo.undo;

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_heading);
    layout->addWidget(m_pin);
    layout->addLayout(keys);
    layout->addLayout(okUndo.row);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Enter in the box is Ok: the PIN is the only thing asked.
    connect(m_pin, &QLineEdit::returnPressed, this,
            [this] { RunReportingErrors([this] { Cmd_Ok_Click(); }); });
}

void Frm_Pin::press(const QString& key) {
    if (key == QLatin1String("C")) {
        m_pin->clear();
    } else if (key.size() == 1 && key[0].isDigit()) {
        m_pin->insert(key);
    } else {
        m_pin->backspace();
    }
    m_pin->setFocus();
}

void Frm_Pin::Form_Load() {
    language::languageProvider().TranslateForm(this, QString());
    NameForAccessibility(this);
    ApplyPanelLook(this);
    m_pin->setFocus();
}

QString Frm_Pin::Pin() const {
    return m_pin->text();
}

void Frm_Pin::Cmd_Ok_Click() {
    if (m_pin->text().isEmpty()) {
        m_pin->setFocus();
        return;
    }
    accept();
}

void Frm_Pin::Cmd_Undo_Click() {
    reject();
}

std::optional<QString> Frm_Pin::Ask(const QString& operatorName) {
    Frm_Pin pad(operatorName);
    pad.Form_Load();
    if (pad.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return pad.Pin();
}

} // namespace zav
