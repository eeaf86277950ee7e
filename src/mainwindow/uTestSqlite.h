#pragma once

#include "curves/RecordSource.h"
#include "records/RecordGridModel.h"

#include <QColor>
#include <QMainWindow>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>

class AutomationFactory;
class MessageSink;
class OptionsStore;
class QMenu;
namespace Ui {
class TMainFrm;
}

// Asks the user for the file to open; an empty name means cancelled.
class FileChooser
{
public:
    virtual ~FileChooser() = default;
    virtual QString chooseFileToOpen(QWidget *owner) = 0;
};

// What the main window reports through and asks with. Left empty, the
// window uses message boxes and the open dialog; without an options store
// nothing is read or written.
struct MainWindowServices
{
    MessageSink *messages = nullptr;
    FileChooser *files = nullptr;
    OptionsStore *options = nullptr;
    // Makes the spreadsheet automation for one export of the open file.
    std::function<std::unique_ptr<AutomationFactory>(const QString &openFileName)> automation;
};

// The main window: toolbar, record grid, options, opening and loading.
class TMainFrm : public QMainWindow, public RecordSource
{
    Q_OBJECT
public:
    explicit TMainFrm(const MainWindowServices &services = {}, QWidget *parent = nullptr);
    ~TMainFrm() override;

    // RecordSource
    const RecordGridModel &recordGrid() const override { return m_grid; }
    bool chineseUi() const override;
    bool displayFormatEnabled() const override;
    int displayFormat() const override;

    RecordGridModel &grid() { return m_grid; }
    QString openFileName() const { return m_openFileName; }
    QColor countDisplayColour() const { return m_countColour; }
    bool dynamicLoad() const;

    // Picks an item of the record buffer or display format list as a user
    // would: nothing happens for the item already selected. False when the
    // list is disabled.
    bool pickBuffer(int index);
    // Opens `path` as if it had been chosen with Open.
    void openFile(const QString &path);
    bool pickFormat(int format);

public slots:
    void FormShow();
    void FormClose();
    void N2Click();
    void N3Click();
    void N7Click();
    void N8Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void OpenClick();
    void BufferNameChange();
    void DShow_FormatChange();

    void SQLite_Alarm_Loading(const QString &fileName);
    void SQLite_Annals_Loading(const QString &fileName);

signals:
    void closed();
    // The curve button asks for the curve window.
    void curvesRequested();

protected:
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // The window's outer size, frame included.
    static constexpr QSize DesignSize {880, 524};

    void FormCreate();
    QSize minimumClientSize() const;
    // Makes the outer size the design size once the frame is known.
    void fitOuterSize();
    void buildMenu();
    void applyFonts();
    void setCountColour(const QColor &colour);
    void updateCountDisplay();
    void message(const QString &caption, const QString &text);
    // Re-reads the binary data file in the selected format; false when the
    // count display is to keep its text.
    bool rereadBinaryData();
    QString bufferText() const;

    std::unique_ptr<Ui::TMainFrm> ui;
    MainWindowServices m_services;
    std::unique_ptr<MessageSink> m_ownMessages;
    std::unique_ptr<FileChooser> m_ownFiles;
    QMenu *PopupMenu1 = nullptr;

    RecordGridModel m_grid;
    QString m_openFileName;
    bool m_isSqlite = false;
    QColor m_countColour = QColor(0, 0, 255);
    int m_bufferIndex = 0;
    int m_formatIndex = 0;
    bool m_outerFitted = false;
};
