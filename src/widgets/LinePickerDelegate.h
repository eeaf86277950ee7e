#pragma once

#include <QAbstractItemDelegate>
#include <QImage>

class QComboBox;

// Owner-draws a line picker: every item of its list and the item in its
// closed box, each 20 pixels high, through LinePickerItem. The items carry
// their sample pictures as their icons.
class LinePickerDelegate : public QAbstractItemDelegate
{
    Q_OBJECT
public:
    // Takes over the painting of picker; owned by it.
    explicit LinePickerDelegate(QComboBox *picker);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // The sample picture of item i, or a null image.
    QImage picture(int item) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void paintClosedBox();

    QComboBox *m_picker;
};
