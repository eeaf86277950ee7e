#pragma once

#include <QByteArrayView>
#include <QFile>
#include <QString>

#include <vector>

// An output file that appears whole or not at all. The bytes go to a
// temporary file in the target's folder, which is flushed, synced and closed
// (every step checked) and then renamed over the target. A name that is a
// symbolic link stays a link: the file it leads to is replaced. On failure
// the temporary file is removed and an existing target is left as it was.
class SafeOutputFile
{
public:
    enum class Target {
        Replaceable, // absent or a regular file
        NotRegular, // a folder, a device, a FIFO ...
        Protected, // the protected file itself, under any name
    };

    explicit SafeOutputFile(QString name);
    ~SafeOutputFile();
    SafeOutputFile(const SafeOutputFile &) = delete;
    SafeOutputFile &operator=(const SafeOutputFile &) = delete;

    // Whether `name` may be replaced; `protectedFile` (when not empty) must
    // never be.
    static Target check(const QString &name, const QString &protectedFile = {});
    // Whether the folder that `name` would be written in exists.
    static bool folderExists(const QString &name);

    // Creates the temporary file beside the file the name leads to, and
    // refuses a target that is not replaceable. False with errorString().
    bool open(const QString &protectedFile = {});
    bool write(QByteArrayView bytes);
    // The open temporary file, for writers that take a device; a write that
    // failed there makes commit() fail.
    QIODevice &device() { return m_file; }
    // The temporary file, for writers that take a name: they may open and
    // truncate it while it stays open here; commit() syncs it.
    QString temporaryName() const { return m_temporary; }
    // Syncs and closes the temporary and renames it over the target.
    bool commit();
    // Renames the temporaries of `files` over their targets, all or none:
    // when one cannot be, the targets renamed before it are put back as they
    // were (as far as the system lets), every temporary is removed, and
    // `failure` says "NAME: reason".
    static bool commitAll(const std::vector<SafeOutputFile *> &files, QString &failure);
    // Removes the temporary file; the target stays as it was.
    void discard();

    QString errorString() const { return m_error; }

    // Everything of commit() but the rename: syncs and closes the temporary,
    // so that many can wait for commitAll() without holding files open.
    bool finishWriting();

private:
    bool fail(const QString &reason);

    QString m_name;
    QString m_target;
    QString m_temporary;
    QString m_protected;
    QFile m_file;
    QString m_error;
};
