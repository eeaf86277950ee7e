#include "curvewindow/MarkerStatisticsTable.h"

#include "platform/WindowPlacement.h"
#include "texts/Translations.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QString pick(Language language, const char *source)
{
    return Translations::text(language, "MarkerStatisticsTable", source);
}

} // namespace

MarkerStatisticsTable::MarkerStatisticsTable(QWidget *parent)
    : QWidget(parent, Qt::Tool)
    , m_table(new QTableWidget(this))
    , m_copy(new QPushButton(this))
{
    setObjectName(QStringLiteral("MarkerStatisticsTable"));
    // The curve window keeps the keys (Esc, the scroll keys) while it shows.
    setAttribute(Qt::WA_ShowWithoutActivating);
    m_table->setObjectName(QStringLiteral("MarkerStatistics"));
    m_copy->setObjectName(QStringLiteral("CopyMarkerStatistics"));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->setVisible(false);
    connect(m_copy, &QPushButton::clicked, this, &MarkerStatisticsTable::copyTable);
    // Ctrl+C copies the whole table, not the view's current cell.
    m_table->installEventFilter(this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_copy);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);
}

void MarkerStatisticsTable::showTable(const MarkerStatistics::Table &table, Language language)
{
    m_shown = table;
    m_language = language;
    setWindowTitle(pick(
        language, QT_TRANSLATE_NOOP("MarkerStatisticsTable", "Statistics between the markers")));
    m_copy->setText(pick(language, QT_TRANSLATE_NOOP("MarkerStatisticsTable", "Copy(&C)")));
    const QList<QStringList> rows = MarkerStatistics::rows(table, language);
    m_table->clear();
    m_table->setColumnCount(int(rows.first().size()));
    m_table->setHorizontalHeaderLabels(rows.first());
    m_table->setRowCount(int(rows.size()) - 1);
    for (int r = 1; r < rows.size(); ++r) {
        for (int c = 0; c < rows[r].size(); ++c) {
            auto *item = new QTableWidgetItem(rows[r][c]);
            if (c > 0)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_table->setItem(r - 1, c, item);
        }
    }
    // Each curve's name beside a swatch of its colour, as in the readout.
    for (int i = 0; i < table.curves.size(); ++i)
        m_table->item(i + 1, 0)->setData(Qt::DecorationRole, QColor(table.curves[i].colour));
    m_table->resizeColumnsToContents();
    // As large as its cells: a curve or five, and no scroll bars.
    int rowsHeight = m_table->horizontalHeader()->sizeHint().height() + 2 * m_table->frameWidth();
    for (int r = 0; r < m_table->rowCount(); ++r)
        rowsHeight += m_table->rowHeight(r);
    int columnsWidth = 2 * m_table->frameWidth();
    for (int c = 0; c < m_table->columnCount(); ++c)
        columnsWidth += m_table->columnWidth(c);
    m_table->setMinimumSize(columnsWidth, rowsHeight);
    adjustSize();
    // A table already open keeps its place among the windows.
    if (isHidden()) {
        if (!m_placed)
            placeBelowParent();
        show();
        raise();
    }
}

void MarkerStatisticsTable::placeBelowParent()
{
    const QWidget *owner = parentWidget();
    const QScreen *screen = owner ? owner->screen() : nullptr;
    if (!owner || !screen || !owner->isVisible())
        return;
    m_placed = true;
    // Beside the curve window, so that it hides no curve where the screen
    // has room, and as little of it as it can where it has not.
    const QRect frame = owner->frameGeometry();
    // Its own frame is not known before it shows: allow the owner's.
    const QSize frameAround = frame.size() - owner->size();
    move(WindowPlacement::besideOwner(frame, size() + frameAround, screen->availableGeometry())
             .topLeft());
}

bool MarkerStatisticsTable::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_table && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Copy)) {
        copyTable();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

QString MarkerStatisticsTable::text() const
{
    return MarkerStatistics::tsv(m_shown, m_language);
}

void MarkerStatisticsTable::copyTable()
{
    QApplication::clipboard()->setText(text());
}
