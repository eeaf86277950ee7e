#pragma once

#include "platform/Language.h"
#include "platform/WorkProgress.h"

#include <QElapsedTimer>
#include <QPointer>

class QProgressDialog;
class QWidget;

// The window's answer to long work: after half a second a dialog shows the rows done so far and
// a Cancel button (Esc too). It is application modal, so while it shows nothing else can be
// started or closed; the work keeps the user interface alive by asking it.
class WorkProgressDialog : public WorkProgress
{
public:
    static constexpr int ShowAfterMs = 500;

    WorkProgressDialog(QWidget *owner, Language language, bool saving,
                       int showAfterMs = ShowAfterMs);
    ~WorkProgressDialog() override;
    WorkProgressDialog(const WorkProgressDialog &) = delete;
    WorkProgressDialog &operator=(const WorkProgressDialog &) = delete;

    bool keepGoing(qint64 done) override;
    bool cancelled() const { return m_cancelled; }

private:
    // Events are looked at this often: Cancel answers at once, and the work hardly slows.
    static constexpr int LookEveryMs = 40;

    QWidget *m_owner;
    Language m_language;
    bool m_saving;
    QElapsedTimer m_clock;
    qint64 m_nextLook;
    QPointer<QProgressDialog> m_dialog;
    bool m_cancelled = false;
};
