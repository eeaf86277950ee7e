#pragma once

// One main window as the program builds it, with recording stand-ins for its
// message boxes and file dialogs, and what the tests read off it.

#include "mainwindow/MainWindow.h"
#include "mainwindow/RecordGridView.h"
#include "platform/MemoryBudget.h"
#include "platform/OptionsStore.h"
#include "records/RecordGridModel.h"
#include "support/LogFiles.h"
#include "support/MessageRecorder.h"
#include "support/PickedFile.h"
#include "support/PickedSave.h"

#include <QAction>
#include <QComboBox>
#include <QLatin1String>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

struct MainWindowFixture
{
    explicit MainWindowFixture(OptionsStore *options = nullptr)
    {
        MainWindowServices services;
        services.options = options;
        create(std::move(services));
    }
    // The services a test gives itself; the stand-ins fill the rest.
    explicit MainWindowFixture(MainWindowServices services) { create(std::move(services)); }
    MainWindowFixture(const MainWindowFixture &) = delete;
    MainWindowFixture &operator=(const MainWindowFixture &) = delete;

    template<typename T> T *child(const char *name) const
    {
        T *found = main->findChild<T *>(QLatin1String(name));
        if (!found)
            qWarning("no control %s", name);
        return found;
    }
    QComboBox *buffers() const { return child<QComboBox>("bufferList"); }
    QComboBox *formats() const { return child<QComboBox>("displayFormatList"); }
    QString count() const { return child<QPushButton>("recordCountButton")->text(); }
    QAction *action(const char *name) const { return child<QAction>(name); }
    QAction *action(const QString &name) const { return main->findChild<QAction *>(name); }
    RecordGridView *view() const
    {
        return main->findChild<RecordGridView *>(QStringLiteral("recordGrid"));
    }

    // Shown and active, as shortcuts reach the active window only.
    void showActive()
    {
        main->show();
        main->activateWindow();
        if (!QTest::qWaitForWindowActive(main.get()))
            qWarning("the main window did not become active");
    }
    // Opens through the Open button and the dialog's answer.
    void open(const QString &file)
    {
        chooser.file = file;
        child<QPushButton>("openButton")->click();
    }
    // Picks an item as a user does: the list must be enabled.
    bool pick(QComboBox *list, int index)
    {
        if (!list->isEnabled())
            return false;
        list->setCurrentIndex(index);
        return true;
    }
    QStringList row(int r) const
    {
        QStringList cells;
        for (int c = 0; c < main->grid().cols(); ++c)
            cells << main->grid().cell(c, r);
        return cells;
    }

    MessageRecorder sink;
    PickedFile chooser;
    PickedSave saves;
    // Memory the grid may take; the machine's when not set.
    std::optional<qint64> budget;
    std::unique_ptr<MainWindow> main;

protected:
    // For fixtures whose own stand-ins must exist before the window: they
    // call create() once those are made.
    struct NoWindowYet
    { };
    explicit MainWindowFixture(NoWindowYet) { }

    void create(MainWindowServices services)
    {
        if (!services.messages)
            services.messages = &sink;
        if (!services.files)
            services.files = &chooser;
        if (!services.saveFiles)
            services.saveFiles = &saves;
        if (!services.memoryBudget) {
            services.memoryBudget = [this]() -> std::optional<qint64> {
                return budget ? budget : availablePhysicalMemory();
            };
        }
        main = std::make_unique<MainWindow>(services);
    }
};

inline QList<QStringList> gridRows(const RecordGridModel &grid)
{
    QList<QStringList> rows;
    for (int r = 0; r < grid.rows(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid.cols(); ++c)
            cells << grid.cell(c, r);
        rows << cells;
    }
    return rows;
}

inline QString emptyGridText()
{
    return QStringLiteral("2x2 empty");
}

// "RxC" and whether every cell is empty, to compare grid states briefly.
inline QString shape(const RecordGridModel &grid)
{
    bool empty = true;
    for (int r = 0; r < grid.rows() && empty; ++r)
        for (int c = 0; c < grid.cols() && empty; ++c)
            empty = grid.cell(c, r).isEmpty();
    return QStringLiteral("%1x%2%3")
        .arg(grid.rows())
        .arg(grid.cols())
        .arg(empty ? QStringLiteral(" empty") : QString());
}

// The title row of a data record grid; `wide` for the 32-bit formats.
inline QStringList dataTitles(bool chinese, bool wide)
{
    QStringList t = chinese ? QStringList {QStringLiteral("数据ID"), QStringLiteral("记录日期"),
                                           QStringLiteral("记录时间")}
                            : QStringList {QStringLiteral("Data ID"), QStringLiteral("Record Date"),
                                           QStringLiteral("Record Time")};
    for (int i = 0; i < 10; i += wide ? 2 : 1)
        t << (chinese ? QStringLiteral("数据(%1)") : QStringLiteral("Data(%1)")).arg(i);
    return t;
}

// A data record database in `folder`, made once: Buffer1 250 rows, Buffer2
// none, Buffer3 5, no Buffer12.
inline QString recordDatabaseIn(const QTemporaryDir &folder)
{
    const QString file = folder.filePath(QStringLiteral("records.db"));
    if (!QFile::exists(file))
        logfiles::makeSample({QStringLiteral("data-db"), file, QStringLiteral("--records"),
                              QStringLiteral("5"), QStringLiteral("--buffers"),
                              QStringLiteral("1:250,2:0,12:-")});
    return file;
}
