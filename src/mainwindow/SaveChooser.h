#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// Asks the user where to save and in which of `filters`; an empty name means
// cancelled. `filter` comes in as the one offered first and goes out as the
// one chosen.
class SaveChooser
{
public:
    virtual ~SaveChooser() = default;
    virtual QString chooseFileToSave(QWidget *owner, const QString &title,
                                     const QStringList &filters, int &filter)
        = 0;
};

// The save dialog.
class SaveDialogChooser : public SaveChooser
{
public:
    QString chooseFileToSave(QWidget *owner, const QString &title, const QStringList &filters,
                             int &filter) override;
};
