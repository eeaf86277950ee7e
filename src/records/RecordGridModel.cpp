#include "records/RecordGridModel.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

RecordGridModel::RecordGridModel(QObject *parent)
    : QAbstractTableModel(parent)
{
    m_spans.resize(slot(0, m_rows));
    m_colWidths.assign(static_cast<std::size_t>(m_cols), m_defaultColWidth);
}

void RecordGridModel::resize(int rows, int cols)
{
    rows = std::max(rows, 1);
    cols = std::max(cols, 1);
    if (rows == m_rows && cols == m_cols)
        return;
    const std::size_t count = static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols);
    // Memory is taken before the views hear of a change, so that growth that
    // fails leaves the grid as it was.
    std::vector<Span> spans;
    if (cols == m_cols) {
        checkGrowth(count);
        m_spans.reserve(count);
    } else {
        // A new column count builds a second table beside the first.
        checkGrowth(count + m_spans.size());
        spans.resize(count);
        const int keepRows = std::min(rows, m_rows);
        const int keepCols = std::min(cols, m_cols);
        for (int r = 0; r < keepRows; ++r)
            for (int c = 0; c < keepCols; ++c)
                spans[static_cast<std::size_t>(r) * cols + c] = m_spans[slot(c, r)];
    }
    const bool own = openReset();
    if (cols == m_cols)
        m_spans.resize(count);
    else
        m_spans.swap(spans);
    std::vector<Span>().swap(spans);
    updateTextRoom();
    const int oldCols = m_cols;
    m_rows = rows;
    m_cols = cols;
    m_colWidths.resize(static_cast<std::size_t>(cols), m_defaultColWidth);
    if (oldCols != cols)
        m_layoutDirty = true;
    // Texts of cells cut away are garbage now; compact when it pays.
    m_garbage = std::max<qsizetype>(m_garbage, 0);
    compactIfWasteful();
    closeReset(own);
}

bool RecordGridModel::openReset()
{
    if (m_batchDepth > 0) {
        // A batch resets the views once, and only if something changes.
        if (!m_resetOpen) {
            beginResetModel();
            m_resetOpen = true;
        }
        return false;
    }
    beginResetModel();
    return true;
}

void RecordGridModel::closeReset(bool own)
{
    if (!own)
        return;
    endResetModel();
    if (m_layoutDirty) {
        m_layoutDirty = false;
        emit columnWidthsChanged();
    }
}

void RecordGridModel::setRows(int rows)
{
    qsizetype cut = 0;
    for (int r = std::max(rows, 1); r < m_rows; ++r)
        for (int c = 0; c < m_cols; ++c)
            cut += storedSize(m_spans[slot(c, r)]);
    resize(rows, m_cols);
    m_garbage += cut;
}

void RecordGridModel::setCols(int cols)
{
    qsizetype cut = 0;
    for (int r = 0; r < m_rows; ++r)
        for (int c = std::max(cols, 1); c < m_cols; ++c)
            cut += storedSize(m_spans[slot(c, r)]);
    resize(m_rows, cols);
    m_garbage += cut;
}

QByteArrayView RecordGridModel::cellUtf8(int col, int row) const
{
    if (!inside(col, row))
        return {};
    return text(m_spans[slot(col, row)]);
}

QString RecordGridModel::cell(int col, int row) const
{
    return QString::fromUtf8(cellUtf8(col, row));
}

void RecordGridModel::setCell(int col, int row, const QString &text)
{
    setCellUtf8(col, row, text.toUtf8());
}

void RecordGridModel::checkGrowth(std::size_t spans) const
{
    if (spans > m_spans.max_size()
        || (m_memoryLimit >= 0
            && qint64(spans) * BytesPerCell + qint64(m_arena.size()) > m_memoryLimit))
        throw std::bad_alloc();
}

void RecordGridModel::updateTextRoom()
{
    m_textRoom = MaxTextBytes;
    if (m_memoryLimit >= 0)
        m_textRoom
            = std::min<qint64>(m_textRoom, m_memoryLimit - qint64(m_spans.size()) * BytesPerCell);
}

void RecordGridModel::setCellUtf8(int col, int row, QByteArrayView utf8)
{
    if (!inside(col, row))
        return;
    Span &s = m_spans[slot(col, row)];
    const Span old = s;
    if (utf8.isEmpty()) {
        s = Span {};
    } else if (std::uint64_t(utf8.size()) < Span::LongText) {
        const qint64 offset = m_arena.size();
        if (offset + utf8.size() > m_textRoom)
            throw std::bad_alloc();
        // An append that cannot grow the arena throws with the arena as it was.
        m_arena.append(utf8.data(), utf8.size());
        s = Span::make(std::uint64_t(offset), std::uint64_t(utf8.size()));
    } else {
        s = appendLongText(utf8);
    }
    m_garbage += storedSize(old);
    changed(col, row);
}

RecordGridModel::Span RecordGridModel::appendLongText(QByteArrayView utf8)
{
    const qint64 length = utf8.size();
    const qint64 offset = m_arena.size();
    if (offset + qint64(sizeof length) + length > m_textRoom)
        throw std::bad_alloc();
    // Room for both parts first, so that a failure leaves no stray length.
    const qint64 needed = offset + qint64(sizeof length) + length;
    if (needed > m_arena.capacity())
        m_arena.reserve(
            std::max<qint64>(needed, std::min<qint64>(2 * m_arena.capacity(), m_textRoom)));
    m_arena.append(reinterpret_cast<const char *>(&length), sizeof length);
    m_arena.append(utf8.data(), utf8.size());
    return Span::make(std::uint64_t(offset), std::uint64_t(length));
}

void RecordGridModel::changed(int col, int row)
{
    if (m_batchDepth > 0) {
        openReset();
        return;
    }
    if (row == 0 || col == 0) {
        // Grid column c is the view's section c - 1. Cell (0,0) is the corner,
        // which has no section: the first one is named so the views hear of it.
        if (row == 0 && m_cols > 1)
            emit headerDataChanged(Qt::Horizontal, std::max(col - 1, 0), std::max(col - 1, 0));
        if (col == 0 && row > 0)
            emit headerDataChanged(Qt::Vertical, row - 1, row - 1);
        return;
    }
    const QModelIndex i = index(row - 1, col - 1);
    emit dataChanged(i, i, {Qt::DisplayRole});
}

void RecordGridModel::compactIfWasteful() noexcept
{
    if (m_garbage < (1 << 20) || m_garbage * 2 < m_arena.size())
        return;
    qint64 live = 0;
    for (const Span s : m_spans)
        live += storedSize(s);
    QByteArray packed;
    try {
        packed.reserve(live);
    } catch (const std::bad_alloc &) {
        // Packing only saves room: without room for the copy the garbage stays.
        return;
    }
    for (Span &s : m_spans) {
        if (s.length() == 0) {
            s = Span {};
            continue;
        }
        const qint64 bytes = storedSize(s);
        const qint64 offset = packed.size();
        packed.append(m_arena.constData() + s.offset(), bytes);
        s = Span::make(std::uint64_t(offset), s.length());
    }
    m_arena.swap(packed);
    m_garbage = 0;
}

void RecordGridModel::reserveText(qsizetype bytes)
{
    if (bytes <= 0)
        return;
    try {
        if (m_arena.size() + bytes <= m_textRoom)
            m_arena.reserve(m_arena.size() + bytes);
    } catch (const std::bad_alloc &) { }
}

qint64 RecordGridModel::memoryUse() const
{
    return qint64(m_spans.size()) * BytesPerCell + m_arena.size();
}

void RecordGridModel::makeEmpty()
{
    const bool own = openReset();
    const int oldCols = m_cols;
    m_rows = 2;
    m_cols = 2;
    // The memory goes back, not only the texts.
    std::vector<Span>(4).swap(m_spans);
    QByteArray().swap(m_arena);
    updateTextRoom();
    m_garbage = 0;
    m_colWidths.resize(2, m_defaultColWidth);
    if (oldCols != 2)
        m_layoutDirty = true;
    closeReset(own);
}

void RecordGridModel::setDefaultColWidth(int width)
{
    m_defaultColWidth = width;
    std::fill(m_colWidths.begin(), m_colWidths.end(), width);
    if (m_batchDepth > 0)
        m_layoutDirty = true;
    else
        emit columnWidthsChanged();
}

int RecordGridModel::colWidth(int col) const
{
    if (col < 0 || col >= m_cols)
        return m_defaultColWidth;
    return m_colWidths[static_cast<std::size_t>(col)];
}

void RecordGridModel::setColWidth(int col, int width)
{
    if (col < 0 || col >= m_cols)
        return;
    m_colWidths[static_cast<std::size_t>(col)] = width;
    if (m_batchDepth > 0)
        m_layoutDirty = true;
    else
        emit columnWidthsChanged();
}

void RecordGridModel::beginBatch()
{
    ++m_batchDepth;
}

void RecordGridModel::endBatch() noexcept
{
    if (m_batchDepth == 0 || --m_batchDepth > 0)
        return;
    compactIfWasteful();
    if (m_resetOpen) {
        m_resetOpen = false;
        endResetModel();
    }
    if (m_layoutDirty) {
        m_layoutDirty = false;
        emit columnWidthsChanged();
    }
}

int RecordGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows - 1;
}

int RecordGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_cols - 1;
}

QVariant RecordGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole)
        return {};
    return cell(index.column() + 1, index.row() + 1);
}

QVariant RecordGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Horizontal)
        return cell(section + 1, 0);
    return cell(0, section + 1);
}

Qt::ItemFlags RecordGridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
