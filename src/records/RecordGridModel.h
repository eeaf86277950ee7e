#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QByteArrayView>
#include <QColor>
#include <QString>

#include <cstdint>
#include <vector>

// The record grid's cells: a grid of text cells with row 0 as the title row
// and column 0 as the ID column, as the loaders, the export and the curve
// window see it (Cells[col][row] addressing, row and column counts that keep
// the cells inside the new bounds).
//
// Texts are kept as UTF-8 in one arena with an (offset, length) pair per
// cell, so a million rows of short texts cost a few bytes per cell instead of
// one QString object each.
//
// As a Qt model it shows rows 1 .. rows()-1 as data rows; the title row is
// the horizontal header and the ID column the vertical header.
class RecordGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int DefaultColWidth = 60;
    static constexpr int DefaultRowHeight = 20;

    explicit RecordGridModel(QObject *parent = nullptr);

    // Grid dimensions, counting the title row and the ID column.
    int rows() const { return m_rows; }
    int cols() const { return m_cols; }
    // New counts keep every cell that lies inside both the old and the new bounds.
    void setRows(int rows);
    void setCols(int cols);

    QString cell(int col, int row) const;
    QByteArrayView cellUtf8(int col, int row) const;
    void setCell(int col, int row, const QString &text);
    void setCellUtf8(int col, int row, QByteArrayView utf8);

    // Room for `bytes` more text, so a large load does not regrow the store.
    void reserveText(qsizetype bytes);

    // The empty grid: 2 rows, 2 columns, every cell empty.
    void makeEmpty();

    // The count that the record count display shows: 0 for a grid of exactly
    // 2 rows (which holds no records), row count - 1 otherwise.
    int recordCount() const { return m_rows == 2 ? 0 : m_rows - 1; }

    // Column widths in pixels. Setting the default width resets every column.
    int defaultColWidth() const { return m_defaultColWidth; }
    void setDefaultColWidth(int width);
    int colWidth(int col) const;
    void setColWidth(int col, int width);

    // Batch updates: while a batch is open the views hear nothing; closing
    // it resets them once if anything changed.
    void beginBatch();
    void endBatch();

    // QAbstractTableModel
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    void columnWidthsChanged();

private:
    struct Span
    {
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
    };

    std::size_t slot(int col, int row) const
    {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(m_cols)
            + static_cast<std::size_t>(col);
    }
    bool inside(int col, int row) const
    {
        return col >= 0 && row >= 0 && col < m_cols && row < m_rows;
    }
    void resize(int rows, int cols);
    // Around a change of the grid's shape or texts: outside a batch each
    // change resets the views; inside one the first change opens a single
    // reset that the batch's end closes.
    bool openReset();
    void closeReset(bool own);
    void compactIfWasteful();
    void changed(int col, int row);

    int m_rows = 2;
    int m_cols = 2;
    std::vector<Span> m_spans;
    QByteArray m_arena;
    qsizetype m_garbage = 0;
    int m_defaultColWidth = DefaultColWidth;
    std::vector<int> m_colWidths;
    int m_batchDepth = 0;
    bool m_layoutDirty = false;
    bool m_resetOpen = false;
};
