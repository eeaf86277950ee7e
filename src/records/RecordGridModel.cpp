#include "records/RecordGridModel.h"

#include <algorithm>
#include <limits>

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
    const bool own = openReset();
    if (cols == m_cols) {
        m_spans.resize(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols));
    } else {
        std::vector<Span> spans(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols));
        const int keepRows = std::min(rows, m_rows);
        const int keepCols = std::min(cols, m_cols);
        for (int r = 0; r < keepRows; ++r)
            for (int c = 0; c < keepCols; ++c)
                spans[static_cast<std::size_t>(r) * cols + c] = m_spans[slot(c, r)];
        m_spans.swap(spans);
    }
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
    if (rows < m_rows) {
        for (int r = std::max(rows, 1); r < m_rows; ++r)
            for (int c = 0; c < m_cols; ++c)
                m_garbage += m_spans[slot(c, r)].length;
    }
    resize(rows, m_cols);
}

void RecordGridModel::setCols(int cols)
{
    if (cols < m_cols) {
        for (int r = 0; r < m_rows; ++r)
            for (int c = std::max(cols, 1); c < m_cols; ++c)
                m_garbage += m_spans[slot(c, r)].length;
    }
    resize(m_rows, cols);
}

QByteArrayView RecordGridModel::cellUtf8(int col, int row) const
{
    if (!inside(col, row))
        return {};
    const Span &s = m_spans[slot(col, row)];
    return QByteArrayView(m_arena.constData() + s.offset, s.length);
}

QString RecordGridModel::cell(int col, int row) const
{
    return QString::fromUtf8(cellUtf8(col, row));
}

void RecordGridModel::setCell(int col, int row, const QString &text)
{
    setCellUtf8(col, row, text.toUtf8());
}

void RecordGridModel::setCellUtf8(int col, int row, QByteArrayView utf8)
{
    if (!inside(col, row))
        return;
    Span &s = m_spans[slot(col, row)];
    m_garbage += s.length;
    if (utf8.isEmpty()) {
        s = Span {};
    } else {
        // Offsets are 32-bit; an arena that would outgrow them is compacted
        // first, and a text that still does not fit is cut to what fits.
        if (m_arena.size() + utf8.size() > std::numeric_limits<std::uint32_t>::max())
            compactIfWasteful();
        const qsizetype room
            = qsizetype(std::numeric_limits<std::uint32_t>::max()) - m_arena.size();
        const qsizetype len = std::min<qsizetype>(utf8.size(), std::max<qsizetype>(room, 0));
        s.offset = static_cast<std::uint32_t>(m_arena.size());
        s.length = static_cast<std::uint32_t>(len);
        m_arena.append(utf8.data(), len);
    }
    changed(col, row);
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

void RecordGridModel::compactIfWasteful()
{
    if (m_garbage < (1 << 20) || m_garbage * 2 < m_arena.size())
        return;
    QByteArray packed;
    packed.reserve(m_arena.size() - m_garbage);
    for (Span &s : m_spans) {
        if (s.length == 0) {
            s.offset = 0;
            continue;
        }
        const auto offset = static_cast<std::uint32_t>(packed.size());
        packed.append(m_arena.constData() + s.offset, s.length);
        s.offset = offset;
    }
    m_arena.swap(packed);
    m_garbage = 0;
}

void RecordGridModel::reserveText(qsizetype bytes)
{
    if (bytes > 0 && m_arena.size() + bytes <= qsizetype(std::numeric_limits<std::uint32_t>::max()))
        m_arena.reserve(m_arena.size() + bytes);
}

void RecordGridModel::makeEmpty()
{
    const bool own = openReset();
    const int oldCols = m_cols;
    m_rows = 2;
    m_cols = 2;
    m_spans.assign(4, Span {});
    m_arena.clear();
    m_arena.squeeze();
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

void RecordGridModel::endBatch()
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
