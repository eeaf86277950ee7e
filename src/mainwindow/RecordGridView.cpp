#include "mainwindow/RecordGridView.h"

#include "platform/Fonts.h"
#include "records/RecordGridModel.h"

#include <QAbstractButton>
#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyleOptionHeader>
#include <QTimer>

#include <utility>

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
    verticalHeader()->setDefaultSectionSize(RecordGridModel::DefaultRowHeight);
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

    verticalHeader()->viewport()->installEventFilter(this);
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
    // A changed title or ID repaints the headers; the row header's own
    // handler would lay the whole view out again for every record read.
    disconnect(grid, SIGNAL(headerDataChanged(Qt::Orientation, int, int)), verticalHeader(),
               SLOT(headerDataChanged(Qt::Orientation, int, int)));
    connect(grid, &QAbstractItemModel::headerDataChanged, this, [this](Qt::Orientation o) {
        if (o == Qt::Vertical && !m_headerPaintPending) {
            m_headerPaintPending = true;
            verticalHeader()->viewport()->update();
        }
        if (m_corner)
            m_corner->update();
    });
    applyColumnWidths();
}

void RecordGridView::dataChanged(const QModelIndex &, const QModelIndex &, const QList<int> &)
{
    // Nothing is edited here: a changed cell only needs painting, and the
    // whole viewport costs no more to mark than one cell, whose place the
    // view would otherwise lay out again for every cell read.
    if (m_paintPending)
        return;
    m_paintPending = true;
    viewport()->update();
}

bool RecordGridView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::Paint)
        m_paintPending = false;
    return QTableView::viewportEvent(event);
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
    // The clock is read every few dozen rows: far less than a frame apart.
    const bool ask = m_rowsSinceClock++ % RowsPerClockRead == 0;
    if (ask && m_frames.frameDue()) {
        m_pendingRow = -1;
        showCurrentRow(m_grid->index(row - 1, 0));
        return;
    }
    // Between pictures the current row only moves on; the view catches up
    // with the next picture, or when the run returns to the event loop.
    m_pendingRow = row;
    if (!m_catchUpPosted) {
        m_catchUpPosted = true;
        QTimer::singleShot(0, this, [this] {
            m_catchUpPosted = false;
            finishRows();
            if (currentIndex().isValid())
                showCurrentRow(currentIndex());
        });
    }
}

void RecordGridView::finishRows()
{
    const int row = std::exchange(m_pendingRow, -1);
    if (!m_grid || row < 1 || row >= m_grid->rows())
        return;
    const QSignalBlocker quiet(selectionModel());
    selectionModel()->setCurrentIndex(m_grid->index(row - 1, 0), QItemSelectionModel::NoUpdate);
}

void RecordGridView::showCurrentRow(const QModelIndex &index)
{
    {
        // The row may be current already; the view still selects and shows it.
        const QSignalBlocker quiet(selectionModel());
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
    setCurrentIndex(index);
    scrollTo(index);
    viewport()->repaint();
    verticalHeader()->viewport()->repaint();
    m_frames.frameDrawn();
}

bool RecordGridView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == verticalHeader()->viewport() && event->type() == QEvent::Paint)
        m_headerPaintPending = false;
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

void RecordGridView::setCoveredBottom(int pixels)
{
    pixels = std::max(pixels, 0);
    if (pixels == m_coveredBottom)
        return;
    m_coveredBottom = pixels;
    // Scrolled a row at a time, the last row always ends at the viewport's bottom; by pixels it
    // can end above the cover.
    setVerticalScrollMode(pixels ? ScrollPerPixel : ScrollPerItem);
    updateGeometries();
}

void RecordGridView::updateGeometries()
{
    QTableView::updateGeometries();
    if (m_coveredBottom == 0)
        return;
    QScrollBar *bar = verticalScrollBar();
    const int end = verticalHeader()->length() - (viewport()->height() - m_coveredBottom);
    if (end > bar->maximum())
        bar->setMaximum(end);
    bar->setSingleStep(std::max(verticalHeader()->defaultSectionSize(), 1));
}
