#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

class RecordGridModel;

// Finding a text in the grid's cells as they are stored, which is as they are
// shown: a hexadecimal or float view holds those texts. Matching ignores case
// and works on whole rows (the grid selects rows).
class GridFind
{
public:
    explicit GridFind(const QString &text);

    bool isEmpty() const { return m_needle.isEmpty(); }
    bool rowMatches(const RecordGridModel &grid, int row) const;
    // Every matching grid row, in order.
    std::vector<int> matchingRows(const RecordGridModel &grid) const;

    // "#123": the ID asked for; none for any other text.
    static std::optional<qint64> idAsked(const QString &text);
    // The first grid row whose ID column reads `id`, or -1.
    static int rowOfId(const RecordGridModel &grid, qint64 id);

    // The match after (or before) `row` in `matches`, wrapping around; -1
    // when there is none.
    static int nextMatch(const std::vector<int> &matches, int row, bool forward);

private:
    bool cellMatches(QByteArrayView cell) const;

    QString m_text;
    QByteArray m_needle; // lowered when plain ASCII
    bool m_ascii = true;
    // False when the text cannot be part of a number's decimal ("-" and
    // digits): cells that show numbers are then passed over unmade.
    bool m_canMatchNumbers = true;
};
