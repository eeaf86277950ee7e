#pragma once

#include "curves/AlarmTicks.h"
#include "curves/CurveGeometry.h"
#include "curves/CurvePicture.h"
#include "curves/CurveSettings.h"
#include "document/AlarmHistory.h"
#include "platform/Language.h"

#include <QImage>
#include <QList>
#include <QMargins>
#include <QWidget>

#include <memory>
#include <optional>

class ColourPanel;
class QAction;
class CurveReadoutOverlay;
class CurveTab;
class MarkerStatisticsTable;
class MessageSink;
class PrintJobSink;
class RecordSource;
class SpinEdit;
class ColourDialog;

namespace Ui {
class CurveWindow;
}

// The curve window: its controls are the curve settings, read afresh at every
// redraw; it draws up to five value columns of the main window's record grid.
// Created hidden at start-up and hidden, not destroyed, when closed.
class CurveWindow : public QWidget
{
    Q_OBJECT
public:
    explicit CurveWindow(const RecordSource &source, QWidget *parent = nullptr);
    ~CurveWindow() override;

    // The curves look is shown (picture and scroll bar, print button enabled).
    bool hasCurves() const;
    // The picture of the last draw, plot width + 2 by plot height + 2.
    QImage curvePicture() const { return m_picture; }
    // The picture of the last draw drawn afresh with scale times the pixels
    // in each direction (the same picture for a scale of 1).
    QImage curvePicture(qreal scale) const;

    // The alarm ticks of the screen shown, in time order; none while they are
    // turned off. They lie over the picture, never in it.
    const std::vector<AlarmTicks::Tick> &alarmTicks() const { return m_alarmTicks; }
    const AlarmTicks::Timeline &alarmTimeline() const { return m_alarmTimeline; }
    // The check box and the pop-up menu item that turn the ticks on and off.
    QAction *alarmTicksAction() const { return m_alarmTicksAction; }
    // The picture of the last draw with the alarm ticks drawn on it, at
    // scale times the pixels, as `--alarms` writes it.
    QImage curvePictureWithAlarms(qreal scale = 1) const;
    // Whether printed pages carry the alarm ticks too (off: the pages show
    // the picture alone).
    void setAlarmsInPrints(bool on) { m_alarmsInPrints = on; }

    // The grid rows of the two markers set by clicks on the picture.
    std::optional<int> markerA() const { return m_markerA; }
    std::optional<int> markerB() const { return m_markerB; }
    // Esc: both markers go.
    void clearMarkers();
    // The statistics of the curves between the markers, shown while both are set.
    MarkerStatisticsTable *markerStatistics() const { return m_markerStatistics; }

    // The no-data look's text, as the window shows it.
    QString noDataText() const;
    // Sets the print range fields as values typed by hand, brought into each
    // field's range (a far end must not print millions of pages).
    void setPrintRange(std::optional<qint64> start, std::optional<qint64> end);

    // The settings as the controls hold them now.
    CurveSettings settings() const;
    // The tab of curve 0 to 4.
    CurveTab *curveTab(int curve) const { return m_curveTabs[curve]; }
    int firstDataId() const;
    int pageCount() const { return m_pageCount; }

    // The colour dialog the colour panels open (not owned). Without one a
    // panel click only redraws.
    void setColourDialog(ColourDialog *dialog);

    // Where print jobs go; the current printer when none is set. Not owned.
    void setPrintJobSink(PrintJobSink *sink) { m_printSink = sink; }
    // Whether the window keeps to its screen's size. A hidden run's screen is
    // a made-up one: there the window, and so each printed page, keeps its
    // full size.
    void setScreenBound(bool bound);
    // Where this window's messages go; message boxes when none is set.
    void setMessageSink(MessageSink *sink) { m_messages = sink; }

signals:
    // The earliest and the latest time of the screen shown; none while no
    // screen with times shows.
    void screenTimesChanged(std::optional<qint64> first, std::optional<qint64> last);

public slots:
    // The alarms to tick on the curves (none: no alarm file). A newly found
    // alarm file turns the ticks on.
    void setAlarms(const std::optional<AlarmHistory> &alarms);
    // Scrolls so that grid row `row` is in view and sets marker A there.
    // Nothing while the window shows no curves.
    void showRowWithMarker(int row);
    // Shows the window in front, as the main window's curve button asks.
    void showAndRaise();
    // Redraws: the change handler of the scroll bar and every setting control.
    void redraw();
    // Redraws: the click handler of the four appearance check boxes.
    void appearanceToggled();
    // A click on a colour panel: the colour dialog opens below it, and an OK
    // sets the panel's colour. Redraws in either case.
    void chooseColour(ColourPanel *sender);
    void printStartChanged();
    void printEndChanged();
    void updatePageCount();
    // Prints the pages of the range, one job per screen page.
    void printPages();
    // The printer set-up dialog.
    void setUpPrinter();
    void drawCurves();
    // The grid was read again: the data range, scroll maximum and date texts
    // as a showing sets them, every setting kept, still at the end when it
    // was there. Nothing while the window is hidden.
    void refreshData();

protected:
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    // The pointer over the picture: the readout follows it, clicks set the
    // markers.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The hidden show-kind lists of both languages and the Chinese captions.
    void writeInitialTexts();
    void prepareShowing();
    void showNoData();
    void showData();
    void applyCaptions(Language language);
    void rangeEndText(SpinEdit *field, QWidget *edit);
    void connectControls();
    void placeScrollBar(const QRect &relative);
    // Gives the window the client size, as far as the screen allows, and
    // moves it back inside the screen's free area when it runs off it.
    void fitOnScreen(QSize client);
    // The client size last asked for.
    QSize m_wantedClient;
    bool m_screenBound = true;
    PrintJobSink &printer();
    MessageSink &messages();
    bool printClientArea(PrintJobSink &sink, const QString &jobName);
    CurvePicture::View pictureView() const;
    std::optional<int> rowUnder(int x) const;
    void pointerAt(std::optional<QPoint> pointer);
    void clickAt(int x);
    void refreshOverlay();
    // The ticks of the screen drawn last, and the screen's times for the
    // alarm list.
    void refreshAlarmTicks();
    void publishScreenTimes(std::optional<AlarmTicks::Span> span);
    // The ticks of every alarm on the screen drawn last, turned on or not.
    std::vector<AlarmTicks::Tick> ticksOfScreen() const;
    // Shows the markers' statistics table, or hides it unless both are set;
    // `evenWhenHidden` false leaves a hidden table hidden (a redraw).
    void updateMarkerStatistics(bool evenWhenHidden = true);

    std::unique_ptr<Ui::CurveWindow> ui;
    const RecordSource &m_source;
    QImage m_picture;
    CurveGeometry::Layout m_layout;
    int m_shownPos = 0; // scroll position of the last draw
    CurveReadoutOverlay *m_overlay = nullptr;
    std::optional<QPoint> m_pointer;
    std::optional<int> m_markerA;
    std::optional<int> m_markerB;
    MarkerStatisticsTable *m_markerStatistics = nullptr;
    // What the statistics table was computed from: A, B, the format and
    // each curve's kind, column and colour.
    QList<qint64> m_markerStatisticsKey;
    int m_pageCount = 0;
    int m_lastPictureSize = -1;
    bool m_placed = false;
    // The frame the client size last asked for was fitted with.
    QMargins m_fittedFrame;
    ColourDialog *m_colourDialog = nullptr;
    CurveTab *m_curveTabs[CurveCount] = {};
    PrintJobSink *m_printSink = nullptr;
    std::unique_ptr<PrintJobSink> m_printer;
    MessageSink *m_messages = nullptr;
    std::unique_ptr<MessageSink> m_messageBoxes;
    AlarmTicks::Timeline m_alarmTimeline;
    QString m_alarmFile;
    std::vector<AlarmTicks::Tick> m_alarmTicks;
    std::optional<AlarmTicks::Span> m_screenTimes;
    QAction *m_alarmTicksAction = nullptr;
    bool m_alarmsInPrints = false;
};
