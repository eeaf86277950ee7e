#pragma once

// A connection to a database held by another process, as a panel or a logger writing the file
// would hold it. Locks are per process, so a writer in the test's own process would not look
// like one to the reader.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <sqlite3.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace logfiles {

class ChildWriter
{
public:
    enum class Ending { Close, Die };

    ChildWriter() = default;
    ~ChildWriter() { finish(Ending::Die); }
    ChildWriter(const ChildWriter &) = delete;
    ChildWriter &operator=(const ChildWriter &) = delete;

    // Opens `file` in a child process and runs `sql` there; after `holdMs` it runs `later` (when
    // given) on its own, then waits for finish(). True once `sql` has run.
    bool start(const QString &file, const QByteArray &sql, int holdMs = 0,
               const QByteArray &later = {})
    {
        int down[2];
        int up[2];
        if (::pipe(down) != 0 || ::pipe(up) != 0)
            return false;
        const QByteArray name = QFile::encodeName(file);
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(down[1]);
            ::close(up[0]);
            sqlite3 *db = nullptr;
            char ok = sqlite3_open(name.constData(), &db) == SQLITE_OK
                    && sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK
                ? 'y'
                : 'n';
            (void)!::write(up[1], &ok, 1);
            if (holdMs > 0)
                ::usleep(useconds_t(holdMs) * 1000);
            if (!later.isEmpty() && sqlite3_exec(db, later.constData(), nullptr, nullptr, nullptr))
                ::_exit(3);
            char command = 'd';
            if (::read(down[0], &command, 1) != 1 || command == 'd')
                ::_exit(0); // as a writer that dies: nothing closed, nothing cleaned up
            const char *last = m_final.constData();
            const int rc = last[0] ? sqlite3_exec(db, last, nullptr, nullptr, nullptr) : SQLITE_OK;
            ::_exit(sqlite3_close(db) == SQLITE_OK && rc == SQLITE_OK ? 0 : 1);
        }
        ::close(down[0]);
        ::close(up[1]);
        m_command = down[1];
        char ok = 'n';
        const bool read = m_pid > 0 && ::read(up[0], &ok, 1) == 1;
        ::close(up[0]);
        return read && ok == 'y';
    }

    // Run by a writer that closes, before it closes; set before start().
    void setFinalSql(const QByteArray &sql) { m_final = sql; }

    // Ends the child and waits for it; its exit status, or -1.
    int finish(Ending ending)
    {
        if (m_pid <= 0)
            return -1;
        const char command = ending == Ending::Close ? 'c' : 'd';
        (void)!::write(m_command, &command, 1);
        ::close(m_command);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t m_pid = -1;
    int m_command = -1;
    QByteArray m_final;
};

} // namespace logfiles
