#include "widgets/LinePickerDelegate.h"

#include "widgets/LinePickerItem.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QStyleOptionComboBox>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace {

QImage pictureOf(const QVariant &decoration)
{
    if (decoration.canConvert<QImage>() && decoration.typeId() == QMetaType::QImage)
        return decoration.value<QImage>();
    if (decoration.typeId() == QMetaType::QPixmap)
        return decoration.value<QPixmap>().toImage();
    if (decoration.typeId() == QMetaType::QIcon) {
        const QIcon icon = decoration.value<QIcon>();
        const QList<QSize> sizes = icon.availableSizes();
        if (sizes.isEmpty())
            return {};
        return icon.pixmap(sizes.first(), 1.0).toImage();
    }
    return {};
}

void drawFocus(QPainter &painter, const QWidget *widget, const QRect &rect, const QPalette &palette)
{
    QStyleOptionFocusRect o;
    o.initFrom(widget);
    o.rect = rect;
    o.palette = palette;
    o.backgroundColor = palette.color(QPalette::Highlight);
    widget->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &o, &painter, widget);
}

} // namespace

LinePickerDelegate::LinePickerDelegate(QComboBox *picker)
    : QAbstractItemDelegate(picker)
    , m_picker(picker)
{
    picker->setItemDelegate(this);
    picker->installEventFilter(this);
}

QImage LinePickerDelegate::picture(int item) const
{
    if (item < 0 || item >= m_picker->count())
        return {};
    return pictureOf(m_picker->itemData(item, Qt::DecorationRole));
}

void LinePickerDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                               const QModelIndex &index) const
{
    // The row and text colours are the list's own, or the highlight's for
    // the selected row; the item does not look further at its state.
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette &pal = option.palette;
    LinePickerItem::paint(
        *painter, option.rect, pal.color(selected ? QPalette::Highlight : QPalette::Base),
        pal.color(selected ? QPalette::HighlightedText : QPalette::Text), m_picker->font(),
        picture(index.row()), index.data(Qt::DisplayRole).toString());
    if (option.state & QStyle::State_HasFocus)
        drawFocus(*painter, m_picker->view(), option.rect, pal);
}

QSize LinePickerDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    return QSize(option.rect.width(), LinePickerItem::Height);
}

bool LinePickerDelegate::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_picker && event->type() == QEvent::Paint) {
        paintClosedBox();
        return true;
    }
    return QAbstractItemDelegate::eventFilter(watched, event);
}

void LinePickerDelegate::paintClosedBox()
{
    QStylePainter painter(m_picker);
    const bool dropped = m_picker->view() && m_picker->view()->isVisible();
    QStyleOptionComboBox o;
    o.initFrom(m_picker);
    o.editable = false;
    o.frame = m_picker->hasFrame();
    o.subControls = QStyle::SC_All;
    if (dropped)
        o.state |= QStyle::State_On;
    painter.drawComplexControl(QStyle::CC_ComboBox, o);

    const int item = m_picker->currentIndex();
    if (item < 0)
        return;
    const QRect field = m_picker->style()->subControlRect(QStyle::CC_ComboBox, &o,
                                                          QStyle::SC_ComboBoxEditField, m_picker);
    // The closed box of the focused list shows its item selected.
    const bool selected = m_picker->hasFocus() && !dropped;
    const QPalette &pal = m_picker->palette();
    LinePickerItem::paint(painter, field,
                          pal.color(selected ? QPalette::Highlight : QPalette::Base),
                          pal.color(selected ? QPalette::HighlightedText : QPalette::Text),
                          m_picker->font(), picture(item), m_picker->itemText(item));
    if (m_picker->hasFocus())
        drawFocus(painter, m_picker, field, pal);
}
