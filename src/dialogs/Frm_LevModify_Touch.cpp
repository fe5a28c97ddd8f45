// The rights dialog in touch-screen mode. The twips layout puts 25-pixel boxes in three fixed columns of
// a window wider than a small panel; here the same boxes, built and set up as in mouse mode, go into a
// grid of finger-sized rows with as many columns as the screen takes, inside a scroll area, and OK and
// Undo sit below it where scrolling never takes them.

#include "dialogs/Frm_LevModify.h"

#include "base/PanelLook.h"
#include "dialogs/DialogControls.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

namespace zav::manage {

namespace {
// Room between boxes, so that a finger meant for one box does not touch its neighbour.
constexpr int RowGap = 6;
constexpr int ColumnGap = 18;

// Breaks a caption between words so that each line fits `width` pixels (a single word longer than
// that stays whole).
QString wrapped(const QString& text, const QFontMetrics& metrics, int width) {
    QStringList lines;
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (!line.isEmpty() && metrics.horizontalAdvance(longer) > width) {
            lines << line;
            line = word;
        } else {
            line = longer;
        }
    }
    if (!line.isEmpty()) {
        lines << line;
    }
    return lines.join(QLatin1Char('\n'));
}

int horizontal(const QMargins& margins) {
    return margins.left() + margins.right();
}
} // namespace

void Frm_LevModify::arrangeForTouch() {
    std::vector<QCheckBox*> boxes;
    for (QCheckBox* box : {Check_Manage[0], Check_Manage[1], Check_ShutDown, Check_Desktop}) {
        if (!box->isHidden()) {
            boxes.push_back(box);
        }
    }
    std::copy_if(m_customChecks.begin(), m_customChecks.end(), std::back_inserter(boxes),
                 [](const QCheckBox* box) { return !box->isHidden(); });

    auto* area = new QScrollArea(this);
    area->setObjectName(QStringLiteral("Scroll_Lev"));
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    auto* grid = new QGridLayout(Fra_Lev);
    grid->setHorizontalSpacing(ColumnGap);
    grid->setVerticalSpacing(RowGap);
    auto* outer = new QVBoxLayout(this);
    // The panel style sheet decides the sizes measured below; the dialog is polished already, the boxes
    // built since and the scroll area not yet.
    for (QWidget* widget : std::initializer_list<QWidget*>{area, Fra_Lev}) {
        widget->ensurePolished();
    }
    for (QCheckBox* box : boxes) {
        box->ensurePolished();
    }

    // The width a column may take: the screen less the window frame, the margins and the scroll bar.
    const QSize room = ClientRoom(this);
    const int bar = std::max({area->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, area),
                              area->verticalScrollBar()->sizeHint().width(), TouchTargetPixels(this)});
    const int usable = room.width() - horizontal(outer->contentsMargins()) - bar -
                       horizontal(Fra_Lev->contentsMargins()) - horizontal(grid->contentsMargins());
    // The columns are as wide as the widest caption that leaves room for a second column; a longer one
    // wraps to that width, so that one long caption does not cost the others their columns.
    const int half = (usable - ColumnGap) / 2;
    int column = 0;
    for (const QCheckBox* box : boxes) {
        const int width = box->sizeHint().width();
        column = std::max(column, width <= half ? width : 0);
    }
    if (column == 0) {
        column = usable;
    }
    for (QCheckBox* box : boxes) {
        if (box->sizeHint().width() > column) {
            const QFontMetrics metrics(box->font());
            const int indicator = box->sizeHint().width() - metrics.horizontalAdvance(box->text());
            box->setText(wrapped(box->text(), metrics, column - indicator));
            // The panel's one-line minimum would let the scroll area squeeze the lines together; a rule
            // of the box's own outlives the polishing that moving into the scroll area repeats.
            box->setStyleSheet(
                QStringLiteral("QCheckBox { min-height: %1px; }").arg(box->sizeHint().height()));
        }
    }
    for (const QCheckBox* box : boxes) {
        column = std::max(column, box->sizeHint().width()); // a word wider than the column
    }
    const int columns = std::clamp((usable + ColumnGap) / (column + ColumnGap), 1,
                                   std::max(1, static_cast<int>(boxes.size())));
    for (int i = 0; i < static_cast<int>(boxes.size()); ++i) {
        grid->addWidget(boxes[i], i / columns, i % columns);
    }
    for (int c = 0; c < columns; ++c) {
        grid->setColumnMinimumWidth(c, column);
    }
    // Spare room stays below and right of the boxes instead of spreading them apart.
    grid->setRowStretch(grid->rowCount(), 1);
    grid->setColumnStretch(columns, 1);
    area->setWidget(Fra_Lev);
    // Sideways only for a single word wider than the screen; otherwise a bar that would stay empty.
    if (column <= usable) {
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }

    for (QWidget* fixed : {static_cast<QWidget*>(Cmd_Ok), static_cast<QWidget*>(Cmd_Undo)}) {
        fixed->setMinimumSize(fixed->size().expandedTo(fixed->sizeHint()));
    }
    Image1->setFixedSize(Image1->size());
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Image1);
    buttons->addStretch();
    buttons->addWidget(Cmd_Ok);
    buttons->addWidget(Cmd_Undo);
    buttons->addStretch();
    buttons->addSpacing(Image1->width()); // keeps the buttons in the middle
    outer->addWidget(area, 1);
    outer->addLayout(buttons);

    // As large as the boxes need, and no larger than the screen; the scroll bar only when they do not fit.
    const QMargins margins = outer->contentsMargins();
    const QSize content = Fra_Lev->sizeHint();
    const int fullHeight =
        margins.top() + content.height() + outer->spacing() + buttons->sizeHint().height() + margins.bottom();
    const bool scrolls = fullHeight > room.height();
    setMinimumSize(0, 0);
    setFixedSize(std::min(room.width(), horizontal(margins) + content.width() + (scrolls ? bar : 0)),
                 std::min(room.height(), fullHeight));
    CentreOnScreen(this);
}

} // namespace zav::manage
