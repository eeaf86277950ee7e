#pragma once

#include "records/ValueFormat.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstring>

// One cell's text as UTF-8: either a view of text the grid keeps, or a text
// made for the asking in a buffer of its own. Valid as long as the grid is
// unchanged; copy it out (toByteArray) to keep it longer.
class CellText
{
public:
    // Room for the longest text a record's cell can be made into (an alarm
    // text of 50 UTF-16 units at 3 bytes each).
    static constexpr int Capacity = 160;

    CellText() noexcept = default;
    explicit CellText(QByteArrayView kept) noexcept
        : m_data(kept.data())
        , m_size(kept.size())
    { }
    CellText(const CellText &other) noexcept { *this = other; }
    CellText &operator=(const CellText &other) noexcept
    {
        if (other.m_data == other.m_buffer) {
            std::memcpy(m_buffer, other.m_buffer, size_t(other.m_size));
            m_data = m_buffer;
        } else {
            m_data = other.m_data;
        }
        m_size = other.m_size;
        return *this;
    }

    QByteArrayView view() const noexcept { return QByteArrayView(m_data, m_size); }
    operator QByteArrayView() const noexcept { return view(); }
    const char *data() const noexcept { return m_data; }
    qsizetype size() const noexcept { return m_size; }
    bool isEmpty() const noexcept { return m_size == 0; }
    QByteArray toByteArray() const { return QByteArray(m_data, m_size); }
    friend bool operator==(const CellText &a, QByteArrayView b) noexcept { return a.view() == b; }

    // Filling the own buffer.
    char *buffer() noexcept { return m_buffer; }
    void setMade(qsizetype size) noexcept
    {
        m_data = m_buffer;
        m_size = size;
    }
    void setMade(const ValueFormat::Text &text) noexcept
    {
        std::memcpy(m_buffer, text.data, size_t(text.size));
        setMade(text.size);
    }

private:
    const char *m_data = nullptr;
    qsizetype m_size = 0;
    char m_buffer[Capacity];
};
