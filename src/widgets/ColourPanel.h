#pragma once

#include <QColor>
#include <QFrame>

// A small framed panel whose fill is a colour setting. It also keeps the
// colour last handed back by the colour dialog (the remembered colour), which
// starts black. A click only emits clicked(); the owner chooses the colour.
class ColourPanel : public QFrame
{
    Q_OBJECT
    Q_PROPERTY(QColor colour READ colour WRITE setColour)
public:
    explicit ColourPanel(QWidget *parent = nullptr);

    QColor colour() const { return m_colour; }
    void setColour(const QColor &colour);

    QColor rememberedColour() const { return m_remembered; }
    void setRememberedColour(const QColor &colour) { m_remembered = colour; }

signals:
    void clicked(ColourPanel *panel);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QColor m_colour = Qt::black;
    QColor m_remembered = Qt::black;
};
