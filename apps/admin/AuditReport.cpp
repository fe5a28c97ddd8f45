#include "AuditReport.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTextOption>
#include <algorithm>
#include <array>

namespace zav::admin {

namespace {

constexpr int Resolution = 300; // dots per inch of the page's coordinates
constexpr double MarginMm = 15;
constexpr double PaddingMm = 1.0;

struct Column {
    const char* title;
    double share; // of the page's width
};
constexpr std::array<Column, 6> Columns{{{"#", 0.04},
                                         {"Time (UTC)", 0.25},
                                         {"Event", 0.16},
                                         {"Operator", 0.12},
                                         {"Level", 0.10},
                                         {"Detail", 0.33}}};

const QColor Rule(0x99, 0x99, 0x99);
const QColor HeadingShade(0xe4, 0xe4, 0xe4);
const QColor SignatureShade(0xff, 0xef, 0xb8);
const QColor SignatureMark(0xb0, 0x78, 0x00);
const QColor Broken(0xb0, 0x00, 0x00);

QStringList cellsOf(const manage::AuditRow& row) {
    return {QString::number(row.seq), row.time, row.event, row.operatorName, row.level, row.detail};
}

QStringList headings() {
    QStringList titles;
    for (const Column& column : Columns) {
        titles << QString::fromLatin1(column.title);
    }
    return titles;
}

class ReportPainter {
public:
    ReportPainter(QPdfWriter& writer, const AuditReport& report)
        : m_writer(writer), m_report(report), m_painter(&writer) {
        const QRect area = writer.pageLayout().paintRectPixels(writer.resolution());
        m_width = area.width();
        m_bottom = area.height();
        m_body.setFamily(QStringLiteral("DejaVu Sans"));
        m_body.setPointSizeF(8);
        m_bold = m_body;
        m_bold.setBold(true);
        m_title = m_bold;
        m_title.setPointSizeF(12);
        m_wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    }

    void paint() {
        m_headerBottom = header(0, 0, false);
        std::vector<double> heights;
        for (const auto& row : m_report.rows) {
            heights.push_back(rowHeight(cellsOf(row)));
        }
        const double headingHeight = rowHeight(headings());
        // Each page's first row; a row goes to the next page when it does not fit whole.
        std::vector<size_t> starts{0};
        double top = firstPage(false) + headingHeight;
        for (size_t i = 0; i < heights.size(); ++i) {
            if (top + heights[i] > m_bottom && i > starts.back()) {
                starts.push_back(i);
                top = m_headerBottom + headingHeight;
            }
            top += heights[i];
        }
        const int pages = int(starts.size());
        for (int page = 0; page < pages; ++page) {
            if (page > 0) {
                m_writer.newPage();
            }
            header(page + 1, pages, true);
            top = page == 0 ? firstPage(true) : m_headerBottom;
            top += paintRow(top, headings(), RowStyle::Heading);
            const size_t end = page + 1 < pages ? starts[size_t(page) + 1] : m_report.rows.size();
            for (size_t i = starts[size_t(page)]; i < end; ++i) {
                const auto& row = m_report.rows[i];
                top += paintRow(top, cellsOf(row),
                                row.event == SignatureEvent ? RowStyle::Signature : RowStyle::Plain);
            }
            if (m_report.rows.empty()) {
                text(top + mm(1), QStringLiteral("No rows."), m_body, true);
            }
        }
        m_painter.end();
    }

private:
    enum class RowStyle { Heading, Plain, Signature };

    double mm(double millimetres) const { return millimetres * m_writer.resolution() / 25.4; }

    // A wrapped paragraph across the page from `top`; returns its height.
    double text(double top, const QString& words, const QFont& font, bool draw,
                const QColor& colour = Qt::black) {
        m_painter.setFont(font);
        const QRectF box(0, top, m_width, m_bottom - top);
        const double height = m_painter.boundingRect(box, words, m_wrap).height();
        if (draw) {
            m_painter.setPen(colour);
            m_painter.drawText(box, words, m_wrap);
        }
        return height;
    }

    // The page's header: the title and "page x of y", the database, when it was printed and which rows;
    // returns where the page's content begins.
    double header(int page, int pages, bool draw) {
        double top = 0;
        if (draw) {
            m_painter.setFont(m_body);
            m_painter.setPen(Qt::black);
            m_painter.drawText(QRectF(0, 0, m_width, mm(6)), Qt::AlignRight | Qt::AlignVCenter,
                               QStringLiteral("page %1 of %2").arg(page).arg(pages));
        }
        top += std::max(text(top, QStringLiteral("Audit trail"), m_title, draw), mm(6));
        top += text(top, QStringLiteral("Database: %1").arg(m_report.database), m_body, draw);
        top += text(
            top,
            QStringLiteral("Printed %1 · %2").arg(m_report.printed.toString(Qt::ISODate), m_report.selection),
            m_body, draw);
        top += mm(1.5);
        if (draw) {
            m_painter.setPen(QPen(Rule, mm(0.3)));
            m_painter.drawLine(QPointF(0, top), QPointF(m_width, top));
        }
        return top + mm(3);
    }

    // Below the first page's header: the result of checking the whole chain and the key to the shading.
    double firstPage(bool draw) {
        const manage::AuditVerdict& verdict = m_report.verdict;
        double top = m_headerBottom;
        top += text(top, QStringLiteral("Chain of the whole trail: ") + VerdictText(verdict), m_bold, draw,
                    verdict.intact ? Qt::black : Broken);
        top += mm(1);
        const double key = text(top, QStringLiteral("Signature"), m_body, false);
        if (draw) {
            m_painter.fillRect(QRectF(0, top, mm(20), key), SignatureShade);
            m_painter.fillRect(QRectF(0, top, mm(1), key), SignatureMark);
            m_painter.setFont(m_bold);
            m_painter.drawText(QRectF(mm(2), top, mm(18), key), Qt::AlignVCenter,
                               QStringLiteral("signature"));
            m_painter.setFont(m_body);
            m_painter.setPen(Qt::black);
            m_painter.drawText(QRectF(mm(22), top, m_width - mm(22), key), Qt::AlignVCenter,
                               QStringLiteral("rows in this report: %1; signature rows are shaded like this")
                                   .arg(m_report.rows.size()));
        }
        return top + key + mm(4);
    }

    QRectF cell(size_t column, double top, double height) const {
        double left = column == 0 ? mm(1) : 0; // clear of a signature's mark
        for (size_t i = 0; i < column; ++i) {
            left += Columns[i].share * m_width;
        }
        return QRectF(left, top, Columns[column].share * m_width, height)
            .adjusted(mm(PaddingMm), mm(PaddingMm), -mm(PaddingMm), -mm(PaddingMm));
    }

    double rowHeight(const QStringList& cells) {
        double tallest = 0;
        for (size_t i = 0; i < Columns.size(); ++i) {
            m_painter.setFont(i == 2 ? m_bold : m_body);
            tallest = std::max(
                tallest, m_painter.boundingRect(cell(i, 0, m_bottom), cells[qsizetype(i)], m_wrap).height());
        }
        // A row taller than a page (never with the trail's short details) is cut at the page's foot.
        return std::min(tallest + 2 * mm(PaddingMm), m_bottom - m_headerBottom - mm(12));
    }

    double paintRow(double top, const QStringList& cells, RowStyle style) {
        const double height = rowHeight(cells);
        const QRectF band(0, top, m_width, height);
        if (style == RowStyle::Heading) {
            m_painter.fillRect(band, HeadingShade);
        } else if (style == RowStyle::Signature) {
            m_painter.fillRect(band, SignatureShade);
            m_painter.fillRect(QRectF(0, top, mm(1), height), SignatureMark);
        }
        m_painter.setPen(Qt::black);
        m_painter.setClipRect(band);
        for (size_t i = 0; i < Columns.size(); ++i) {
            m_painter.setFont(style == RowStyle::Heading || i == 2 ? m_bold : m_body);
            m_painter.drawText(cell(i, top, height), cells[qsizetype(i)], m_wrap);
        }
        m_painter.setClipping(false);
        m_painter.setPen(QPen(Rule, mm(0.15)));
        m_painter.drawLine(band.bottomLeft(), band.bottomRight());
        return height;
    }

    QPdfWriter& m_writer;
    const AuditReport& m_report;
    QPainter m_painter;
    double m_width = 0;
    double m_bottom = 0;
    double m_headerBottom = 0;
    QFont m_body;
    QFont m_bold;
    QFont m_title;
    QTextOption m_wrap;
};

} // namespace

QString VerdictText(const manage::AuditVerdict& verdict) {
    return verdict.intact ? QStringLiteral("intact: %1 rows").arg(verdict.rows)
                          : QStringLiteral("NOT intact: %1; the trail cannot be trusted from row %2 on")
                                .arg(verdict.finding)
                                .arg(verdict.fromSeq);
}

QByteArray AuditReportPdf(const AuditReport& report) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(Resolution);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(MarginMm, MarginMm, MarginMm, MarginMm),
                                         QPageLayout::Millimeter));
        writer.setTitle(QStringLiteral("Audit trail"));
        writer.setCreator(QStringLiteral("zav-admin"));
        ReportPainter(writer, report).paint();
    }
    return buffer.data();
}

} // namespace zav::admin
