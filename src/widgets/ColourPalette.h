#pragma once

#include <QColor>
#include <QFrame>

#include <optional>

class QLabel;

// A flat palette of 40 colour cells. A left press selects the cell under the
// pointer and a drag moves the selection; the release over the palette is a
// click. Without a button held, the cell under the pointer is highlighted and
// its name shown in a hint below it.
class ColourPalette : public QFrame
{
    Q_OBJECT
public:
    explicit ColourPalette(QWidget *parent = nullptr);

    // The selected cell, or -1 for none.
    int selectedCell() const { return m_selected; }
    void setSelectedCell(int cell);
    // Selects the first cell of exactly this colour, or none.
    void setSelectedColour(const QColor &colour);
    // The colour of the selected cell; nothing while no cell is selected.
    std::optional<QColor> selectedColour() const;

    // The highlighted cell under the pointer, or -1.
    int hotCell() const { return m_hot; }
    // The hint window naming the highlighted cell (hidden while there is none).
    const QLabel *hint() const { return m_hint; }

    QSize sizeHint() const override { return QSize(152, 98); }

signals:
    // The left button was released over the palette.
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void setHot(int cell);

    int m_selected = -1;
    int m_hot = -1;
    QLabel *m_hint = nullptr;
};
