#include "outside/ScreenKeyboardWidget.h"

#include "base/PanelLook.h"
#include "base/Twips.h"

#include <QFrame>
#include <QGridLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace zav::outside {

namespace {
// Half an inch: comfortably above the 0.4 inch a fingertip needs.
constexpr double KeyTwips = 720.0;

// The letter layout is a grid of half-key columns so that the rows can be staggered.
constexpr int KeySpan = 2;
const QString DigitRow = QStringLiteral("1234567890");

struct Symbol {
    QChar character;
    const char* name;
};
const Symbol LeadingSymbols[] = {
    {u'-', "Minus"}, {u'_', "Underscore"}, {u'.', "Period"}, {u'@', "At"}, {u'#', "Hash"}};
const Symbol TrailingSymbols[] = {{u'!', "Exclamation"}, {u'?', "Question"}};

// The rows as keys can show them: letters only, each once, in lower case. What a row cannot hold as one
// key (characters outside the basic plane, digits, symbols that have keys of their own) is left out.
QStringList letterRowsOf(const QStringList& rows) {
    QStringList keys;
    QString seen;
    for (const QString& row : rows) {
        QString letters;
        for (const QChar character : row) {
            const QChar letter = character.toLower();
            if (letter.isLetter() && !letter.isSurrogate() && !seen.contains(letter)) {
                letters += letter;
                seen += letter;
            }
        }
        if (!letters.isEmpty()) {
            keys.append(letters);
        }
    }
    return keys.isEmpty() ? KeyboardLayout().letterRows : keys;
}

QLineEdit::EchoMode displayEchoFor(QLineEdit::EchoMode boxMode) {
    // The display is always being edited, so "clear while editing" would show the password: hide it.
    return boxMode == QLineEdit::PasswordEchoOnEdit ? QLineEdit::Password : boxMode;
}
} // namespace

ScreenKeyboardWidget::ScreenKeyboardWidget(QLineEdit* box, QWidget* parent)
    : ScreenKeyboardWidget(box, currentKeyboardLayout(), parent) {}

ScreenKeyboardWidget::ScreenKeyboardWidget(QLineEdit* box, KeyboardLayout layout, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_box(box), m_texts(std::move(layout)) {
    setObjectName(QStringLiteral("ScreenKeyboard"));
    setModal(true);
    m_keySize =
        std::max({TwipsToPixelsX(KeyTwips, box), TwipsToPixelsY(KeyTwips, box), TouchTargetPixels(box)});
    QFont keyFont = font();
    keyFont.setPixelSize(std::max(12, m_keySize * 2 / 5));
    setFont(keyFont);

    m_display = new QLineEdit(this);
    m_display->setObjectName(QStringLiteral("Display"));
    m_display->setMinimumHeight(m_keySize);
    if (box) {
        m_display->setEchoMode(displayEchoFor(box->echoMode()));
        m_display->setMaxLength(box->maxLength());
        m_display->setValidator(box->validator());
        m_display->setText(box->text());
    }

    m_layouts = new QStackedWidget(this);
    m_letterPage = buildLetterLayout();
    m_numericPage = buildNumericLayout();
    m_layouts->addWidget(m_letterPage);
    m_layouts->addWidget(m_numericPage);
    QWidget* controls = buildControlRow();
    if (wantsDigits(box)) {
        toggleLayout();
    }

    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Box | QFrame::Raised);
    frame->setLineWidth(2);
    auto* inner = new QVBoxLayout(frame);
    inner->setSpacing(m_keySize / 8);
    inner->addWidget(m_display);
    inner->addWidget(m_layouts);
    inner->addWidget(controls);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);
    NameForAccessibility(this);
}

QLineEdit* ScreenKeyboardWidget::box() const {
    return m_box.data();
}

bool ScreenKeyboardWidget::wantsDigits(const QLineEdit* box) {
    if (!box) {
        return false;
    }
    return box->property("DigitsOnly").toBool() || box->inputMethodHints().testFlag(Qt::ImhDigitsOnly) ||
           qobject_cast<const QIntValidator*>(box->validator()) != nullptr;
}

bool ScreenKeyboardWidget::numericLayoutShown() const {
    return m_layouts->currentWidget() == m_numericPage;
}

QPushButton* ScreenKeyboardWidget::addKey(QGridLayout* grid, const QString& name, const QString& label,
                                          int row, int column, int columnSpan) {
    auto* key = new QPushButton(label);
    key->setObjectName(name);
    // Keys never take the focus, so the display keeps its cursor and a physical keyboard keeps working.
    key->setFocusPolicy(Qt::NoFocus);
    key->setAutoDefault(false);
    key->setMinimumSize(m_keySize, m_keySize);
    key->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    grid->addWidget(key, row, column, 1, columnSpan);
    return key;
}

QPushButton* ScreenKeyboardWidget::addCharacterKey(QGridLayout* grid, const QString& name, QChar character,
                                                   int row, int column) {
    QPushButton* key = addKey(grid, name, QString(character), row, column, KeySpan);
    connect(key, &QPushButton::clicked, this, [this, character] { typeCharacter(character); });
    return key;
}

QWidget* ScreenKeyboardWidget::buildLetterLayout() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("LetterLayout"));
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(m_keySize / 10);
    for (int i = 0; i < DigitRow.size(); ++i) {
        addCharacterKey(grid, QStringLiteral("Key_") + DigitRow[i], DigitRow[i], 0, i * KeySpan);
    }
    // Each letter row starts half a key further right than the one above it.
    const QStringList rows = letterRowsOf(m_texts.letterRows);
    const int lastRow = static_cast<int>(rows.size());
    for (int row = 0; row < lastRow; ++row) {
        const QString& letters = rows[row];
        const int indent = row == lastRow - 1 ? 3 : row % 2;
        for (int i = 0; i < letters.size(); ++i) {
            QPushButton* key = addCharacterKey(grid, QStringLiteral("Key_") + letters[i], letters[i], row + 1,
                                               indent + i * KeySpan);
            m_letterKeys.emplaceBack(key, letters[i]);
        }
    }
    m_shiftKey = addKey(grid, QStringLiteral("Key_Shift"), QStringLiteral("\u21e7"), lastRow, 0, 3);
    m_shiftKey->setAccessibleName(m_texts.shift);
    m_shiftKey->setCheckable(true);
    connect(m_shiftKey, &QPushButton::toggled, this, &ScreenKeyboardWidget::setShift);

    const int symbolRow = lastRow + 1;
    int column = 0;
    for (const Symbol& symbol : LeadingSymbols) {
        addCharacterKey(grid, QStringLiteral("Key_") + QLatin1String(symbol.name), symbol.character,
                        symbolRow, column);
        column += KeySpan;
    }
    QPushButton* space =
        addKey(grid, QStringLiteral("Key_Space"), m_texts.space, symbolRow, column, 3 * KeySpan);
    space->setAccessibleName(m_texts.space);
    connect(space, &QPushButton::clicked, this, [this] { typeCharacter(u' '); });
    column += 3 * KeySpan;
    for (const Symbol& symbol : TrailingSymbols) {
        addCharacterKey(grid, QStringLiteral("Key_") + QLatin1String(symbol.name), symbol.character,
                        symbolRow, column);
        column += KeySpan;
    }
    return page;
}

QWidget* ScreenKeyboardWidget::buildNumericLayout() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("NumericLayout"));
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(m_keySize / 10);
    // A phone-style pad centred between two stretching columns: 7 8 9 / 4 5 6 / 1 2 3 / 0.
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1 + 3 * KeySpan, 1);
    for (int digit = 0; digit <= 9; ++digit) {
        const int row = digit == 0 ? 3 : 2 - (digit - 1) / 3;
        const int column = digit == 0 ? 1 : (digit - 1) % 3;
        const QChar character(u'0' + digit);
        QPushButton* key =
            addCharacterKey(grid, QStringLiteral("Pad_") + character, character, row, 1 + column * KeySpan);
        key->setMinimumWidth(m_keySize * 3 / 2);
    }
    return page;
}

QWidget* ScreenKeyboardWidget::buildControlRow() {
    auto* row = new QWidget;
    auto* grid = new QGridLayout(row);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(m_keySize / 10);
    m_layoutKey = addKey(grid, QStringLiteral("Key_Layout"), m_texts.toDigits, 0, 0);
    connect(m_layoutKey, &QPushButton::clicked, this, &ScreenKeyboardWidget::toggleLayout);
    QPushButton* backspace = addKey(grid, QStringLiteral("Key_Backspace"), QStringLiteral("\u2190"), 0, 1);
    backspace->setAccessibleName(m_texts.backspace);
    backspace->setAutoRepeat(true);
    connect(backspace, &QPushButton::clicked, m_display, &QLineEdit::backspace);
    QPushButton* cancel = addKey(grid, QStringLiteral("Key_Cancel"), m_texts.cancel, 0, 2);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    QPushButton* ok = addKey(grid, QStringLiteral("Key_Ok"), m_texts.ok, 0, 3);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    return row;
}

void ScreenKeyboardWidget::typeCharacter(QChar character) {
    const bool shifted = m_shiftKey->isChecked();
    // QChar's capital, not QString's: ß has no single capital and types as itself.
    m_display->insert(QString(shifted ? character.toUpper() : character));
    if (shifted) {
        m_shiftKey->setChecked(false);
    }
}

void ScreenKeyboardWidget::setShift(bool on) {
    for (const auto& [key, letter] : std::as_const(m_letterKeys)) {
        key->setText(QString(on ? letter.toUpper() : letter));
    }
}

void ScreenKeyboardWidget::toggleLayout() {
    const bool toNumeric = !numericLayoutShown();
    m_layouts->setCurrentWidget(toNumeric ? m_numericPage : m_letterPage);
    m_layoutKey->setText(toNumeric ? m_texts.toLetters : m_texts.toDigits);
}

void ScreenKeyboardWidget::accept() {
    if (QLineEdit* box = m_box.data()) {
        // Replacing the selection edits the box like typing does: its limits apply, and it signals an edit.
        box->selectAll();
        box->insert(m_display->text());
    }
    QDialog::accept();
}

void ScreenKeyboardWidget::setVisible(bool visible) {
    QDialog::setVisible(visible);
    if (visible) {
        // A dialog hands its first focus over as if by Tab, which selects the whole text: start at the end.
        m_display->end(false);
    }
}

void ScreenKeyboardWidget::showEvent(QShowEvent* event) {
    // Sizes settle only once the keyboard is being shown, still before it appears on the screen.
    adjustSize();
    placeNearBox();
    QDialog::showEvent(event);
}

void ScreenKeyboardWidget::placeNearBox() {
    const QLineEdit* box = m_box.data();
    const QScreen* screen = box ? box->screen() : this->screen();
    if (!screen) {
        return;
    }
    const QRect area = screen->availableGeometry();
    const QSize size = frameGeometry().size();
    const int gap = m_keySize / 8;
    QRect boxRect = area;
    if (box) {
        boxRect = QRect(box->mapToGlobal(QPoint(0, 0)), box->size());
    }
    // Below the box if it fits, else above it, else below it once its window has made room.
    int y = boxRect.bottom() + 1 + gap;
    if (y + size.height() > area.bottom() + 1) {
        y = boxRect.top() - gap - size.height();
    }
    if (y < area.top()) {
        y = box ? moveBoxWindowToFit(boxRect, size.height(), gap, area).bottom() + 1 + gap : area.top();
    }
    y = std::max(area.top(), std::min(y, area.bottom() + 1 - size.height()));
    const int x = std::max(area.left(), std::min(boxRect.left(), area.right() + 1 - size.width()));
    move(x, y);
}

QRect ScreenKeyboardWidget::moveBoxWindowToFit(QRect boxRect, int keyboardHeight, int gap,
                                               const QRect& area) {
    QWidget* window = m_box ? m_box->window() : nullptr;
    if (!window || window == this) {
        return boxRect;
    }
    // The box goes as high as it must for the keyboard to fit below it, but stays on the screen.
    const int top = std::max(area.top(), area.bottom() + 1 - keyboardHeight - gap - boxRect.height());
    const int shift = top - boxRect.top();
    if (shift != 0) {
        m_movedWindow = window;
        m_windowShift += shift;
        window->move(window->pos() + QPoint(0, shift));
        boxRect.translate(0, shift);
    }
    return boxRect;
}

void ScreenKeyboardWidget::hideEvent(QHideEvent* event) {
    if (QWidget* window = m_movedWindow.data()) {
        window->move(window->pos() - QPoint(0, m_windowShift));
    }
    m_movedWindow = nullptr;
    m_windowShift = 0;
    QDialog::hideEvent(event);
}

} // namespace zav::outside
