#include "widgets/ColourChooser.h"

#include <QColorDialog>

std::optional<QColor> StandardColourChooser::choose(QWidget *, const QColor &start)
{
    if (!m_dialog) {
        // Kept until the process ends and never destroyed: a destroyed
        // QColorDialog saves the custom colours to Qt's own settings file,
        // and the program writes nothing but its options.
        m_dialog = new QColorDialog;
        m_dialog->setWindowModality(Qt::ApplicationModal);
        for (int i = 0; i < QColorDialog::customCount(); ++i)
            QColorDialog::setCustomColor(i, Qt::white);
    }
    m_dialog->setCurrentColor(start.isValid() ? start : QColor(Qt::black));
    if (m_dialog->exec() != QDialog::Accepted)
        return std::nullopt;
    return m_dialog->selectedColor();
}
