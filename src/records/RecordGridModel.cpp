#include "records/RecordGridModel.h"

#include "records/LogFileFormat.h"
#include "records/StoredRecords.h"
#include "records/TagValue.h"

#include <QtEndian>

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

RecordGridModel::~RecordGridModel() = default;

qint64 RecordGridModel::rawBytes() const
{
    return m_raw.size() + (m_stored ? m_stored->memoryUse() : 0);
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
    showAllRows();
    if (isRaw()) {
        setRawRows(rows);
        return;
    }
    qsizetype cut = 0;
    for (int r = std::max(rows, 1); r < m_rows; ++r)
        for (int c = 0; c < m_cols; ++c)
            cut += storedSize(m_spans[slot(c, r)]);
    resize(rows, m_cols);
    m_garbage += cut;
}

void RecordGridModel::setCols(int cols)
{
    showAllRows();
    if (isRaw()) {
        setRawCols(cols);
        return;
    }
    qsizetype cut = 0;
    for (int r = 0; r < m_rows; ++r)
        for (int c = std::max(cols, 1); c < m_cols; ++c)
            cut += storedSize(m_spans[slot(c, r)]);
    resize(m_rows, cols);
    m_garbage += cut;
}

void RecordGridModel::showRows(std::vector<int> wholeRows)
{
    const bool own = openReset();
    // Ascending rows lie within the grid when their ends do.
    if (!wholeRows.empty() && (wholeRows.front() < 1 || wholeRows.back() >= m_rows))
        std::erase_if(wholeRows, [this](int row) { return row < 1 || row >= m_rows; });
    m_shownRows = std::move(wholeRows);
    m_showsSome = true;
    closeReset(own);
}

void RecordGridModel::showAllRows()
{
    if (!m_showsSome)
        return;
    const bool own = openReset();
    std::vector<int>().swap(m_shownRows);
    m_showsSome = false;
    closeReset(own);
}

CellText RecordGridModel::cellUtf8(int col, int row) const
{
    return wholeCellUtf8(col, wholeRow(row));
}

CellText RecordGridModel::wholeCellUtf8(int col, int row) const
{
    if (!inside(col, row))
        return {};
    if (!isRaw())
        return CellText(text(m_spans[slot(col, row)]));
    if (row <= m_overlayLastRow) {
        const auto it = m_overlay.find(key(col, row));
        if (it != m_overlay.end())
            return CellText(text(it->second));
    }
    return rawCell(col, row);
}

void RecordGridModel::rowUtf8(int row, CellText *cells, int count) const
{
    wholeRowUtf8(wholeRow(row), cells, count);
}

void RecordGridModel::wholeRowUtf8(int row, CellText *cells, int count) const
{
    if (m_stored && !m_tagColumns && row >= 1 && row <= m_rawCount && row > m_overlayLastRow
        && row < m_split) {
        const int shown = std::max(0, std::min({count, m_cols, m_shape.cols}));
        for (int c = 0; c < shown; ++c)
            m_stored->cell(c, row - 1, cells[c]);
        for (int c = shown; c < count; ++c)
            cells[c] = CellText();
        return;
    }
    for (int c = 0; c < count; ++c)
        cells[c] = wholeCellUtf8(c, row);
}

std::optional<CellNumber> RecordGridModel::cellNumber(int col, int shownRow,
                                                      ValueFormat::Format textsIn) const
{
    const int row = wholeRow(shownRow);
    if (!inside(col, row))
        return std::nullopt;
    const char separator = systemSeparatorForTexts();
    if (!isRaw())
        return CellNumber::read(text(m_spans[slot(col, row)]), textsIn, separator);
    if (row <= m_overlayLastRow) {
        const auto it = m_overlay.find(key(col, row));
        if (it != m_overlay.end())
            return CellNumber::read(text(it->second), textsIn, separator);
    }
    return rawNumber(col, row, textsIn);
}

bool RecordGridModel::cellIsNumber(int col, int shownRow) const
{
    const int row = wholeRow(shownRow);
    if (!isRaw() || !inside(col, row) || row < 1 || row > m_rawCount)
        return false;
    if (row <= m_overlayLastRow && m_overlay.count(key(col, row)) != 0)
        return false;
    if (isTagCell(col, row)) // scaled and named values: the search reads their text
        return false;
    const RawShape &shape = row < m_split ? m_shape : m_oldShape;
    if (col >= shape.cols)
        return false;
    if (m_stored)
        return m_stored->cellIsNumber(col, row - 1);
    if (col == 0)
        return true;
    if (m_rawKind == RawKind::Alarm)
        return col == 2;
    using ValueFormat::Format;
    return col > 2
        && (shape.format == Format::Unsigned16 || shape.format == Format::Signed16
            || shape.format == Format::Signed32);
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
            && qint64(spans) * BytesPerCell + qint64(m_arena.size()) + rawBytes() > m_memoryLimit))
        throw std::bad_alloc();
}

void RecordGridModel::updateTextRoom()
{
    m_textRoom = MaxTextBytes;
    if (m_memoryLimit >= 0)
        m_textRoom = std::min<qint64>(
            m_textRoom, m_memoryLimit - qint64(spanCount()) * BytesPerCell - rawBytes());
}

RecordGridModel::Span RecordGridModel::store(QByteArrayView utf8)
{
    if (utf8.isEmpty())
        return Span {};
    if (std::uint64_t(utf8.size()) >= Span::LongText)
        return appendLongText(utf8);
    const qint64 offset = m_arena.size();
    if (offset + utf8.size() > m_textRoom)
        throw std::bad_alloc();
    // An append that cannot grow the arena throws with the arena as it was.
    m_arena.append(utf8.data(), utf8.size());
    return Span::make(std::uint64_t(offset), std::uint64_t(utf8.size()));
}

void RecordGridModel::setCellUtf8(int col, int shownRow, QByteArrayView utf8)
{
    const int row = wholeRow(shownRow);
    if (!inside(col, row))
        return;
    if (!isRaw()) {
        Span &s = m_spans[slot(col, row)];
        const Span old = s;
        s = store(utf8);
        m_garbage += storedSize(old);
        changed(col, shownRow);
        return;
    }
    const auto it = m_overlay.find(key(col, row));
    const Span old = it == m_overlay.end() ? Span {} : it->second;
    const Span s = store(utf8);
    // An empty cell over a record's cell stays, to hide the record's text.
    if (s.length() == 0 && (row < 1 || row > m_rawCount)) {
        if (it != m_overlay.end())
            m_overlay.erase(it);
    } else if (it != m_overlay.end()) {
        it->second = s;
    } else {
        m_overlay.emplace(key(col, row), s);
        m_overlayLastRow = std::max(m_overlayLastRow, row);
    }
    m_garbage += storedSize(old);
    changed(col, shownRow);
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
    forEachSpan([&](Span &s) { live += storedSize(s); });
    QByteArray packed;
    try {
        packed.reserve(live);
    } catch (const std::bad_alloc &) {
        // Packing only saves room: without room for the copy the garbage stays.
        return;
    }
    forEachSpan([&](Span &s) {
        if (s.length() == 0) {
            s = Span {};
            return;
        }
        const qint64 bytes = storedSize(s);
        const qint64 offset = packed.size();
        packed.append(m_arena.constData() + s.offset(), bytes);
        s = Span::make(std::uint64_t(offset), s.length());
    });
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
    return qint64(spanCount()) * BytesPerCell + m_arena.size() + rawBytes();
}

void RecordGridModel::makeEmpty()
{
    showAllRows();
    const bool own = openReset();
    const int oldCols = m_cols;
    m_rows = 2;
    m_cols = 2;
    // The memory goes back, not only the texts.
    std::vector<Span>(4).swap(m_spans);
    QByteArray().swap(m_arena);
    m_rawKind = RawKind::None;
    QByteArray().swap(m_raw);
    m_stored.reset();
    m_rawCount = 0;
    m_split = std::numeric_limits<int>::max();
    std::unordered_map<std::uint64_t, Span>().swap(m_overlay);
    m_overlayLastRow = -1;
    updateTextRoom();
    m_garbage = 0;
    m_colWidths.resize(2, m_defaultColWidth);
    if (oldCols != 2)
        m_layoutDirty = true;
    closeReset(own);
}

struct RecordGridModel::Kept
{
    int rows = 2;
    int cols = 2;
    std::vector<Span> spans;
    RawKind rawKind = RawKind::None;
    QByteArray raw;
    std::shared_ptr<StoredRecords> stored;
    int rawCount = 0;
    RawShape shape;
    RawShape oldShape;
    int split = std::numeric_limits<int>::max();
    ValueFormat::DecimalSeparator separator;
    std::unordered_map<std::uint64_t, Span> overlay;
    int overlayLastRow = -1;
    QByteArray arena;
    qsizetype garbage = 0;
    int defaultColWidth = DefaultColWidth;
    std::vector<int> colWidths;
};

void RecordGridModel::KeptDeleter::operator()(Kept *kept) const
{
    delete kept;
}

RecordGridModel::KeptGrid RecordGridModel::keep() const
{
    return KeptGrid(new Kept {m_rows, m_cols, m_spans, m_rawKind, m_raw, m_stored, m_rawCount,
                              m_shape, m_oldShape, m_split, m_separator, m_overlay,
                              m_overlayLastRow, m_arena, m_garbage, m_defaultColWidth,
                              m_colWidths});
}

void RecordGridModel::restore(KeptGrid kept)
{
    if (!kept)
        return;
    showAllRows();
    const bool own = openReset();
    m_rows = kept->rows;
    m_cols = kept->cols;
    m_spans.swap(kept->spans);
    m_rawKind = kept->rawKind;
    m_raw.swap(kept->raw);
    m_stored.swap(kept->stored);
    m_rawCount = kept->rawCount;
    m_shape = kept->shape;
    m_oldShape = kept->oldShape;
    m_split = kept->split;
    m_separator = kept->separator;
    m_overlay.swap(kept->overlay);
    m_overlayLastRow = kept->overlayLastRow;
    m_arena.swap(kept->arena);
    m_garbage = kept->garbage;
    m_defaultColWidth = kept->defaultColWidth;
    m_colWidths.swap(kept->colWidths);
    // What the load made goes now, before anything else is asked of memory.
    kept.reset();
    updateTextRoom();
    m_layoutDirty = true;
    closeReset(own);
}

template<typename F> void RecordGridModel::forEachSpan(F f)
{
    if (isRaw()) {
        for (auto &entry : m_overlay)
            f(entry.second);
    } else {
        for (Span &s : m_spans)
            f(s);
    }
}

int RecordGridModel::rawCols(RawKind kind, ValueFormat::Format format) const
{
    if (kind == RawKind::Alarm)
        return std::min(m_cols, 4);
    const int values = ValueFormat::isPairFormat(format) ? LogFileFormat::ValueWords / 2
                                                         : LogFileFormat::ValueWords;
    return std::min(m_cols, 3 + values);
}

void RecordGridModel::beginRawRecords(RawKind kind, ValueFormat::Format format,
                                      const ValueFormat::DecimalSeparator &separator)
{
    showAllRows();
    m_separator = separator;
    const RawShape shape {format, rawCols(kind, format)};
    if (kind == m_rawKind && isRaw()) {
        // Read again: rows keep their texts until their record is written.
        if (m_split > m_rawCount)
            m_oldShape = m_shape;
        m_shape = shape;
        m_split = m_rawCount > 0 ? 1 : std::numeric_limits<int>::max();
        return;
    }
    // The texts set so far (the title row) go beside the records.
    std::unordered_map<std::uint64_t, Span> overlay;
    int lastRow = -1;
    if (isRaw()) {
        overlay.swap(m_overlay);
        lastRow = m_overlayLastRow;
    } else {
        for (int r = 0; r < m_rows; ++r)
            for (int c = 0; c < m_cols; ++c)
                if (const Span s = m_spans[slot(c, r)]; s.length() != 0) {
                    overlay.emplace(key(c, r), s);
                    lastRow = r;
                }
    }
    const bool own = openReset();
    m_overlay.swap(overlay);
    m_overlayLastRow = lastRow;
    std::vector<Span>().swap(m_spans);
    m_rawKind = kind;
    QByteArray().swap(m_raw);
    m_stored.reset();
    m_rawCount = 0;
    m_shape = m_oldShape = shape;
    m_split = std::numeric_limits<int>::max();
    updateTextRoom();
    closeReset(own);
}

void RecordGridModel::setStoredRecords(std::unique_ptr<StoredRecords> records)
{
    showAllRows();
    const int count = int(std::min<qint64>(records->count(), MaxRows - 1));
    records->truncate(count);
    // One reset for all of it: the rows below the title go, the titles go beside
    // the records as they do for a binary file's, and the records come in.
    const Batch batch(*this);
    setRows(1);
    beginRawRecords(RawKind::Stored, records->format(), m_separator);
    openReset();
    m_stored = std::move(records);
    m_rawCount = count;
    m_rows = count + 1;
    updateTextRoom();
}

void RecordGridModel::reserveRawRecords(qint64 count)
{
    const qint64 bytes = count * rawRecordSize();
    if (m_rawKind == RawKind::Stored || !isRaw() || bytes <= m_raw.size())
        return;
    if (m_memoryLimit >= 0 && bytes + m_arena.size() > m_memoryLimit)
        return;
    try {
        m_raw.reserve(bytes);
    } catch (const std::bad_alloc &) { }
}

char *RecordGridModel::rawRecords(int first, int count)
{
    showAllRows();
    if (!isRaw() || m_rawKind == RawKind::Stored || first < 1 || first > m_rawCount + 1
        || count < 0)
        throw std::bad_alloc();
    const qint64 size = rawRecordSize();
    const qint64 needed = (qint64(first) - 1 + count) * size;
    if (m_memoryLimit >= 0
        && std::max<qint64>(needed, m_raw.size()) + m_arena.size()
                + qint64(spanCount()) * BytesPerCell
            > m_memoryLimit)
        throw std::bad_alloc();
    if (needed > m_raw.size()) {
        if (needed > m_raw.capacity())
            m_raw.reserve(std::max(needed, m_raw.capacity() + m_raw.capacity() / 2));
        m_raw.resize(needed);
    }
    return m_raw.data() + (qint64(first) - 1) * size;
}

void RecordGridModel::rawRecordsWritten(int first, int count)
{
    if (!isRaw() || m_rawKind == RawKind::Stored || count <= 0)
        return;
    const int last = first + count - 1;
    m_rawCount = std::max(m_rawCount, last);
    if (m_split != std::numeric_limits<int>::max()) {
        m_split = std::max(m_split, last + 1);
        if (m_split > m_rawCount)
            m_split = std::numeric_limits<int>::max();
    }
    // The record replaces what its cells were set to.
    if (m_overlayLastRow >= first) {
        for (int r = first; r <= last; ++r)
            for (int c = 0; c < m_shape.cols; ++c)
                if (const auto it = m_overlay.find(key(c, r)); it != m_overlay.end()) {
                    m_garbage += storedSize(it->second);
                    m_overlay.erase(it);
                }
    }
    updateTextRoom();
    if (m_batchDepth > 0) {
        openReset();
        return;
    }
    emit headerDataChanged(Qt::Vertical, first - 1, last - 1);
    if (m_cols > 1)
        emit dataChanged(index(first - 1, 0), index(last - 1, m_cols - 2), {Qt::DisplayRole});
}

template<typename Drop> void RecordGridModel::dropOverlay(Drop drop)
{
    for (auto it = m_overlay.begin(); it != m_overlay.end();) {
        if (drop(it->first)) {
            m_garbage += storedSize(it->second);
            it = m_overlay.erase(it);
        } else {
            ++it;
        }
    }
}

void RecordGridModel::setRawRows(int rows)
{
    rows = std::max(rows, 1);
    if (rows == m_rows)
        return;
    const bool own = openReset();
    m_rows = rows;
    if (m_rawCount > rows - 1) {
        m_rawCount = rows - 1;
        // Records kept aside stay whole; the count bounds what is shown.
        if (m_stored && m_stored.use_count() == 1)
            m_stored->truncate(m_rawCount);
        else
            m_raw.truncate(qsizetype(m_rawCount) * rawRecordSize());
    }
    if (m_overlayLastRow >= rows) {
        dropOverlay([rows](std::uint64_t k) { return int(k >> 32) >= rows; });
        m_overlayLastRow = std::min(m_overlayLastRow, rows - 1);
    }
    updateTextRoom();
    compactIfWasteful();
    closeReset(own);
}

void RecordGridModel::setRawCols(int cols)
{
    cols = std::max(cols, 1);
    if (cols == m_cols)
        return;
    const bool own = openReset();
    m_cols = cols;
    m_shape.cols = std::min(m_shape.cols, cols);
    m_oldShape.cols = std::min(m_oldShape.cols, cols);
    dropOverlay([cols](std::uint64_t k) { return int(k & 0xffffffffu) >= cols; });
    m_colWidths.resize(static_cast<std::size_t>(cols), m_defaultColWidth);
    m_layoutDirty = true;
    compactIfWasteful();
    closeReset(own);
}

namespace {

std::uint16_t word(const unsigned char *p, int offset)
{
    return qFromLittleEndian<quint16>(p + offset);
}

// The alarm text as UTF-16 units up to the first 0, a lone surrogate shown
// as U+FFFD, in UTF-8.
qsizetype alarmText(const unsigned char *record, char *out)
{
    char16_t units[LogFileFormat::AlarmTextUnits];
    int count = 0;
    while (count < LogFileFormat::AlarmTextUnits) {
        units[count] = char16_t(word(record, 12 + 2 * count));
        if (units[count] == 0)
            break;
        ++count;
    }
    qsizetype n = 0;
    for (int u = 0; u < count; ++u) {
        char32_t c = units[u];
        if (QChar::isHighSurrogate(c) && u + 1 < count && QChar::isLowSurrogate(units[u + 1]))
            c = QChar::surrogateToUcs4(char16_t(c), units[++u]);
        else if (QChar::isSurrogate(c))
            c = QChar::ReplacementCharacter;
        if (c < 0x80) {
            out[n++] = char(c);
        } else if (c < 0x800) {
            out[n++] = char(0xc0 | (c >> 6));
            out[n++] = char(0x80 | (c & 0x3f));
        } else if (c < 0x10000) {
            out[n++] = char(0xe0 | (c >> 12));
            out[n++] = char(0x80 | ((c >> 6) & 0x3f));
            out[n++] = char(0x80 | (c & 0x3f));
        } else {
            out[n++] = char(0xf0 | (c >> 18));
            out[n++] = char(0x80 | ((c >> 12) & 0x3f));
            out[n++] = char(0x80 | ((c >> 6) & 0x3f));
            out[n++] = char(0x80 | (c & 0x3f));
        }
    }
    return n;
}

} // namespace

std::optional<CellNumber> RecordGridModel::rawNumber(int col, int row,
                                                     ValueFormat::Format textsIn) const
{
    // Cells past the records are empty.
    if (row < 1 || row > m_rawCount)
        return std::nullopt;
    if (isTagCell(col, row)) {
        const std::optional<double> value = tagCell(col, row, nullptr);
        if (!value)
            return std::nullopt;
        const int decimals = (*m_tagColumns)[std::size_t(col - 3)].shownDecimals();
        if (decimals == 0)
            return CellNumber::decimal(std::int64_t(*value));
        ValueFormat::FloatValue real;
        real.value = *value;
        real.decimals = decimals < 0 ? 6 : decimals;
        real.separator = real.decimals > 0;
        return CellNumber::realNumber(real);
    }
    const RawShape &shape = row < m_split ? m_shape : m_oldShape;
    if (col >= shape.cols)
        return std::nullopt;
    if (m_stored)
        return m_stored->number(col, row - 1, systemSeparatorForTexts());
    const auto *record = reinterpret_cast<const unsigned char *>(m_raw.constData())
        + qsizetype(row - 1) * rawRecordSize();
    using namespace ValueFormat;
    if (col == 0)
        return CellNumber::decimal(qFromLittleEndian<qint32>(record));
    if (m_rawKind == RawKind::Alarm) {
        if (col == 2)
            return CellNumber::decimal(record[11]);
        if (col == 3) // the alarm's own text
            return CellNumber::read(rawCell(col, row), textsIn, systemSeparatorForTexts());
        return std::nullopt;
    }
    if (col < 3) // date and time
        return std::nullopt;
    if (isPairFormat(shape.format)) {
        const int p = col - 3;
        const std::uint32_t bits = std::uint32_t(word(record, 12 + 4 * p))
            | std::uint32_t(word(record, 14 + 4 * p)) << 16;
        if (shape.format == Format::Hex32)
            return CellNumber::hex(bits);
        if (shape.format == Format::Float32)
            return CellNumber::realNumber(floatValue(bits));
        return CellNumber::decimal(std::int32_t(bits));
    }
    const std::uint16_t w = word(record, 12 + 2 * (col - 3));
    return CellNumber::decimal(shape.format == Format::Signed16 ? std::int64_t(std::int16_t(w))
                                                                : std::int64_t(w));
}

CellText RecordGridModel::rawCell(int col, int row) const
{
    CellText t;
    if (row < 1 || row > m_rawCount)
        return t;
    if (isTagCell(col, row)) {
        tagCell(col, row, &t);
        return t;
    }
    const RawShape &shape = row < m_split ? m_shape : m_oldShape;
    if (col >= shape.cols)
        return t;
    if (m_stored) {
        m_stored->cell(col, row - 1, t);
        return t;
    }
    const auto *record = reinterpret_cast<const unsigned char *>(m_raw.constData())
        + qsizetype(row - 1) * rawRecordSize();
    using namespace ValueFormat;
    if (col == 0) {
        t.setMade(decimal(qFromLittleEndian<qint32>(record)));
    } else if (m_rawKind == RawKind::Alarm) {
        if (col == 1)
            t.setMade(
                alarmTime(word(record, 4), record[6], record[7], record[8], record[9], record[10]));
        else if (col == 2)
            t.setMade(decimal(record[11]));
        else
            t.setMade(alarmText(record, t.buffer()));
    } else if (col == 1) {
        t.setMade(recordDate(word(record, 4), record[6], record[7]));
    } else if (col == 2) {
        t.setMade(recordTime(record[8], record[9], record[10]));
    } else if (isPairFormat(shape.format)) {
        const int p = col - 3;
        t.setMade(pairText(shape.format, word(record, 12 + 4 * p), word(record, 14 + 4 * p),
                           m_separator));
    } else {
        t.setMade(wordText(shape.format, word(record, 12 + 2 * (col - 3))));
    }
    return t;
}

void RecordGridModel::setTagColumns(std::shared_ptr<const TagColumns> columns)
{
    // No sheet before and after is no change: the views keep their place.
    if (columns == m_tagColumns)
        return;
    const bool own = openReset();
    m_tagColumns = std::move(columns);
    m_longTagTexts.clear();
    closeReset(own);
}

bool RecordGridModel::tagRaw(const TagFormatter &f, int row, std::uint32_t &raw) const
{
    if (m_stored) {
        std::array<QByteArrayView, LogFileFormat::ValueWords> stored;
        std::array<ValueFormat::Text, 2> made;
        const int w = f.tag().word;
        const int words = isWideTag(f.tag().type) ? 2 : 1;
        for (int i = 0; i < words && w + i < LogFileFormat::ValueWords; ++i)
            stored[std::size_t(w + i)] = m_stored->valueText(w + i, row - 1, made[std::size_t(i)]);
        return f.rawFromStored(stored, raw);
    }
    const auto *record = reinterpret_cast<const unsigned char *>(m_raw.constData())
        + qsizetype(row - 1) * rawRecordSize();
    // Only the words the tag takes.
    TagFormatter::Words words {};
    const int w = std::clamp(f.tag().word, 0, LogFileFormat::ValueWords - 1);
    const int last = std::min(w + 1, LogFileFormat::ValueWords - 1);
    for (int i = w; i <= last; ++i)
        words[std::size_t(i)] = word(record, 12 + 2 * i);
    raw = f.rawFromWords(words);
    return true;
}

std::optional<DecimalText::ShownDecimal> RecordGridModel::cellDecimal(int col, int shownRow) const
{
    const int row = wholeRow(shownRow);
    if (!isRaw() || !inside(col, row) || row < 1 || row > m_rawCount)
        return std::nullopt;
    if (row <= m_overlayLastRow && m_overlay.count(key(col, row)) != 0)
        return std::nullopt;
    if (isTagCell(col, row)) {
        std::uint32_t raw = 0;
        const TagFormatter *f = tagRawOf(col, row, raw);
        return f ? f->shownDecimal(raw) : std::nullopt;
    }
    if (!cellIsNumber(col, shownRow))
        return std::nullopt;
    const std::optional<CellNumber> n = rawNumber(col, row, ValueFormat::Format::Unsigned16);
    if (!n || n->shown != CellNumber::Shown::Decimal)
        return std::nullopt;
    return DecimalText::ShownDecimal {n->integer, 0};
}

const TagFormatter *RecordGridModel::tagRawOf(int col, int row, std::uint32_t &raw) const
{
    const auto c = std::size_t(col - 3);
    if (c >= m_tagColumns->size())
        return nullptr;
    const TagFormatter &f = (*m_tagColumns)[c];
    return tagRaw(f, row, raw) ? &f : nullptr;
}

std::optional<double> RecordGridModel::tagCell(int col, int row, CellText *text) const
{
    std::uint32_t raw = 0;
    const TagFormatter *found = tagRawOf(col, row, raw);
    if (!found)
        return std::nullopt; // an empty stored value shows as empty
    const TagFormatter &f = *found;
    if (!text)
        return f.number(raw);
    thread_local QByteArray made;
    const std::optional<double> value = f.write(raw, made);
    if (made.size() <= CellText::Capacity) {
        std::memcpy(text->buffer(), made.constData(), std::size_t(made.size()));
        text->setMade(made.size());
    } else {
        *text = CellText(QByteArrayView(*m_longTagTexts.insert(made).first));
    }
    return value;
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
    return parent.isValid() ? 0 : rows() - 1;
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
