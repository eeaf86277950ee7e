#pragma once

#include "platform/Language.h"
#include "records/TagSheet.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>

class MessageSink;
class QLabel;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;

// A tag sheet as a table, one row per tag in the sheet's columns. Every
// cell is checked as it is typed, by the rules the sheet is read with: a
// faulty cell is marked, with the reason as its tooltip and in the line
// under the table, and a sheet with a faulty cell is not saved. Closing it,
// or opening another sheet, with unsaved changes asks whether to save them.
class TagSheetEditor : public QDialog
{
    Q_OBJECT
public:
    struct Services
    {
        MessageSink *messages = nullptr;
        // The sheet to open, and the name to save as; empty when cancelled.
        std::function<QString(QWidget *owner)> chooseOpen;
        std::function<QString(QWidget *owner)> chooseSave;
        // The file being browsed, never to be written over.
        std::function<QString()> protectedFile;
    };

    TagSheetEditor(Services services, Language language, QWidget *parent = nullptr);

    void setLanguage(Language language);
    // Shows `sheet` as read from `path` (empty: not saved yet).
    void setSheet(const TagSheet &sheet, const QString &path);
    // Reads the sheet at `path`; a faulty one is refused whole with a message.
    bool openSheet(const QString &path);
    QString path() const { return m_path; }

    // The sheet as the table holds it; none while a cell is faulty.
    std::optional<TagSheet> sheet() const;
    // The first faulty cell, with the line the row would have in the file.
    std::optional<TagSheetFault> firstFault() const;
    QTableWidget *table() const { return m_table; }
    // The table differs from the sheet last read or saved.
    bool hasUnsavedChanges() const;

public slots:
    void chooseAndOpen();
    void addRow();
    void removeRow();
    void moveRowUp();
    void moveRowDown();
    // Writes the sheet to its file (Save As when it has none); false, after
    // the message, when it was not written whole.
    bool save();
    bool saveAs();
    bool saveTo(const QString &path);
    // Close, Escape and the window's close button: asks first when there
    // are unsaved changes, and stays open on Cancel or a failed save.
    void reject() override;

signals:
    // The sheet was written whole to `path`.
    void saved(const QString &path);

private:
    // Before unsaved changes would be lost: true when there are none, they
    // were saved, or the user let them go (and `revert` puts the sheet last
    // read or saved back into the table then).
    bool settleUnsavedChanges(bool revert);
    QList<QStringList> tableFields() const;
    void showFields(const QList<QStringList> &rows);
    QStringList rowFields(int row) const;
    void insertRow(int row, const QStringList &fields);
    void checkRow(int row);
    void showFirstFault();
    void moveRow(int from, int to);
    void retitle();
    void report(const QString &text);

    Services m_services;
    Language m_language = Language::Chinese;
    QString m_path;
    // The rows as last read or saved.
    QList<QStringList> m_savedRows;
    QTableWidget *m_table = nullptr;
    QLabel *m_faultLine = nullptr;
    QPushButton *m_openButton = nullptr;
    QPushButton *m_addButton = nullptr;
    QPushButton *m_removeButton = nullptr;
    QPushButton *m_upButton = nullptr;
    QPushButton *m_downButton = nullptr;
    QPushButton *m_saveButton = nullptr;
    QPushButton *m_saveAsButton = nullptr;
    QPushButton *m_closeButton = nullptr;
};
