#pragma once

// A touch-friendly keyboard for one text box. It edits a copy of the box's text in its own display line
// (same echo mode, length limit and validator as the box, so a password never appears in clear) and
// writes it into the box on OK; Cancel leaves the box as it was.
//
// Keys are buttons named for tests and automation: "Key_" + the letter for each letter of the language's
// rows ("Key_a", "Key_ä", ...), "Key_0" ... "Key_9", the symbol keys ("Key_Minus", "Key_At", ...),
// "Key_Space", "Key_Shift" on the letter layout; "Pad_0" ... "Pad_9" on the numeric layout;
// "Key_Backspace", "Key_Layout", "Key_Ok", "Key_Cancel" on both. Captions and letter rows come from a
// KeyboardLayout (by default the current language's). Shift is one-shot: it capitalises the next letter
// and then releases; a letter without a single capital (ß) stays as it is.
//
// Where neither below nor above the box there is room, the box's window moves up until box and keyboard
// fit one above the other, and goes back when the keyboard closes.
//
// The numeric layout comes first when the box asks for digits: a dynamic property "DigitsOnly" that is
// true, the input method hint Qt::ImhDigitsOnly, or a QIntValidator. "Key_Layout" switches either way.

#include "outside/KeyboardLayout.h"

#include "base/OpenDialogs.h"

#include <QDialog>
#include <QPointer>
#include <utility>

class QLineEdit;
class QPushButton;
class QStackedWidget;
class QGridLayout;

namespace zav::outside {

class ScreenKeyboardWidget : public QDialog {
    Q_OBJECT
public:
    explicit ScreenKeyboardWidget(QLineEdit* box, QWidget* parent = nullptr);
    ScreenKeyboardWidget(QLineEdit* box, KeyboardLayout layout, QWidget* parent = nullptr);

    static bool wantsDigits(const QLineEdit* box);
    // The box the keyboard types into (nullptr once it is gone).
    QLineEdit* box() const;
    bool numericLayoutShown() const;

    // Writes the display's text into the box as if typed there (the box's own limits apply).
    void accept() override;
    void setVisible(bool visible) override;

protected:
    // Places the keyboard near the box and on the screen before it appears.
    void showEvent(QShowEvent* event) override;
    // Puts a window that was moved out of the keyboard's way back.
    void hideEvent(QHideEvent* event) override;

private:
    OpenDialogScope m_open{this}; // a logout closes the keyboard too, typing nothing
    QWidget* buildLetterLayout();
    QWidget* buildNumericLayout();
    QWidget* buildControlRow();
    QPushButton* addKey(QGridLayout* grid, const QString& name, const QString& label, int row, int column,
                        int columnSpan = 1);
    QPushButton* addCharacterKey(QGridLayout* grid, const QString& name, QChar character, int row,
                                 int column);
    void typeCharacter(QChar character);
    void setShift(bool on);
    void toggleLayout();
    void placeNearBox();
    // Moves the box's window so that the keyboard fits below the box; returns the box's new place.
    QRect moveBoxWindowToFit(QRect boxRect, int keyboardHeight, int gap, const QRect& area);

    QPointer<QLineEdit> m_box;
    KeyboardLayout m_texts;
    QPointer<QWidget> m_movedWindow;
    int m_windowShift = 0;
    QLineEdit* m_display = nullptr;
    QStackedWidget* m_layouts = nullptr;
    QWidget* m_letterPage = nullptr;
    QWidget* m_numericPage = nullptr;
    QPushButton* m_shiftKey = nullptr;
    QPushButton* m_layoutKey = nullptr;
    QList<std::pair<QPushButton*, QChar>> m_letterKeys;
    int m_keySize = 0;
};

} // namespace zav::outside
