#pragma once

#include <QImage>
#include <QWidget>

// Shows a picture unscaled at its top-left corner (a picture with a device
// pixel ratio at its size in logical pixels); the rest of the widget keeps
// the window's face colour.
class ImageView : public QWidget
{
    Q_OBJECT
public:
    explicit ImageView(QWidget *parent = nullptr);

    const QImage &image() const { return m_image; }
    // Repaints only the area the old and the new picture cover.
    void setImage(const QImage &image);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_image;
};
