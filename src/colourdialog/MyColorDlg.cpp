#include "colourdialog/MyColorDlg.h"

#include "ui_MyColorDlg.h"

#include "colourdialog/ColourChooser.h"
#include "platform/Fonts.h"
#include "widgets/ColourPalette.h"

#include <QKeyEvent>
#include <QPushButton>

TMyColorFrm::TMyColorFrm(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , ui(std::make_unique<Ui::TMyColorFrm>())
    , m_standard(std::make_unique<StandardColourChooser>())
    , m_chooser(m_standard.get())
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("TMyColorFrm"));
    setModal(true);
    setFixedSize(153, 119);
    // Hidden, not closed, between uses; it never ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);

    QPalette grey = ui->Panel1->palette();
    grey.setColor(QPalette::Window, QColor(160, 160, 164));
    ui->Panel1->setPalette(grey);
    ui->Panel1->setAutoFillBackground(true);
    for (QPushButton *b : {ui->SpeedButton4, ui->SpeedButton1}) {
        b->setFont(songFace(14));
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    connect(ui->RzColorPicker1, &ColourPalette::clicked, this, &TMyColorFrm::RzColorPicker1Click);
    connect(ui->SpeedButton1, &QPushButton::clicked, this, &TMyColorFrm::SpeedButton1Click);
    connect(ui->SpeedButton4, &QPushButton::clicked, this, &TMyColorFrm::SpeedButton2Click);
}

TMyColorFrm::~TMyColorFrm() = default;

void TMyColorFrm::setColourChooser(ColourChooser *chooser)
{
    m_chooser = chooser ? chooser : m_standard.get();
}

void TMyColorFrm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TMyColorFrm::FormShow()
{
    ui->RzColorPicker1->setSelectedColour(ColourChoice::fromColourWord(m_colour));
    // Escape reaches the dialog, not a button.
    activateWindow();
    setFocus();
}

void TMyColorFrm::RzColorPicker1Click()
{
    // A release over the border selects no cell: that is no choice, and the
    // dialog stays open.
    const std::optional<QColor> chosen = ui->RzColorPicker1->selectedColour();
    if (!chosen)
        return;
    m_colour = ColourChoice::toColourWord(*chosen);
    accept();
}

void TMyColorFrm::SpeedButton1Click()
{
    if (const std::optional<QColor> chosen
        = m_chooser->choose(this, ColourChoice::fromColourWord(m_colour)))
        m_colour = ColourChoice::toColourWord(*chosen);
    accept();
}

void TMyColorFrm::SpeedButton2Click()
{
    reject();
}

void TMyColorFrm::keyPressEvent(QKeyEvent *event)
{
    FormKeyDown(event);
}

void TMyColorFrm::FormKeyDown(QKeyEvent *event)
{
    // Only Escape does anything; Enter chooses nothing.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        reject();
        return;
    }
    event->ignore();
}
