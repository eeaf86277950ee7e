#include "curvewindow/LSCurrent.h"

#include "ui_LSCurrent.h"

#include "colourdialog/MyColorDlg.h"
#include "curves/CurveCaptions.h"
#include "curves/CurveData.h"
#include "curves/CurvePicture.h"
#include "curves/CurveReadout.h"
#include "curves/FontClasses.h"
#include "curves/PageWalk.h"
#include "curves/PrintPages.h"
#include "document/RecordSource.h"
#include "curvewindow/CurveReadoutOverlay.h"
#include "curvewindow/CurveTab.h"
#include "platform/WindowPlacement.h"
#include "printing/PrintJobSink.h"
#include "records/RecordGridModel.h"
#include "widgets/ColourPanel.h"
#include "widgets/ImageView.h"
#include "widgets/MessageBoxSink.h"
#include "widgets/SpinEdit.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QTabWidget>

#include <algorithm>
#include <limits>

namespace {

int clampToInt(qint64 v)
{
    return static_cast<int>(
        std::clamp<qint64>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

QRgb rgbOf(const ColourPanel *panel)
{
    return panel->colour().rgb();
}

// The window's client area as a print job shows it: the face colour, and the
// curve picture where the picture control stands, drawn for the device.
class ClientAreaPage : public PagePicture
{
public:
    ClientAreaPage(QSize size, QColor face, QPoint pictureAt, CurveSettings settings,
                   CurvePicture::View view)
        : m_size(size)
        , m_face(face)
        , m_at(pictureAt)
        , m_settings(std::move(settings))
        , m_view(view)
    { }
    QSize size() const override { return m_size; }
    void paint(QPainter &painter) const override
    {
        painter.fillRect(QRect(QPoint(0, 0), m_size), m_face);
        painter.save();
        painter.translate(m_at);
        CurvePicture::paint(painter, m_settings, m_view);
        painter.restore();
    }
    QImage image() const override
    {
        QImage page(m_size, QImage::Format_RGB32);
        page.fill(m_face);
        QImage picture;
        CurvePicture::draw(picture, m_settings, m_view);
        QPainter p(&page);
        p.drawImage(m_at, picture);
        return page;
    }

private:
    QSize m_size;
    QColor m_face;
    QPoint m_at;
    CurveSettings m_settings;
    CurvePicture::View m_view;
};

} // namespace

TLSCurrentFrm::TLSCurrentFrm(const RecordSource &source, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint)
    , ui(std::make_unique<Ui::TLSCurrentFrm>())
    , m_source(source)
{
    setFont(FontClasses::windowFont(14));
    ui->setupUi(this);
    setObjectName(QStringLiteral("TLSCurrentFrm"));
    // Closing this window hides it; it never ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(907, 554);

    m_curveTabs[0] = ui->curveTab1;
    m_curveTabs[1] = ui->curveTab2;
    m_curveTabs[2] = ui->curveTab3;
    m_curveTabs[3] = ui->curveTab4;
    m_curveTabs[4] = ui->curveTab5;
    // The five tabs share one form; each starts with its curve's settings.
    const CurveSettings defaults;
    for (int k = 0; k < CurveCount; ++k)
        m_curveTabs[k]->setCurve(defaults.curves[static_cast<std::size_t>(k)]);

    // Look of the controls the form cannot say.
    ui->Label2->setFont(FontClasses::headingFont(29));
    for (QPushButton *b : {ui->BitBtn1, ui->BitBtn2}) {
        QFont f = font();
        f.setPixelSize(19);
        b->setFont(f);
    }
    ui->BitBtn1->setStyleSheet(QStringLiteral("QPushButton { color: #ff00ff; }"));
    ui->BitBtn2->setStyleSheet(QStringLiteral("QPushButton { color: #800080; }"));
    ui->BitBtn1->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    ui->BitBtn2->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    ui->Label39->setStyleSheet(QStringLiteral("color: red;"));
    ui->Label37->setStyleSheet(QStringLiteral("color: red;"));
    ui->RzPageControl2->setStyleSheet(QStringLiteral(
        "QTabBar::tab { border: 1px solid #909090; border-bottom: none;"
        " border-top-left-radius: 5px; border-top-right-radius: 5px; padding: 2px 5px;"
        " background: #e6e6e6; }"
        "QTabBar::tab:selected { background: #ffffff; color: blue; font-weight: bold; }"));
    ui->RzPageControl2->setCurrentIndex(0);
    ui->Label2->setAttribute(Qt::WA_TransparentForMouseEvents);
    // No points per screen until the first draw.
    ui->ScrollBar1->setPageStep(0);

    // The readout lies over the picture and follows the pointer.
    m_overlay = new CurveReadoutOverlay(ui->Image1);
    m_overlay->setObjectName(QStringLiteral("CurveReadout"));
    m_overlay->setGeometry(ui->Image1->rect());
    ui->Image1->setMouseTracking(true);
    ui->Image1->installEventFilter(this);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &TLSCurrentFrm::clearMarkers);

    FormCreate();
    connectControls();
}

void TLSCurrentFrm::writeInitialTexts()
{
    for (int i = 0; i < CurveCaptions::ShowKindCount; ++i) {
        ui->ComboBoxU_CH->addItem(CurveCaptions::showKindItem(true, i));
        ui->ComboBoxU_EN->addItem(CurveCaptions::showKindItem(false, i));
    }
    // Until the first showing the window reads as designed, in Chinese.
    for (CurveTab *tab : m_curveTabs) {
        QComboBox *showKind = tab->showKindList();
        const QSignalBlocker block(showKind);
        for (int i = 0; i < CurveCaptions::ShowKindCount; ++i)
            showKind->addItem(CurveCaptions::showKindItem(true, i));
        showKind->setCurrentIndex(0);
    }
    applyCaptions(true);
}

TLSCurrentFrm::~TLSCurrentFrm() = default;

void TLSCurrentFrm::FormCreate()
{
    writeInitialTexts();
    // Qt widgets paint double-buffered already; each curve tab builds its
    // own line-style and line-width lists.
}

void TLSCurrentFrm::connectControls()
{
    const auto redraw = [this] { ScrollBar1Change(); };
    for (SpinEdit *s : {ui->SpinEdit1, ui->SpinEdit2, ui->SpinEdit5, ui->SpinEdit6, ui->SpinEdit7,
                        ui->SpinEdit8, ui->SpinEdit10, ui->SpinEdit11})
        connect(s, &SpinEdit::valueChanged, this, redraw);
    for (CurveTab *tab : m_curveTabs)
        connect(tab, &CurveTab::settingChanged, this, redraw);
    connect(ui->ComboBox8, &QComboBox::currentIndexChanged, this, redraw);
    connect(ui->ComboBox4, &QComboBox::currentIndexChanged, this, redraw);
    connect(ui->ScrollBar1, &QScrollBar::valueChanged, this, redraw);

    for (QCheckBox *c : {ui->CheckBox2, ui->CheckBox3, ui->CheckBox4, ui->CheckBox5})
        connect(c, &QCheckBox::clicked, this, [this] { CheckBox2Click(); });

    for (ColourPanel *p : {ui->OrganBackCol, ui->OrganFrontCol, ui->RzColorEditX, ui->RzColorEditY})
        connect(p, &ColourPanel::clicked, this, &TLSCurrentFrm::OrganBackColClick);
    for (CurveTab *tab : m_curveTabs)
        connect(tab->colourPanel(), &ColourPanel::clicked, this, &TLSCurrentFrm::OrganBackColClick);

    connect(ui->SpinEdit3, &SpinEdit::valueChanged, this, [this] { SpinEdit3Change(); });
    connect(ui->SpinEdit4, &SpinEdit::valueChanged, this, [this] { SpinEdit4Change(); });
    connect(ui->BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(ui->BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
}

bool TLSCurrentFrm::hasCurves() const
{
    return !ui->Image1->isHidden();
}

void TLSCurrentFrm::showAndRaise()
{
    show();
    raise();
    activateWindow();
}

QString TLSCurrentFrm::noDataText() const
{
    return ui->Label2->text();
}

void TLSCurrentFrm::setPrintRange(std::optional<qint64> start, std::optional<qint64> end)
{
    const auto set = [](SpinEdit *field, qint64 id) {
        field->setValue(
            int(std::max<qint64>(field->minimum(), std::min<qint64>(id, field->maximum()))));
    };
    if (start)
        set(ui->SpinEdit3, *start);
    if (end)
        set(ui->SpinEdit4, *end);
}

int TLSCurrentFrm::firstDataId() const
{
    return ui->SpinEdit3->tag();
}

CurveSettings TLSCurrentFrm::settings() const
{
    CurveSettings s;
    for (int k = 0; k < CurveCount; ++k)
        s.curves[static_cast<std::size_t>(k)] = m_curveTabs[k]->curve();
    s.width = ui->SpinEdit1->value();
    s.height = ui->SpinEdit2->value();
    s.vDivisions = ui->SpinEdit5->value();
    s.hDivisions = ui->SpinEdit6->value();
    s.background = rgbOf(ui->OrganBackCol);
    s.grid = rgbOf(ui->OrganFrontCol);
    s.hideGrid = ui->CheckBox2->isChecked();
    s.hideXInfo = ui->CheckBox3->isChecked();
    s.hideYMarks = ui->CheckBox4->isChecked();
    s.xInfoColour = rgbOf(ui->RzColorEditX);
    s.xInfoFontClass = ui->ComboBox8->currentIndex();
    s.markMax = ui->SpinEdit7->value();
    s.markMin = ui->SpinEdit8->value();
    s.markDecimals = ui->SpinEdit10->value();
    s.markCount = ui->SpinEdit11->value();
    s.markColour = rgbOf(ui->RzColorEditY);
    s.markFontClass = ui->ComboBox4->currentIndex();
    return s;
}

void TLSCurrentFrm::applyCaptions(bool chinese)
{
    for (const CurveCaptions::Caption &c : CurveCaptions::all()) {
        const QString text = CurveCaptions::text(c, chinese);
        if (c.objectName == objectName()) {
            setWindowTitle(text);
            continue;
        }
        // A curve tab's control is named after its tab: "curveTab1.showKindLabel".
        QWidget *w = this;
        for (const QString &name : c.objectName.split(QLatin1Char('.'))) {
            w = w->findChild<QWidget *>(name);
            if (!w)
                break;
        }
        if (!w)
            continue;
        if (auto *l = qobject_cast<QLabel *>(w)) {
            // Labels size themselves to their caption, as on the panel, or
            // to their place in a layout.
            l->setText(text);
            if (l != ui->Label2 && !l->parentWidget()->layout())
                l->adjustSize();
        } else if (auto *b = qobject_cast<QAbstractButton *>(w))
            b->setText(text);
        else if (auto *g = qobject_cast<QGroupBox *>(w))
            g->setTitle(text);
        else if (const int i = ui->RzPageControl2->indexOf(w); i >= 0)
            ui->RzPageControl2->setTabText(i, text);
    }
}

void TLSCurrentFrm::FormShow()
{
    const bool chinese = m_source.chineseUi();
    applyCaptions(chinese);

    // The show-kind items come from the hidden list of the language.
    const QComboBox *source = chinese ? ui->ComboBoxU_CH : ui->ComboBoxU_EN;
    QStringList kinds;
    for (int i = 0; i < source->count(); ++i)
        kinds << source->itemText(i);
    for (int k = 0; k < CurveCount; ++k) {
        QComboBox *showKind = m_curveTabs[k]->showKindList();
        const QSignalBlocker block(showKind);
        showKind->clear();
        showKind->addItems(kinds);
        showKind->setCurrentIndex(CurveCaptions::defaultShowKind(k));
    }
    showData();
}

void TLSCurrentFrm::refreshData()
{
    if (isHidden())
        return;
    const bool atEnd = hasCurves() && ui->ScrollBar1->value() == ui->ScrollBar1->maximum();
    if (m_source.recordGrid().rows() <= 2 || !m_source.displayFormatEnabled()) {
        FormClose();
        return;
    }
    showData();
    if (atEnd)
        ui->ScrollBar1->setValue(ui->ScrollBar1->maximum());
}

void TLSCurrentFrm::showData()
{
    const RecordGridModel &grid = m_source.recordGrid();
    const int rows = grid.rows();
    if (rows <= 2 || !m_source.displayFormatEnabled())
        return;

    const int first = CurveData::GridReader(grid, false).firstDataId();
    ui->SpinEdit3->setTag(first);
    ui->SpinEdit3->setRange(first, clampToInt(qint64(first) + rows - 3));
    ui->SpinEdit3->setValue(first);
    const int last = clampToInt(qint64(first) + rows - 2);
    ui->SpinEdit4->setRange(clampToInt(qint64(first) + 1), last);
    ui->SpinEdit4->setValue(last);
    SpinEdit3Change();
    SpinEdit4Change();

    m_lastPictureSize = -1;
    // Markers belong to the rows of the last showing.
    m_markerA.reset();
    m_markerB.reset();
    // A position beyond the new maximum comes down to it, which redraws.
    ui->ScrollBar1->setMaximum(rows - 2);
    ui->ScrollBar1->show();
    ui->Image1->show();
    ui->Label2->hide();
    m_pageCount = 0;
    LSQx_Draw();
    ui->BitBtn2->setEnabled(true);
}

void TLSCurrentFrm::FormClose()
{
    ui->ScrollBar1->hide();
    ui->Image1->hide();
    ui->BitBtn2->setEnabled(false);
    ui->Label2->show();
}

void TLSCurrentFrm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Only a change from hidden to shown is a showing, not a restore by the
    // window system.
    if (event->spontaneous())
        return;
    if (!m_placed) {
        m_placed = true;
        if (const QScreen *screen = this->screen())
            move(WindowPlacement::centredInside(frameGeometry().size(), screen->availableGeometry())
                     .topLeft());
    }
    FormShow();
}

void TLSCurrentFrm::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // An open window keeps its captions until its next showing; a hidden
    // one takes the new language at once.
    if (event->type() == QEvent::LanguageChange && isHidden())
        applyCaptions(m_source.chineseUi());
}

void TLSCurrentFrm::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
}

void TLSCurrentFrm::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    ui->Panel1->resize(width(), PrintPages::PanelHeight);
    // The caption keeps its place under the tab row, where no gap between
    // the groups lets it show, however wide the window grows.
    // While printing the panel is hidden and the picture sits at the top.
    const int top = ui->Panel1->isHidden() ? 0 : PrintPages::PanelHeight;
    ui->Image1->setGeometry(0, top, width(), std::max(0, height() - top));
    if (m_overlay)
        m_overlay->setGeometry(ui->Image1->rect());
}

std::optional<int> TLSCurrentFrm::rowUnder(int x) const
{
    const std::optional<int> i = CurveReadout::pointAt(m_layout, x);
    if (!i)
        return std::nullopt;
    const qint64 row = qint64(m_shownPos) + 1 + *i;
    if (row >= m_source.recordGrid().rows())
        return std::nullopt;
    return static_cast<int>(row);
}

void TLSCurrentFrm::refreshOverlay()
{
    if (!m_overlay)
        return;
    const auto markerX = [this](std::optional<int> row) -> std::optional<int> {
        if (!row)
            return std::nullopt;
        const qint64 i = qint64(*row) - 1 - m_shownPos;
        if (i < 0 || i >= m_layout.points)
            return std::nullopt;
        return CurveReadout::markerX(m_layout, static_cast<int>(i));
    };
    m_overlay->setMarkers(markerX(m_markerA), markerX(m_markerB), m_layout.plotBottom);

    QList<CurveReadout::Line> lines;
    const std::optional<int> row = m_pointer ? rowUnder(m_pointer->x()) : std::nullopt;
    // The check box that asks for no point values hides the readout.
    if (row && hasCurves() && !ui->CheckBox5->isChecked()
        && m_pointer->y() <= m_layout.plotBottom) {
        CurveReadout::Source src;
        src.grid = &m_source.recordGrid();
        src.format = int(m_source.displayFormat());
        src.chinese = m_source.chineseUi();
        lines = CurveReadout::readout(settings(), src, *row, m_markerA, m_markerB);
    }
    m_overlay->setReadout(lines, m_pointer.value_or(QPoint()));
}

void TLSCurrentFrm::pointerAt(std::optional<QPoint> pointer)
{
    m_pointer = pointer;
    refreshOverlay();
}

void TLSCurrentFrm::clickAt(int x)
{
    const std::optional<int> row = rowUnder(x);
    if (!row || !hasCurves())
        return;
    // A third click starts a new pair.
    if (!m_markerA || m_markerB) {
        m_markerA = row;
        m_markerB.reset();
    } else {
        m_markerB = row;
    }
    refreshOverlay();
}

void TLSCurrentFrm::clearMarkers()
{
    m_markerA.reset();
    m_markerB.reset();
    refreshOverlay();
}

bool TLSCurrentFrm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->Image1) {
        switch (event->type()) {
        case QEvent::MouseMove:
            pointerAt(static_cast<QMouseEvent *>(event)->position().toPoint());
            break;
        case QEvent::Leave:
            pointerAt(std::nullopt);
            break;
        case QEvent::MouseButtonPress: {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::LeftButton) {
                clickAt(mouse->position().toPoint().x());
                pointerAt(mouse->position().toPoint());
            }
            break;
        }
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TLSCurrentFrm::ScrollBar1Change()
{
    LSQx_Draw();
}

void TLSCurrentFrm::CheckBox2Click()
{
    LSQx_Draw();
}

void TLSCurrentFrm::setColourDialog(TMyColorFrm *dialog)
{
    m_colourDialog = dialog;
    // A panel's remembered colour starts as the colour it shows, so that a
    // first dialog starts there and "Custom..." then cancel keeps it.
    for (ColourPanel *p : findChildren<ColourPanel *>())
        p->setRememberedColour(p->colour());
}

void TLSCurrentFrm::OrganBackColClick(ColourPanel *sender)
{
    if (sender && m_colourDialog) {
        const QRect panel(sender->mapTo(this, QPoint(0, 0)), sender->size());
        m_colourDialog->move(ColourChoice::dialogPosition(frameGeometry().topLeft(), panel));
        m_colourDialog->setColour(ColourChoice::toColourWord(sender->rememberedColour()));
        if (m_colourDialog->exec() == QDialog::Accepted) {
            const QColor chosen = ColourChoice::fromColourWord(m_colourDialog->colour());
            if (chosen.isValid()) {
                sender->setRememberedColour(chosen);
                sender->setColour(chosen);
            }
        }
    }
    LSQx_Draw();
}

void TLSCurrentFrm::placeScrollBar(const QRect &relative)
{
    const QPoint origin = ui->Image1->pos();
    // Kept within the picture's top when the height leaves no room for it.
    ui->ScrollBar1->setGeometry(origin.x() + relative.x(), origin.y() + std::max(0, relative.y()),
                                relative.width(), relative.height());
    ui->ScrollBar1->raise();
}

CurvePicture::View TLSCurrentFrm::pictureView() const
{
    CurvePicture::View view;
    view.grid = &m_source.recordGrid();
    view.realCells = m_source.displayFormat() == ValueFormat::Format::Float32;
    view.pos = ui->ScrollBar1->value();
    view.scrollMax = ui->ScrollBar1->maximum();
    return view;
}

QImage TLSCurrentFrm::curvePicture(qreal scale) const
{
    QImage picture;
    CurvePicture::draw(picture, settings(), pictureView(), scale);
    return picture;
}

void TLSCurrentFrm::LSQx_Draw()
{
    const CurveSettings s = settings();
    const CurvePicture::View view = pictureView();
    // At the screen's own resolution: a scale of 1 gives the exact bitmap.
    const CurveGeometry::Layout l = CurvePicture::draw(m_picture, s, view, devicePixelRatioF());
    ui->Image1->setImage(m_picture);
    m_layout = l;
    m_shownPos = view.pos;
    refreshOverlay();

    placeScrollBar(l.scrollBar);
    ui->ScrollBar1->setPageStep(l.points);

    const int size = s.width + s.height;
    if (size != m_lastPictureSize) {
        m_lastPictureSize = size;
        Print_Page();
    }
}

void TLSCurrentFrm::rangeEndText(SpinEdit *field, QWidget *edit)
{
    const int first = ui->SpinEdit3->tag();
    const int v = field->value();
    if (v < first)
        return;
    const qint64 row = PrintPages::rowOfId(v, first);
    const CurveData::GridReader reader(m_source.recordGrid(), false);
    const int r = row > std::numeric_limits<int>::max() ? -1 : static_cast<int>(row);
    static_cast<QLineEdit *>(edit)->setText(reader.dateTime(r));
    Print_Page();
}

void TLSCurrentFrm::SpinEdit3Change()
{
    rangeEndText(ui->SpinEdit3, ui->Edit1);
}

void TLSCurrentFrm::SpinEdit4Change()
{
    rangeEndText(ui->SpinEdit4, ui->Edit2);
}

void TLSCurrentFrm::Print_Page()
{
    const int p = ui->ScrollBar1->pageStep();
    const std::optional<int> pages
        = PrintPages::pageCount(ui->SpinEdit3->value(), ui->SpinEdit4->value(), p);
    if (!pages)
        return;
    m_pageCount = *pages;
    ui->Label37->setText(PrintPages::pageCountText(m_pageCount, p, m_source.chineseUi()));
    const QSize picture(ui->SpinEdit1->value() + 2, ui->SpinEdit2->value() + 2);
    fitOnScreen(PrintPages::windowClientSize(picture));
}

void TLSCurrentFrm::setScreenBound(bool bound)
{
    m_screenBound = bound;
    if (m_wantedClient.isValid())
        fitOnScreen(m_wantedClient);
}

void TLSCurrentFrm::fitOnScreen(QSize client)
{
    m_wantedClient = client;
    const QScreen *screen = this->screen();
    if (!screen || !m_screenBound) {
        setFixedSize(client);
        return;
    }
    const QRect outer = frameGeometry();
    m_fittedFrame = WindowPlacement::frameOf(outer, geometry());
    // Never larger than the screen allows, title bar included; a larger
    // picture is cut at the window's edge.
    const QRect fitted = WindowPlacement::fittedOuter(client, m_fittedFrame,
                                                      screen->availableGeometry(), outer.topLeft());
    setFixedSize(WindowPlacement::clientForOuter(fitted.size(), m_fittedFrame));
    if (fitted.topLeft() != outer.topLeft())
        move(fitted.topLeft());
}

void TLSCurrentFrm::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    // A window manager reports its frame only once it framed the window: the
    // window is fitted again with the frame it really has.
    if (isVisible() && m_wantedClient.isValid()
        && WindowPlacement::frameOf(frameGeometry(), geometry()) != m_fittedFrame)
        fitOnScreen(m_wantedClient);
}

PrintJobSink &TLSCurrentFrm::printer()
{
    if (m_printSink)
        return *m_printSink;
    if (!m_printer)
        m_printer = std::make_unique<PrinterJobSink>();
    return *m_printer;
}

MessageSink &TLSCurrentFrm::messages()
{
    if (m_messages)
        return *m_messages;
    if (!m_messageBoxes)
        m_messageBoxes = std::make_unique<MessageBoxSink>();
    return *m_messageBoxes;
}

bool TLSCurrentFrm::printClientArea(PrintJobSink &sink, const QString &jobName)
{
    if (!sink.beginJob(jobName))
        return false;
    // The client area as the window paints it, on its face colour; the
    // picture is drawn afresh for the device, and the pointer's readout and
    // markers are no part of it.
    const ClientAreaPage page(size(), palette().color(QPalette::Window), ui->Image1->pos(),
                              settings(), pictureView());
    sink.drawPage(page, QSizeF(logicalDpiX(), logicalDpiY()));
    return sink.endJob();
}

void TLSCurrentFrm::BitBtn2Click()
{
    PrintJobSink &sink = printer();
    sink.setOrientation(QPageLayout::Landscape);

    const int panel = ui->Panel1->height();
    const QRect barPlace = ui->ScrollBar1->geometry();
    ui->Panel1->hide();
    ui->ScrollBar1->hide();
    setFixedSize(width(), height() - panel);

    QScrollBar *bar = ui->ScrollBar1;
    const int shown = bar->value();
    const PageWalk walk(ui->SpinEdit3->value(), firstDataId(), bar->pageStep(), m_pageCount,
                        bar->maximum());
    if (walk.pages() > 0)
        bar->setValue(walk.firstPosition());
    for (int n = 0; n < walk.pages(); ++n) {
        if (!printClientArea(sink,
                             PrintPages::jobName(m_source.openFileName(), n + 1, walk.pages()))) {
            // Stop at the first job the printer refuses; the window comes back.
            const bool chinese = m_source.chineseUi();
            QString text = CurveCaptions::printFailed(chinese);
            if (!sink.errorText().isEmpty())
                text += QStringLiteral(" (") + sink.errorText() + QLatin1Char(')');
            messages().showMessage(this, MessageIcon::Warning, CurveCaptions::errorCaption(chinese),
                                   text);
            break;
        }
        bar->setValue(walk.positionAfter(n));
    }

    // The user gets back the screen they were looking at.
    bar->setValue(shown);
    ui->Panel1->show();
    setFixedSize(width(), height() + panel);
    bar->setGeometry(barPlace);
    bar->show();
}

void TLSCurrentFrm::BitBtn1Click()
{
    const bool chinese = m_source.chineseUi();
    printer().setUp(this,
                    {CurveCaptions::printerSetupTitle(chinese), CurveCaptions::okCaption(chinese),
                     CurveCaptions::cancelCaption(chinese)});
}
