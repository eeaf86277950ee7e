#pragma once

#include "export/Automation.h"

#include <QStringList>

#include <memory>

// Records every operation on the objects it hands out, one line each:
//   create Excel.application = #1      create excel.sheet = null
//   #1.worksheets(1) = #3              #4.range("A1:L1") = #5
//   #6.Size := 11                      #1.Cells(2, 1) := "12:00:00"
//   release #2
// Integers are written bare, texts quoted, the boolean as true/false. An
// operation made to fail is recorded with " failed" and then throws.
class AutomationRecorder : public AutomationFactory
{
public:
    AutomationRecorder();
    ~AutomationRecorder() override;

    std::unique_ptr<AutomationObject> create(const QString &progId) override;

    // Creating this program identifier yields no object.
    void refuseCreate(const QString &progId);
    // The operation that would become line `index` (0-based) of the log fails.
    void failAtLine(int index);

    QStringList log() const;
    // How many objects were handed out and are not yet released.
    int liveObjects() const;

    static QString valueText(const QVariant &value);

    struct State;

private:
    std::shared_ptr<State> m_state;
};
