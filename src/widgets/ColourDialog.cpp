#include "widgets/ColourDialog.h"

#include "ui_ColourDialog.h"

#include "platform/Fonts.h"
#include "widgets/ColourChooser.h"
#include "widgets/ColourPalette.h"

#include <QKeyEvent>
#include <QPushButton>

ColourDialog::ColourDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , ui(std::make_unique<Ui::ColourDialog>())
    , m_standard(std::make_unique<StandardColourChooser>())
    , m_chooser(m_standard.get())
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("ColourDialog"));
    setModal(true);
    setFixedSize(153, 119);
    // Hidden, not closed, between uses; it never ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);

    QPalette grey = ui->backdrop->palette();
    grey.setColor(QPalette::Window, QColor(160, 160, 164));
    ui->backdrop->setPalette(grey);
    ui->backdrop->setAutoFillBackground(true);
    for (QPushButton *b : {ui->cancelButton, ui->customButton}) {
        b->setFont(songFace(14));
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    connect(ui->palette, &ColourPalette::clicked, this, &ColourDialog::chooseFromPalette);
    connect(ui->customButton, &QPushButton::clicked, this, &ColourDialog::chooseCustom);
    connect(ui->cancelButton, &QPushButton::clicked, this, &ColourDialog::cancelChoice);
}

ColourDialog::~ColourDialog() = default;

void ColourDialog::setColourChooser(ColourChooser *chooser)
{
    m_chooser = chooser ? chooser : m_standard.get();
}

void ColourDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        selectCurrentColour();
}

void ColourDialog::selectCurrentColour()
{
    ui->palette->setSelectedColour(ColourChoice::fromColourWord(m_colour));
    // Escape reaches the dialog, not a button.
    activateWindow();
    setFocus();
}

void ColourDialog::chooseFromPalette()
{
    // A release over the border selects no cell: that is no choice, and the
    // dialog stays open.
    const std::optional<QColor> chosen = ui->palette->selectedColour();
    if (!chosen)
        return;
    m_colour = ColourChoice::toColourWord(*chosen);
    accept();
}

void ColourDialog::chooseCustom()
{
    if (const std::optional<QColor> chosen
        = m_chooser->choose(this, ColourChoice::fromColourWord(m_colour)))
        m_colour = ColourChoice::toColourWord(*chosen);
    accept();
}

void ColourDialog::cancelChoice()
{
    reject();
}

void ColourDialog::keyPressEvent(QKeyEvent *event)
{
    closeOnEscape(event);
}

void ColourDialog::closeOnEscape(QKeyEvent *event)
{
    // Only Escape does anything; Enter chooses nothing.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        reject();
        return;
    }
    event->ignore();
}
