// Private folders in a temporary folder of the test's own, and the start-up sweep that removes
// the abandoned ones and nothing else.
#include "platform/PrivateFolder.h"
#include "platform/TemporaryFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush();
}

QByteArray local(const QString &path)
{
    return QFile::encodeName(path);
}

// A private folder with a copy in it, left behind by a process that ended without removing it.
// Its name carries that process's id, which is gone.
QString abandonedFolder()
{
    int up[2];
    if (::pipe(up) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(up[0]);
        auto *folder = new PrivateFolder; // never destroyed, as in a run killed outright
        writeFile(folder->filePath(u"snapshot.db"_s), "x");
        const QByteArray path = local(folder->path());
        (void)!::write(up[1], path.constData(), size_t(path.size()));
        ::_exit(0);
    }
    ::close(up[1]);
    QByteArray path(4096, '\0');
    const ssize_t n = ::read(up[0], path.data(), size_t(path.size()));
    ::close(up[0]);
    ::waitpid(child, nullptr, 0);
    return n > 0 ? QFile::decodeName(path.left(n)) : QString();
}

// Every entry under `folder`, links not followed.
QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                  | QDir::NoDotAndDotDot);
}

} // namespace

class TestPrivateFolder : public QObject
{
    Q_OBJECT

    QTemporaryDir m_root;
    QString m_previousTemp;

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();
    void liveFolderLocked();
    void sweep_data();
    void sweep();
    void sweepOfAnotherUsersFolder();
};

void TestPrivateFolder::initTestCase()
{
    QVERIFY(m_root.isValid());
    // Every private folder of the test, and every sweep, in a temporary folder of its own.
    m_previousTemp = qEnvironmentVariable("TMPDIR");
    qputenv("TMPDIR", local(m_root.path()));
    QCOMPARE(QDir::tempPath(), QDir(m_root.path()).canonicalPath());
}

void TestPrivateFolder::cleanupTestCase()
{
    qputenv("TMPDIR", local(m_previousTemp));
}

void TestPrivateFolder::cleanup()
{
    for (const QString &name : entries(m_root.path())) {
        const QString path = m_root.filePath(name);
        ::chmod(local(path).constData(), 0700);
        if (QFileInfo(path).isSymLink())
            QFile::remove(path);
        else
            QDir(path).removeRecursively();
    }
}

void TestPrivateFolder::liveFolderLocked()
{
    PrivateFolder folder;
    QVERIFY(folder.isValid());
    const QString copy = folder.filePath(u"snapshot.db"_s);
    QVERIFY(writeFile(copy, "x"));
    struct stat st
    { };
    QCOMPARE(::stat(local(folder.path()).constData(), &st), 0);
    QCOMPARE(st.st_mode & 07777, mode_t(0700));
    // The lock is held: another open file of it cannot take it, in this process or another.
    const QString lock = folder.path() + u'/' + TemporaryFolders::lockFileName();
    const int fd = ::open(local(lock).constData(), O_RDONLY | O_CLOEXEC);
    QVERIFY(fd >= 0);
    QCOMPARE(::flock(fd, LOCK_EX | LOCK_NB), -1);
    ::close(fd);
    QCOMPARE(PrivateFolder::removeAbandoned(m_root.path(), 0s), 0);
    QVERIFY(QFileInfo::exists(copy));
}

void TestPrivateFolder::sweep_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("removed");
    QTest::newRow("abandoned") << u"abandoned"_s << 1;
    QTest::newRow("lock held by a process that looks gone") << u"held"_s << 0;
    QTest::newRow("a file not ours beside the copy") << u"foreign file"_s << 0;
    QTest::newRow("a subfolder") << u"subfolder"_s << 0;
    QTest::newRow("open to others") << u"mode 0755"_s << 0;
    QTest::newRow("open to the group") << u"mode 0750"_s << 0;
    QTest::newRow("a link named like ours") << u"symlink"_s << 0;
    QTest::newRow("a file named like ours") << u"plain file"_s << 0;
    QTest::newRow("just made") << u"young"_s << 0;
    QTest::newRow("name not ours") << u"long name"_s << 0;
    QTest::newRow("older build, process gone") << u"older gone"_s << 1;
    QTest::newRow("older build, process alive") << u"older alive"_s << 0;
    QTest::newRow("older build, a file not ours") << u"older foreign"_s << 0;
}

void TestPrivateFolder::sweep()
{
    QFETCH(QString, setup);
    QFETCH(int, removed);
    const QString folder = abandonedFolder();
    QVERIFY(QFileInfo::exists(folder + u"/snapshot.db"_s));
    const QString lock = folder + u'/' + TemporaryFolders::lockFileName();
    QVERIFY(QFileInfo::exists(lock));
    std::chrono::seconds minimumAge = 0s;
    int held = -1;
    QString elsewhere; // a folder outside that a link leads to
    const QString deadPid = QFileInfo(folder).fileName().section(u'-', 2, 2);

    if (setup == u"held") {
        // As a live run in another process namespace would hold it.
        held = ::open(local(lock).constData(), O_RDONLY | O_CLOEXEC);
        QVERIFY(held >= 0);
        QCOMPARE(::flock(held, LOCK_EX | LOCK_NB), 0);
    } else if (setup == u"foreign file") {
        QVERIFY(writeFile(folder + u"/budget.xlsx"_s, "mine"));
    } else if (setup == u"subfolder") {
        QVERIFY(QDir(folder).mkdir(u"sub"_s));
    } else if (setup.startsWith(u"mode ")) {
        QCOMPARE(::chmod(local(folder).constData(), setup.mid(5).toUInt(nullptr, 8)), 0);
    } else if (setup == u"symlink" || setup == u"plain file") {
        // The folder moves out of the way; the link (or file) takes a name of ours.
        elsewhere = m_root.filePath(u"elsewhere"_s);
        QVERIFY(QDir().rename(folder, elsewhere));
        if (setup == u"symlink")
            QCOMPARE(::symlink(local(elsewhere).constData(), local(folder).constData()), 0);
        else
            QVERIFY(writeFile(folder, "x"));
    } else if (setup == u"young") {
        minimumAge = 60s;
    } else if (setup == u"long name") {
        elsewhere = folder + u'x';
        QVERIFY(QDir().rename(folder, elsewhere));
    } else if (setup.startsWith(u"older")) {
        // What a build without the lock left: its copy only.
        QVERIFY(QFile::remove(lock));
        if (setup == u"older foreign")
            QVERIFY(writeFile(folder + u"/notes.txt"_s, "mine"));
        if (setup == u"older alive") {
            // Named after a process that lives: the test's parent.
            elsewhere = QString(folder).replace(u'-' + deadPid + u'-',
                                                u'-' + QString::number(::getppid()) + u'-');
            QVERIFY(QDir().rename(folder, elsewhere));
        }
    } else {
        QCOMPARE(setup, u"abandoned"_s);
    }
    const QStringList before = entries(folder);
    const QStringList beforeElsewhere = elsewhere.isEmpty() ? QStringList() : entries(elsewhere);

    QCOMPARE(PrivateFolder::removeAbandoned(m_root.path(), minimumAge), removed);
    if (held >= 0)
        ::close(held);
    if (removed) {
        QVERIFY(!QFileInfo::exists(folder));
        QVERIFY(!QFileInfo(folder).isSymLink());
    } else {
        QCOMPARE(entries(folder), before);
        QVERIFY(QFileInfo::exists(folder) || QFileInfo(folder).isSymLink() || !elsewhere.isEmpty());
    }
    if (!elsewhere.isEmpty()) {
        QCOMPARE(entries(elsewhere), beforeElsewhere);
        QVERIFY(beforeElsewhere.contains(u"snapshot.db"_s));
    }
    if (setup == u"symlink")
        QVERIFY(QFileInfo(folder).isSymLink());
}

void TestPrivateFolder::sweepOfAnotherUsersFolder()
{
    if (::geteuid() != 0)
        QSKIP("only root can give a folder to another user");
    const QString folder = abandonedFolder();
    QVERIFY(QFileInfo::exists(folder + u"/snapshot.db"_s));
    QCOMPARE(::chown(local(folder).constData(), 65534, 65534), 0);
    QCOMPARE(PrivateFolder::removeAbandoned(m_root.path(), 0s), 0);
    QVERIFY(QFileInfo::exists(folder + u"/snapshot.db"_s));
    // Given back, it is an abandoned folder of this user again.
    QCOMPARE(::chown(local(folder).constData(), 0, 0), 0);
    QCOMPARE(PrivateFolder::removeAbandoned(m_root.path(), 0s), 1);
    QVERIFY(!QFileInfo::exists(folder));
}

QTEST_GUILESS_MAIN(TestPrivateFolder)
#include "tst_privatefolder.moc"
