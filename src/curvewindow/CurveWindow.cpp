#include "curvewindow/CurveWindow.h"

#include "ui_CurveWindow.h"

#include "curves/CurveCaptions.h"
#include "curves/CurveData.h"
#include "curves/CurvePicture.h"
#include "curves/CurveReadout.h"
#include "curves/FontClasses.h"
#include "curves/MarkerStatistics.h"
#include "curves/PageWalk.h"
#include "curves/PrintPages.h"
#include "curvewindow/CurveReadoutOverlay.h"
#include "curvewindow/CurveTab.h"
#include "curvewindow/MarkerStatisticsTable.h"
#include "document/RecordSource.h"
#include "platform/WindowPlacement.h"
#include "printing/PrintJobSink.h"
#include "records/RecordGridModel.h"
#include "widgets/ColourDialog.h"
#include "widgets/ColourPanel.h"
#include "widgets/ImageView.h"
#include "widgets/MessageBoxSink.h"
#include "widgets/SpinEdit.h"

#include <QAction>
#include <QCheckBox>
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
    // Alarm ticks over the picture; the timeline must outlive the page.
    void setAlarmTicks(const AlarmTicks::Timeline *timeline, std::vector<AlarmTicks::Tick> ticks,
                       int plotBottom)
    {
        m_timeline = timeline;
        m_ticks = std::move(ticks);
        m_plotBottom = plotBottom;
    }
    QSize size() const override { return m_size; }
    void paint(QPainter &painter) const override
    {
        painter.fillRect(QRect(QPoint(0, 0), m_size), m_face);
        painter.save();
        painter.translate(m_at);
        CurvePicture::paint(painter, m_settings, m_view);
        if (m_timeline)
            AlarmTicks::paint(painter, m_ticks, *m_timeline, m_plotBottom);
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
        if (m_timeline) {
            p.translate(m_at);
            AlarmTicks::paint(p, m_ticks, *m_timeline, m_plotBottom);
        }
        return page;
    }

private:
    QSize m_size;
    QColor m_face;
    QPoint m_at;
    CurveSettings m_settings;
    CurvePicture::View m_view;
    const AlarmTicks::Timeline *m_timeline = nullptr;
    std::vector<AlarmTicks::Tick> m_ticks;
    int m_plotBottom = 0;
};

// Pixels either side of a tick within which the pointer shows its alarm.
constexpr int TickReach = 2;
// The most alarms of one tick the readout lists.
constexpr int ReadoutAlarms = 8;

} // namespace

CurveWindow::CurveWindow(const RecordSource &source, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint)
    , ui(std::make_unique<Ui::CurveWindow>())
    , m_source(source)
{
    setFont(FontClasses::windowFont(14));
    ui->setupUi(this);
    setObjectName(QStringLiteral("CurveWindow"));
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
    ui->noDataLabel->setFont(FontClasses::headingFont(29));
    for (QPushButton *b : {ui->printerSetupButton, ui->printButton}) {
        QFont f = font();
        f.setPixelSize(19);
        b->setFont(f);
    }
    ui->printerSetupButton->setStyleSheet(QStringLiteral("QPushButton { color: #ff00ff; }"));
    ui->printButton->setStyleSheet(QStringLiteral("QPushButton { color: #800080; }"));
    ui->printerSetupButton->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    ui->printButton->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    ui->printPagesLabel->setStyleSheet(QStringLiteral("color: red;"));
    ui->pageCountLabel->setStyleSheet(QStringLiteral("color: red;"));
    ui->settingsTabs->setStyleSheet(QStringLiteral(
        "QTabBar::tab { border: 1px solid #909090; border-bottom: none;"
        " border-top-left-radius: 5px; border-top-right-radius: 5px; padding: 2px 5px;"
        " background: #e6e6e6; }"
        "QTabBar::tab:selected { background: #ffffff; color: blue; font-weight: bold; }"));
    ui->settingsTabs->setCurrentIndex(0);
    ui->noDataLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    // No points per screen until the first draw.
    ui->dataScrollBar->setPageStep(0);

    // The readout lies over the picture and follows the pointer.
    m_overlay = new CurveReadoutOverlay(ui->curveImage);
    m_overlay->setObjectName(QStringLiteral("CurveReadout"));
    m_overlay->setGeometry(ui->curveImage->rect());
    ui->curveImage->setMouseTracking(true);
    ui->curveImage->installEventFilter(this);
    // Alarm ticks: the check box and the picture's pop-up menu item go together.
    m_alarmTicksAction = new QAction(this);
    m_alarmTicksAction->setObjectName(QStringLiteral("alarmTicksAction"));
    m_alarmTicksAction->setCheckable(true);
    m_alarmTicksAction->setEnabled(false);
    ui->alarmTicksCheck->setEnabled(false);
    ui->curveImage->setContextMenuPolicy(Qt::ActionsContextMenu);
    ui->curveImage->addAction(m_alarmTicksAction);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &CurveWindow::clearMarkers);
    m_markerStatistics = new MarkerStatisticsTable(this);

    writeInitialTexts();
    connectControls();
}

void CurveWindow::writeInitialTexts()
{
    for (int i = 0; i < CurveCaptions::ShowKindCount; ++i) {
        ui->chineseShowKindList->addItem(CurveCaptions::showKindItem(Language::Chinese, i));
        ui->englishShowKindList->addItem(CurveCaptions::showKindItem(Language::English, i));
    }
    // Until the first showing the window reads as designed, in Chinese.
    for (CurveTab *tab : m_curveTabs) {
        QComboBox *showKind = tab->showKindList();
        const QSignalBlocker block(showKind);
        for (int i = 0; i < CurveCaptions::ShowKindCount; ++i)
            showKind->addItem(CurveCaptions::showKindItem(Language::Chinese, i));
        showKind->setCurrentIndex(0);
    }
    applyCaptions(Language::Chinese);
}

CurveWindow::~CurveWindow() = default;

void CurveWindow::connectControls()
{
    const auto onChange = [this] { redraw(); };
    for (SpinEdit *s :
         {ui->pictureWidthSpin, ui->pictureHeightSpin, ui->horizontalGridSpin, ui->verticalGridSpin,
          ui->markMaxSpin, ui->markMinSpin, ui->markDecimalsSpin, ui->markCountSpin})
        connect(s, &SpinEdit::valueChanged, this, onChange);
    for (CurveTab *tab : m_curveTabs)
        connect(tab, &CurveTab::settingChanged, this, onChange);
    connect(ui->xInfoFontList, &QComboBox::currentIndexChanged, this, onChange);
    connect(ui->markFontList, &QComboBox::currentIndexChanged, this, onChange);
    connect(ui->dataScrollBar, &QScrollBar::valueChanged, this, onChange);

    for (QCheckBox *c :
         {ui->hideGridCheck, ui->hideXInfoCheck, ui->hideYMarksCheck, ui->hideReadoutCheck})
        connect(c, &QCheckBox::clicked, this, [this] { appearanceToggled(); });

    for (ColourPanel *p : {ui->backgroundColourPanel, ui->gridColourPanel, ui->xInfoColourPanel,
                           ui->markColourPanel})
        connect(p, &ColourPanel::clicked, this, &CurveWindow::chooseColour);
    for (CurveTab *tab : m_curveTabs)
        connect(tab->colourPanel(), &ColourPanel::clicked, this, &CurveWindow::chooseColour);

    connect(ui->alarmTicksCheck, &QCheckBox::toggled, m_alarmTicksAction, &QAction::setChecked);
    connect(m_alarmTicksAction, &QAction::toggled, ui->alarmTicksCheck, &QCheckBox::setChecked);
    connect(ui->alarmTicksCheck, &QCheckBox::toggled, this, [this] {
        refreshAlarmTicks();
        refreshOverlay();
    });

    connect(ui->printStartSpin, &SpinEdit::valueChanged, this, [this] { printStartChanged(); });
    connect(ui->printEndSpin, &SpinEdit::valueChanged, this, [this] { printEndChanged(); });
    connect(ui->printerSetupButton, &QPushButton::clicked, this, [this] { setUpPrinter(); });
    connect(ui->printButton, &QPushButton::clicked, this, [this] { printPages(); });
}

bool CurveWindow::hasCurves() const
{
    return !ui->curveImage->isHidden();
}

void CurveWindow::showAndRaise()
{
    show();
    raise();
    activateWindow();
}

QString CurveWindow::noDataText() const
{
    return ui->noDataLabel->text();
}

void CurveWindow::setPrintRange(std::optional<qint64> start, std::optional<qint64> end)
{
    const auto set = [](SpinEdit *field, qint64 id) {
        field->setValue(
            int(std::max<qint64>(field->minimum(), std::min<qint64>(id, field->maximum()))));
    };
    if (start)
        set(ui->printStartSpin, *start);
    if (end)
        set(ui->printEndSpin, *end);
}

int CurveWindow::firstDataId() const
{
    return ui->printStartSpin->tag();
}

CurveSettings CurveWindow::settings() const
{
    CurveSettings s;
    for (int k = 0; k < CurveCount; ++k)
        s.curves[static_cast<std::size_t>(k)] = m_curveTabs[k]->curve();
    s.width = ui->pictureWidthSpin->value();
    s.height = ui->pictureHeightSpin->value();
    s.vDivisions = ui->horizontalGridSpin->value();
    s.hDivisions = ui->verticalGridSpin->value();
    s.background = rgbOf(ui->backgroundColourPanel);
    s.grid = rgbOf(ui->gridColourPanel);
    s.hideGrid = ui->hideGridCheck->isChecked();
    s.hideXInfo = ui->hideXInfoCheck->isChecked();
    s.hideYMarks = ui->hideYMarksCheck->isChecked();
    s.xInfoColour = rgbOf(ui->xInfoColourPanel);
    s.xInfoFontClass = ui->xInfoFontList->currentIndex();
    s.markMax = ui->markMaxSpin->value();
    s.markMin = ui->markMinSpin->value();
    s.markDecimals = ui->markDecimalsSpin->value();
    s.markCount = ui->markCountSpin->value();
    s.markColour = rgbOf(ui->markColourPanel);
    s.markFontClass = ui->markFontList->currentIndex();
    return s;
}

void CurveWindow::applyCaptions(Language language)
{
    for (const CurveCaptions::Caption &c : CurveCaptions::all()) {
        const QString text = CurveCaptions::text(c, language);
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
            if (l != ui->noDataLabel && !l->parentWidget()->layout())
                l->adjustSize();
        } else if (auto *b = qobject_cast<QAbstractButton *>(w))
            b->setText(text);
        else if (auto *g = qobject_cast<QGroupBox *>(w))
            g->setTitle(text);
        else if (const int i = ui->settingsTabs->indexOf(w); i >= 0)
            ui->settingsTabs->setTabText(i, text);
    }
    if (m_alarmTicksAction)
        m_alarmTicksAction->setText(ui->alarmTicksCheck->text());
}

void CurveWindow::prepareShowing()
{
    const Language language = m_source.language();
    applyCaptions(language);

    // The show-kind items come from the hidden list of the language.
    const QComboBox *source
        = language == Language::Chinese ? ui->chineseShowKindList : ui->englishShowKindList;
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

void CurveWindow::refreshData()
{
    if (isHidden())
        return;
    const bool atEnd = hasCurves() && ui->dataScrollBar->value() == ui->dataScrollBar->maximum();
    if (m_source.recordGrid().rows() <= 2 || !m_source.displayFormatEnabled()) {
        showNoData();
        return;
    }
    showData();
    if (atEnd)
        ui->dataScrollBar->setValue(ui->dataScrollBar->maximum());
}

void CurveWindow::showData()
{
    const RecordGridModel &grid = m_source.recordGrid();
    const int rows = grid.rows();
    if (rows <= 2 || !m_source.displayFormatEnabled())
        return;

    const int first = CurveData::GridReader(grid, false).firstDataId();
    ui->printStartSpin->setTag(first);
    ui->printStartSpin->setRange(first, clampToInt(qint64(first) + rows - 3));
    ui->printStartSpin->setValue(first);
    const int last = clampToInt(qint64(first) + rows - 2);
    ui->printEndSpin->setRange(clampToInt(qint64(first) + 1), last);
    ui->printEndSpin->setValue(last);
    printStartChanged();
    printEndChanged();

    m_lastPictureSize = -1;
    // Markers belong to the rows of the last showing.
    m_markerA.reset();
    m_markerB.reset();
    updateMarkerStatistics();
    // A position beyond the new maximum comes down to it, which redraws.
    ui->dataScrollBar->setMaximum(rows - 2);
    ui->dataScrollBar->show();
    ui->curveImage->show();
    ui->noDataLabel->hide();
    m_pageCount = 0;
    drawCurves();
    ui->printButton->setEnabled(true);
}

void CurveWindow::showNoData()
{
    m_alarmTicks.clear();
    if (m_overlay)
        m_overlay->setAlarmTicks(nullptr, {}, 0);
    publishScreenTimes(std::nullopt);
    m_markerStatistics->hide();
    ui->dataScrollBar->hide();
    ui->curveImage->hide();
    ui->printButton->setEnabled(false);
    ui->noDataLabel->show();
}

void CurveWindow::showEvent(QShowEvent *event)
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
    prepareShowing();
}

void CurveWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // An open window keeps its captions until its next showing; a hidden
    // one takes the new language at once.
    if (event->type() == QEvent::LanguageChange && isHidden())
        applyCaptions(m_source.language());
}

void CurveWindow::closeEvent(QCloseEvent *event)
{
    showNoData();
    event->accept();
}

void CurveWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    ui->settingsPanel->resize(width(), PrintPages::PanelHeight);
    // The caption keeps its place under the tab row, where no gap between
    // the groups lets it show, however wide the window grows.
    // While printing the panel is hidden and the picture sits at the top.
    const int top = ui->settingsPanel->isHidden() ? 0 : PrintPages::PanelHeight;
    ui->curveImage->setGeometry(0, top, width(), std::max(0, height() - top));
    if (m_overlay)
        m_overlay->setGeometry(ui->curveImage->rect());
}

std::optional<int> CurveWindow::rowUnder(int x) const
{
    const std::optional<int> i = CurveReadout::pointAt(m_layout, x);
    if (!i)
        return std::nullopt;
    const qint64 row = qint64(m_shownPos) + 1 + *i;
    if (row >= m_source.recordGrid().rows())
        return std::nullopt;
    return static_cast<int>(row);
}

void CurveWindow::refreshOverlay()
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
    if (row && hasCurves() && !ui->hideReadoutCheck->isChecked()
        && m_pointer->y() <= m_layout.plotBottom) {
        CurveReadout::Source src;
        src.grid = &m_source.recordGrid();
        // A tag sheet's cells hold numbers with decimals, as the float format's do.
        src.format = m_source.recordGrid().tagColumns() ? ValueFormat::Format::Float32
                                                        : m_source.displayFormat();
        src.language = m_source.language();
        lines = CurveReadout::readout(settings(), src, *row, m_markerA, m_markerB);
    }
    // The alarms of the tick under the pointer: in the readout and as the
    // picture's tool tip.
    QStringList alarmTexts;
    if (m_pointer && m_pointer->y() <= m_layout.plotBottom) {
        const std::vector<AlarmTicks::Tick> near
            = AlarmTicks::ticksNear(m_alarmTicks, m_pointer->x(), TickReach);
        for (std::size_t k = 0; k < near.size() && k < std::size_t(ReadoutAlarms); ++k) {
            const Alarm &alarm = m_alarmTimeline.alarms()[std::size_t(near[k].alarm)];
            alarmTexts << AlarmTicks::text(alarm, m_source.language());
            if (!ui->hideReadoutCheck->isChecked())
                lines << CurveReadout::Line {AlarmTicks::colour(alarm.number), alarmTexts.last()};
        }
        if (near.size() > std::size_t(ReadoutAlarms)) {
            alarmTexts << QStringLiteral("… +%1").arg(near.size() - std::size_t(ReadoutAlarms));
            if (!ui->hideReadoutCheck->isChecked())
                lines << CurveReadout::Line {std::nullopt, alarmTexts.last()};
        }
    }
    ui->curveImage->setToolTip(alarmTexts.join(QLatin1Char('\n')));
    m_overlay->setReadout(lines, m_pointer.value_or(QPoint()));
}

std::vector<AlarmTicks::Tick> CurveWindow::ticksOfScreen() const
{
    if (m_alarmTimeline.isEmpty() || !hasCurves())
        return {};
    const auto times = AlarmTicks::pointTimes(m_source.recordGrid(), m_shownPos, m_layout.points);
    return AlarmTicks::ticks(m_alarmTimeline, m_layout, times);
}

void CurveWindow::refreshAlarmTicks()
{
    std::optional<AlarmTicks::Span> span;
    m_alarmTicks.clear();
    // Without alarms nothing is read: the picture's draw costs what it did.
    if (!m_alarmTimeline.isEmpty() && hasCurves()) {
        const auto times
            = AlarmTicks::pointTimes(m_source.recordGrid(), m_shownPos, m_layout.points);
        span = AlarmTicks::span(times);
        if (ui->alarmTicksCheck->isChecked())
            m_alarmTicks = AlarmTicks::ticks(m_alarmTimeline, m_layout, times);
    }
    if (m_overlay)
        m_overlay->setAlarmTicks(&m_alarmTimeline, m_alarmTicks, m_layout.plotBottom);
    publishScreenTimes(span);
}

void CurveWindow::publishScreenTimes(std::optional<AlarmTicks::Span> span)
{
    if (span == m_screenTimes)
        return;
    m_screenTimes = span;
    emit screenTimesChanged(span ? std::optional<qint64>(span->first) : std::nullopt,
                            span ? std::optional<qint64>(span->last) : std::nullopt);
}

void CurveWindow::setAlarms(const std::optional<AlarmHistory> &alarms)
{
    m_alarmTimeline = alarms ? AlarmTicks::Timeline(alarms->alarms) : AlarmTicks::Timeline();
    const bool found = alarms.has_value();
    ui->alarmTicksCheck->setEnabled(found);
    m_alarmTicksAction->setEnabled(found);
    const QString file = alarms ? alarms->path : QString();
    if (file != m_alarmFile) {
        m_alarmFile = file;
        // A new alarm file shows its ticks; the same one read again keeps the choice.
        const QSignalBlocker block(ui->alarmTicksCheck);
        ui->alarmTicksCheck->setChecked(found);
        m_alarmTicksAction->setChecked(found);
    }
    refreshAlarmTicks();
    refreshOverlay();
}

void CurveWindow::showRowWithMarker(int row)
{
    if (isHidden() || !hasCurves() || row < 1 || row >= m_source.recordGrid().rows())
        return;
    QScrollBar *bar = ui->dataScrollBar;
    const qint64 point = qint64(row) - 1 - bar->value();
    if (point < 0 || point >= m_layout.points) {
        // The row in the middle of the screen, as far as the ends allow.
        const int pos = row - 1 - std::max(m_layout.points, 1) / 2;
        bar->setValue(std::clamp(pos, bar->minimum(), bar->maximum()));
    }
    m_markerA = row;
    m_markerB.reset();
    refreshOverlay();
}

QImage CurveWindow::curvePictureWithAlarms(qreal scale) const
{
    QImage picture = curvePicture(scale);
    QPainter p(&picture);
    AlarmTicks::paint(p, ticksOfScreen(), m_alarmTimeline, m_layout.plotBottom);
    return picture;
}

void CurveWindow::pointerAt(std::optional<QPoint> pointer)
{
    m_pointer = pointer;
    refreshOverlay();
}

void CurveWindow::clickAt(int x)
{
    const std::optional<int> under = rowUnder(x);
    if (!under || !hasCurves())
        return;
    // Copied out: MinGW's GCC takes assigning the optional itself for a dangling pointer.
    const int row = *under;
    // A third click starts a new pair.
    if (!m_markerA || m_markerB) {
        m_markerA = row;
        m_markerB.reset();
    } else {
        m_markerB = row;
    }
    refreshOverlay();
    updateMarkerStatistics();
}

void CurveWindow::clearMarkers()
{
    m_markerA.reset();
    m_markerB.reset();
    refreshOverlay();
    updateMarkerStatistics();
}

void CurveWindow::updateMarkerStatistics(bool evenWhenHidden)
{
    if (!m_markerA || !m_markerB || !hasCurves()) {
        m_markerStatistics->hide();
        m_markerStatisticsKey.clear();
        return;
    }
    if (!evenWhenHidden && m_markerStatistics->isHidden())
        return;
    CurveReadout::Source src;
    src.grid = &m_source.recordGrid();
    // A tag sheet's cells hold numbers with decimals, as the float format's do.
    src.format = m_source.recordGrid().tagColumns() ? ValueFormat::Format::Float32
                                                    : m_source.displayFormat();
    src.language = m_source.language();
    const CurveSettings s = settings();
    // A redraw for a scroll changes nothing the table shows: keep it.
    QList<qint64> key {*m_markerA, *m_markerB, qint64(src.format), qint64(src.language)};
    for (const CurveSpec &c : s.curves)
        key << c.showKind << c.bufferPos << qint64(c.colour);
    if (key == m_markerStatisticsKey && m_markerStatistics->isVisible())
        return;
    const std::optional<MarkerStatistics::Table> table
        = MarkerStatistics::between(s, src, *m_markerA, *m_markerB);
    if (!table) {
        m_markerStatistics->hide();
        m_markerStatisticsKey.clear();
        return;
    }
    m_markerStatisticsKey = key;
    m_markerStatistics->showTable(*table, src.language);
}

bool CurveWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->curveImage) {
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

void CurveWindow::redraw()
{
    drawCurves();
}

void CurveWindow::appearanceToggled()
{
    drawCurves();
}

void CurveWindow::setColourDialog(ColourDialog *dialog)
{
    m_colourDialog = dialog;
    // A panel's remembered colour starts as the colour it shows, so that a
    // first dialog starts there and "Custom..." then cancel keeps it.
    for (ColourPanel *p : findChildren<ColourPanel *>())
        p->setRememberedColour(p->colour());
}

void CurveWindow::chooseColour(ColourPanel *sender)
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
    drawCurves();
}

void CurveWindow::placeScrollBar(const QRect &relative)
{
    const QPoint origin = ui->curveImage->pos();
    // Kept within the picture's top when the height leaves no room for it.
    ui->dataScrollBar->setGeometry(origin.x() + relative.x(),
                                   origin.y() + std::max(0, relative.y()), relative.width(),
                                   relative.height());
    ui->dataScrollBar->raise();
}

CurvePicture::View CurveWindow::pictureView() const
{
    CurvePicture::View view;
    view.grid = &m_source.recordGrid();
    view.realCells = m_source.displayFormat() == ValueFormat::Format::Float32
        || m_source.recordGrid().tagColumns();
    view.pos = ui->dataScrollBar->value();
    view.scrollMax = ui->dataScrollBar->maximum();
    return view;
}

QImage CurveWindow::curvePicture(qreal scale) const
{
    QImage picture;
    CurvePicture::draw(picture, settings(), pictureView(), scale);
    return picture;
}

void CurveWindow::drawCurves()
{
    const CurveSettings s = settings();
    const CurvePicture::View view = pictureView();
    // At the screen's own resolution: a scale of 1 gives the exact bitmap.
    const CurveGeometry::Layout l = CurvePicture::draw(m_picture, s, view, devicePixelRatioF());
    ui->curveImage->setImage(m_picture);
    m_layout = l;
    m_shownPos = view.pos;
    refreshAlarmTicks();
    refreshOverlay();
    updateMarkerStatistics(false);

    placeScrollBar(l.scrollBar);
    ui->dataScrollBar->setPageStep(l.points);

    const int size = s.width + s.height;
    if (size != m_lastPictureSize) {
        m_lastPictureSize = size;
        updatePageCount();
    }
}

void CurveWindow::rangeEndText(SpinEdit *field, QWidget *edit)
{
    const int first = ui->printStartSpin->tag();
    const int v = field->value();
    if (v < first)
        return;
    const qint64 row = PrintPages::rowOfId(v, first);
    const CurveData::GridReader reader(m_source.recordGrid(), false);
    const int r = row > std::numeric_limits<int>::max() ? -1 : static_cast<int>(row);
    static_cast<QLineEdit *>(edit)->setText(reader.dateTime(r));
    updatePageCount();
}

void CurveWindow::printStartChanged()
{
    rangeEndText(ui->printStartSpin, ui->printStartTimeEdit);
}

void CurveWindow::printEndChanged()
{
    rangeEndText(ui->printEndSpin, ui->printEndTimeEdit);
}

void CurveWindow::updatePageCount()
{
    const int p = ui->dataScrollBar->pageStep();
    const std::optional<int> pages
        = PrintPages::pageCount(ui->printStartSpin->value(), ui->printEndSpin->value(), p);
    if (!pages)
        return;
    m_pageCount = *pages;
    ui->pageCountLabel->setText(PrintPages::pageCountText(m_pageCount, p, m_source.language()));
    const QSize picture(ui->pictureWidthSpin->value() + 2, ui->pictureHeightSpin->value() + 2);
    fitOnScreen(PrintPages::windowClientSize(picture));
}

void CurveWindow::setScreenBound(bool bound)
{
    m_screenBound = bound;
    if (m_wantedClient.isValid())
        fitOnScreen(m_wantedClient);
}

void CurveWindow::fitOnScreen(QSize client)
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

void CurveWindow::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    // A window manager reports its frame only once it framed the window: the
    // window is fitted again with the frame it really has.
    if (isVisible() && m_wantedClient.isValid()
        && WindowPlacement::frameOf(frameGeometry(), geometry()) != m_fittedFrame)
        fitOnScreen(m_wantedClient);
}

PrintJobSink &CurveWindow::printer()
{
    if (m_printSink)
        return *m_printSink;
    if (!m_printer)
        m_printer = std::make_unique<PrinterJobSink>();
    return *m_printer;
}

MessageSink &CurveWindow::messages()
{
    if (m_messages)
        return *m_messages;
    if (!m_messageBoxes)
        m_messageBoxes = std::make_unique<MessageBoxSink>();
    return *m_messageBoxes;
}

bool CurveWindow::printClientArea(PrintJobSink &sink, const QString &jobName)
{
    if (!sink.beginJob(jobName))
        return false;
    // The client area as the window paints it, on its face colour; the
    // picture is drawn afresh for the device, and the pointer's readout and
    // markers are no part of it.
    ClientAreaPage page(size(), palette().color(QPalette::Window), ui->curveImage->pos(),
                        settings(), pictureView());
    if (m_alarmsInPrints)
        page.setAlarmTicks(&m_alarmTimeline, ticksOfScreen(), m_layout.plotBottom);
    sink.drawPage(page, QSizeF(logicalDpiX(), logicalDpiY()));
    return sink.endJob();
}

void CurveWindow::printPages()
{
    PrintJobSink &sink = printer();
    sink.setOrientation(QPageLayout::Landscape);

    const int panel = ui->settingsPanel->height();
    const QRect barPlace = ui->dataScrollBar->geometry();
    ui->settingsPanel->hide();
    ui->dataScrollBar->hide();
    setFixedSize(width(), height() - panel);

    QScrollBar *bar = ui->dataScrollBar;
    const int shown = bar->value();
    const PageWalk walk(ui->printStartSpin->value(), firstDataId(), bar->pageStep(), m_pageCount,
                        bar->maximum());
    if (walk.pages() > 0)
        bar->setValue(walk.firstPosition());
    for (int n = 0; n < walk.pages(); ++n) {
        if (!printClientArea(sink,
                             PrintPages::jobName(m_source.openFileName(), n + 1, walk.pages()))) {
            // Stop at the first job the printer refuses; the window comes back.
            const Language language = m_source.language();
            QString text = CurveCaptions::printFailed(language);
            if (!sink.errorText().isEmpty())
                text += QStringLiteral(" (") + sink.errorText() + QLatin1Char(')');
            messages().showMessage(this, MessageIcon::Warning,
                                   CurveCaptions::errorCaption(language), text);
            break;
        }
        bar->setValue(walk.positionAfter(n));
    }

    // The user gets back the screen they were looking at.
    bar->setValue(shown);
    ui->settingsPanel->show();
    setFixedSize(width(), height() + panel);
    bar->setGeometry(barPlace);
    bar->show();
}

void CurveWindow::setUpPrinter()
{
    const Language language = m_source.language();
    printer().setUp(this,
                    {CurveCaptions::printerSetupTitle(language), CurveCaptions::okCaption(language),
                     CurveCaptions::cancelCaption(language)});
}
