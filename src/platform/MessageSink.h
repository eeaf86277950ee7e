#pragma once

#include <QString>

class QWidget;

enum class MessageIcon { Information, Warning, Error };

// Whether changes are saved before what would lose them goes on.
enum class SaveAnswer { Save, Discard, Cancel };

// The question before changes would be lost, with its three answers' texts.
struct SaveQuestion
{
    QString caption;
    QString text;
    QString save;
    QString discard;
    QString cancel;
};

// Where the windows report: a modal message box on screen, one line on
// stderr for the command line, a list in the tests.
class MessageSink
{
public:
    virtual ~MessageSink() = default;
    // A modal box owned by `owner` with one OK button. `stayOnTop` keeps it
    // above every other window (the start-up options message).
    virtual void showMessage(QWidget *owner, MessageIcon icon, const QString &caption,
                             const QString &text, bool stayOnTop = false)
        = 0;
    // A failure's message with its cause in the library's or the system's words: a box shows
    // the cause as its details, the command line as a second line. A sink that has no place
    // for the cause shows the message alone.
    virtual void showFailure(QWidget *owner, MessageIcon icon, const QString &caption,
                             const QString &text, const QString & /*cause*/)
    {
        showMessage(owner, icon, caption, text);
    }
    // Asks whether to save changes first, in a modal box owned by `owner`. A
    // sink that cannot ask keeps the changes: Cancel.
    virtual SaveAnswer askToSave(QWidget * /*owner*/, const SaveQuestion & /*question*/)
    {
        return SaveAnswer::Cancel;
    }
};
