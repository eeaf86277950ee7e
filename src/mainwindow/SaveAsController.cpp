#include "mainwindow/SaveAsController.h"

#include "document/LogDocument.h"
#include "document/SaveAsWriter.h"
#include "export/Automation.h"
#include "mainwindow/GaugeProgress.h"
#include "mainwindow/SaveChooser.h"
#include "platform/WorkProgress.h"
#include "texts/MainTexts.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

SaveAsController::SaveAsController(LogDocument &document, SaveChooser *chooser, Host host,
                                   QWidget *window)
    : QObject(window)
    , m_document(document)
    , m_chooser(chooser)
    , m_host(std::move(host))
    , m_window(window)
{
    if (!m_chooser) {
        m_ownChooser = std::make_unique<SaveDialogChooser>();
        m_chooser = m_ownChooser.get();
    }
}

SaveAsController::~SaveAsController() = default;

void SaveAsController::install(QMenu *popup, QAction *before, QProgressBar *gauge)
{
    m_gauge = gauge;
    m_action = new QAction(m_window);
    m_action->setObjectName(QStringLiteral("SaveAs"));
    m_action->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_S)});
    m_action->setShortcutContext(Qt::WindowShortcut);
    m_window->addAction(m_action);
    connect(m_action, &QAction::triggered, this, &SaveAsController::saveAs);
    popup->insertAction(before, m_action);
    applyTexts(m_host.language());
}

void SaveAsController::applyTexts(Language language)
{
    if (m_action)
        m_action->setText(MainTexts::saveAsMenu(language));
}

void SaveAsController::saveAs()
{
    const Language language = m_host.language();
    int filter = 0;
    const QString chosen = m_chooser->chooseFileToSave(m_window, MainTexts::saveAsTitle(language),
                                                       SaveAsWriter::filters(language), filter);
    if (chosen.isEmpty())
        return;
    const SaveAsWriter::Kind kind = SaveAsWriter::kindOfFilter(filter);
    const QString path = SaveAsWriter::targetPath(chosen, kind);
    if (kind == SaveAsWriter::Kind::Csv)
        saveCsv(path);
    else
        saveXlsx(path);
}

void SaveAsController::saveCsv(const QString &path)
{
    GaugeProgress progress(m_gauge);
    progress.start(m_document.grid().rows() - 1);
    bool written = false;
    QString failure;
    const bool ran = m_host.runSave([&] {
        WorkProgress *work = m_host.work();
        written = SaveAsWriter::writeCsv(
            m_document.grid(), path, m_document.path(),
            [&](int row) {
                progress.setPosition(row);
                if (row % 256 == 0)
                    stopUnlessGoing(work, row);
            },
            failure);
    });
    progress.finish();
    // Given up, the temporary file went and the target stays as it was.
    if (!ran || written)
        return;
    m_host.message(MainTexts::saveFailed(m_host.language(), failure));
}

void SaveAsController::saveXlsx(const QString &path)
{
    // The export itself, through the workbook engine saving to `path`.
    QString writeFailure;
    const QString shown = m_document.path();
    m_host.exportWith([&](const QString &) {
        return makeSavingWorkbookEngine(path, shown, &writeFailure, m_host.work());
    });
    if (!writeFailure.isEmpty())
        m_host.message(MainTexts::saveFailed(m_host.language(), writeFailure));
}
