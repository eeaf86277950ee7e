#include "mainwindow/RecordGridView.h"

#include "platform/Fonts.h"
#include "records/RecordGridModel.h"

#include <QAbstractButton>
#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QStyleOptionHeader>

namespace {
const QColor FixedColour(244, 243, 234);
const QColor TextColour(0, 0, 128);

// The ID column as the row header: its width is the column's, so its size
// hint never measures a label; measuring them after every record read made
// a load with Dynamic Load many times slower.
class IdColumnHeader : public QHeaderView
{
public:
    explicit IdColumnHeader(QWidget *parent)
        : QHeaderView(Qt::Vertical, parent)
    { }
    QSize sizeHint() const override { return QSize(width(), defaultSectionSize()); }
};
} // namespace

RecordGridView::RecordGridView(QWidget *parent)
    : QTableView(parent)
{
    setVerticalHeader(new IdColumnHeader(this));
    const QFont face = songFace(14);
    setFont(face);
    horizontalHeader()->setFont(face);
    verticalHeader()->setFont(face);

    QPalette pal = palette();
    pal.setColor(QPalette::Text, TextColour);
    pal.setColor(QPalette::ButtonText, TextColour);
    pal.setColor(QPalette::WindowText, TextColour);
    pal.setColor(QPalette::Button, FixedColour);
    setPalette(pal);

    // Never measure rows: a million of them must show at once.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(20);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setFixedHeight(21);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setHighlightSections(false);
    const QString fixedStyle = QStringLiteral(
        "QHeaderView::section { background-color: rgb(244,243,234); color: rgb(0,0,128);"
        " border: 0px; border-right: 1px solid gray; border-bottom: 1px solid gray;"
        " padding-left: 2px; }");
    horizontalHeader()->setStyleSheet(fixedStyle);
    verticalHeader()->setStyleSheet(fixedStyle);

    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab moves the focus on to the next control, not to the next cell.
    setTabKeyNavigation(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setShowGrid(true);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setCornerButtonEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    // The corner shows the ID column's title.
    if (auto *corner = findChild<QAbstractButton *>()) {
        m_corner = corner;
        corner->installEventFilter(this);
    }
}

void RecordGridView::setRecordGrid(RecordGridModel *grid)
{
    m_grid = grid;
    setModel(grid);
    connect(grid, &RecordGridModel::columnWidthsChanged, this, &RecordGridView::applyColumnWidths);
    connect(grid, &QAbstractItemModel::modelReset, this, &RecordGridView::applyColumnWidths);
    connect(grid, &QAbstractItemModel::headerDataChanged, this, [this] {
        if (m_corner)
            m_corner->update();
    });
    applyColumnWidths();
}

void RecordGridView::applyColumnWidths()
{
    if (!m_grid)
        return;
    verticalHeader()->setFixedWidth(m_grid->colWidth(0));
    for (int c = 1; c < m_grid->cols(); ++c)
        horizontalHeader()->resizeSection(c - 1, m_grid->colWidth(c));
    if (m_corner)
        m_corner->update();
}

void RecordGridView::showRowNow(int row)
{
    if (!m_grid || row < 1 || row >= m_grid->rows())
        return;
    const QModelIndex index = m_grid->index(row - 1, 0);
    setCurrentIndex(index);
    scrollTo(index);
    if (!m_frames.frameDue()) {
        // The last rows are painted once the run returns to the event loop.
        viewport()->update();
        verticalHeader()->viewport()->update();
        return;
    }
    viewport()->repaint();
    verticalHeader()->viewport()->repaint();
    m_frames.frameDrawn();
}

bool RecordGridView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_corner && event->type() == QEvent::Paint) {
        QPainter painter(m_corner);
        painter.fillRect(m_corner->rect(), FixedColour);
        painter.setPen(Qt::gray);
        painter.drawLine(m_corner->rect().topRight(), m_corner->rect().bottomRight());
        painter.drawLine(m_corner->rect().bottomLeft(), m_corner->rect().bottomRight());
        if (m_grid) {
            painter.setPen(TextColour);
            painter.setFont(font());
            painter.drawText(m_corner->rect().adjusted(2, 0, -1, 0),
                             Qt::AlignLeft | Qt::AlignVCenter, m_grid->cell(0, 0));
        }
        return true;
    }
    return QTableView::eventFilter(watched, event);
}
