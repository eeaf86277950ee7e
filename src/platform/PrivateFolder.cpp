#include "platform/PrivateFolder.h"

#include "platform/TemporaryFolders.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <atomic>
#include <cstring>
#include <limits>

#if defined(Q_OS_UNIX)
#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

qint64 processId()
{
    return QCoreApplication::applicationPid();
}

#if defined(Q_OS_UNIX)

// What the signal handler removes. It may run at any moment, so it reads only fixed buffers,
// filled before a slot is marked in use and marked unused before they change again.
constexpr int kSlots = 4;
constexpr int kNames = 8;
constexpr size_t kPathMax = 4096;

struct Slot
{
    std::atomic<bool> used {false};
    std::atomic<int> names {0};
    char folder[kPathMax];
    char files[kNames][kPathMax];
};

Slot g_slots[kSlots];

bool copyPath(char *to, const QString &path)
{
    const QByteArray bytes = QFile::encodeName(path);
    if (size_t(bytes.size()) >= kPathMax)
        return false;
    std::memcpy(to, bytes.constData(), size_t(bytes.size()) + 1);
    return true;
}

struct sigaction g_previous[2];

int signalIndex(int signal)
{
    return signal == SIGINT ? 0 : 1;
}

extern "C" void removeOnSignal(int signal)
{
    for (Slot &slot : g_slots) {
        if (!slot.used.load())
            continue;
        const int names = slot.names.load();
        for (int i = 0; i < names; ++i)
            ::unlink(slot.files[i]);
        ::rmdir(slot.folder);
    }
    // Then the signal goes on as it would have without us: to the handler that was there before,
    // or to its default end of the process. It is blocked while this runs, so it arrives as soon
    // as this returns.
    ::sigaction(signal, &g_previous[signalIndex(signal)], nullptr);
    ::raise(signal);
}

void installHandlersOnce()
{
    static const bool installed = [] {
        for (const int signal : {SIGINT, SIGTERM}) {
            struct sigaction &previous = g_previous[signalIndex(signal)];
            // An ignored signal ends nothing, so there is nothing to clean up for.
            if (::sigaction(signal, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN)
                continue;
            struct sigaction action
            { };
            action.sa_handler = removeOnSignal;
            sigemptyset(&action.sa_mask);
            ::sigaction(signal, &action, nullptr);
        }
        return true;
    }();
    Q_UNUSED(installed);
}

int claimSlot(const QString &folder)
{
    installHandlersOnce();
    for (int i = 0; i < kSlots; ++i) {
        Slot &slot = g_slots[i];
        if (slot.used.load())
            continue;
        slot.names.store(0);
        if (!copyPath(slot.folder, folder))
            return -1;
        slot.used.store(true);
        return i;
    }
    return -1;
}

void addName(int index, int name, const QString &path)
{
    if (index < 0 || name >= kNames)
        return;
    Slot &slot = g_slots[index];
    if (copyPath(slot.files[name], path))
        slot.names.store(name + 1);
}

void freeSlot(int index)
{
    if (index >= 0)
        g_slots[index].used.store(false);
}

// Seen from this process's namespace only: a process elsewhere looks gone.
bool processGone(qint64 pid)
{
    return pid > 0 && pid <= std::numeric_limits<pid_t>::max() && ::kill(pid_t(pid), 0) != 0
        && errno == ESRCH;
}

#else

int claimSlot(const QString &)
{
    return -1;
}
void addName(int, int, const QString &) { }
void freeSlot(int) { }
// Without a sound way to tell, a folder is never taken for abandoned.
bool processGone(qint64)
{
    return false;
}

#endif

} // namespace

QString PrivateFolder::namePrefix()
{
    return QStringLiteral("norvale-copy-");
}

PrivateFolder::PrivateFolder()
    : m_dir(std::make_unique<QTemporaryDir>(QDir::tempPath() + u'/' + namePrefix()
                                            + QString::number(processId())
                                            + QStringLiteral("-XXXXXX")))
{
    if (!m_dir->isValid())
        return;
    // Made that way already on most systems; said again so that it holds everywhere.
    QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_slot = claimSlot(m_dir->path());
    // Without locks (a file system without them) the folder is told live the older way only,
    // by its process id.
    m_lock = std::make_unique<TemporaryFolders::FolderLock>();
    if (m_lock->take(m_dir->path()))
        addName(m_slot, m_names++, m_dir->filePath(TemporaryFolders::lockFileName()));
}

PrivateFolder::~PrivateFolder()
{
    // Removed while still locked, so that no sweep takes it for abandoned meanwhile.
    if (m_dir->isValid())
        m_dir->remove();
    m_lock.reset();
    freeSlot(m_slot);
}

bool PrivateFolder::isValid() const
{
    return m_dir->isValid();
}

QString PrivateFolder::errorString() const
{
    return m_dir->errorString();
}

QString PrivateFolder::path() const
{
    return m_dir->path();
}

QString PrivateFolder::filePath(const QString &name)
{
    const QString path = m_dir->filePath(name);
    addName(m_slot, m_names++, path);
    if (m_lock)
        m_lock->record(name);
    return path;
}

void PrivateFolder::removeAbandoned()
{
    removeAbandoned(QDir::tempPath(), std::chrono::minutes(1));
}

int PrivateFolder::removeAbandoned(const QString &root, std::chrono::seconds minimumAge)
{
    static const QRegularExpression pattern(
        QStringLiteral("^%1(\\d+)-[A-Za-z0-9]{6}$").arg(QRegularExpression::escape(namePrefix())));
    // What a build without the lock named its files.
    static const QStringList olderNames {
        QStringLiteral("snapshot.db"), QStringLiteral("snapshot.db-wal"),
        QStringLiteral("snapshot.db-shm"), QStringLiteral("snapshot.db-journal")};
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    return TemporaryFolders::removeFolders(
        root, pattern, [&](const TemporaryFolders::Folder &folder) {
            if (now - folder.modified < minimumAge.count())
                return false;
            // With a lock (free, or the sweep would not ask): only the names it was given.
            // Without one, a build that had none made it: its process must be gone as well.
            const QStringList &own = folder.locked ? folder.recorded : olderNames;
            if (!folder.locked && !processGone(pattern.match(folder.name).captured(1).toLongLong()))
                return false;
            for (const TemporaryFolders::Folder::File &file : folder.files)
                if (!own.contains(file.name))
                    return false;
            return true;
        });
}
