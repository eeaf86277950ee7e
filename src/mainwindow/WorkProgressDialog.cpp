#include "mainwindow/WorkProgressDialog.h"

#include "texts/MainTexts.h"

#include <QCoreApplication>
#include <QProgressDialog>

WorkProgressDialog::WorkProgressDialog(QWidget *owner, Language language, bool saving,
                                       int showAfterMs)
    : m_owner(owner)
    , m_language(language)
    , m_saving(saving)
    , m_nextLook(showAfterMs)
{
    m_clock.start();
}

WorkProgressDialog::~WorkProgressDialog()
{
    delete m_dialog;
}

bool WorkProgressDialog::keepGoing(qint64 done)
{
    if (m_cancelled)
        return false;
    const qint64 now = m_clock.elapsed();
    if (now < m_nextLook)
        return true;
    m_nextLook = now + LookEveryMs;
    if (!m_dialog) {
        m_dialog = new QProgressDialog(m_owner);
        m_dialog->setObjectName(QStringLiteral("WorkProgress"));
        m_dialog->setWindowTitle(MainTexts::captionNorvale());
        m_dialog->setCancelButtonText(MainTexts::cancelButton(m_language));
        // No end is known: the bar only shows that the work goes on.
        m_dialog->setRange(0, 0);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        m_dialog->setMinimumDuration(0);
        m_dialog->setWindowModality(Qt::ApplicationModal);
        QObject::connect(m_dialog, &QProgressDialog::canceled, m_dialog,
                         [this] { m_cancelled = true; });
        m_dialog->setLabelText(MainTexts::workProgress(m_language, m_saving, done));
        m_dialog->show();
    }
    m_dialog->setLabelText(MainTexts::workProgress(m_language, m_saving, done));
    QCoreApplication::processEvents();
    return !m_cancelled;
}
