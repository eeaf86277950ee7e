#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QMimeData;
class QWidget;

// The file a drag offers: the first of its URLs, when that is a local file
// (not a folder); empty otherwise.
QString droppedFile(const QMimeData *data);

// Lets a window take one local file by drag and drop: the drag is accepted
// only for what droppedFile() takes (anything else shows the no-entry
// cursor), and a drop hands the file to `open`.
class FileDrop : public QObject
{
    Q_OBJECT
public:
    FileDrop(QWidget *window, std::function<void(const QString &)> open);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void(const QString &)> m_open;
};
