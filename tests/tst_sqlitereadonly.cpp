// Reading a database file must leave its folder exactly as it was.

#include "dataaccess/SqliteDatabase.h"
#include "platform/PrivateFolder.h"
#include "support/ChildWriter.h"
#include "support/LogFiles.h"
#include "support/SqliteSupport.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using sqlitetest::exec;
using sqlitetest::failureOf;
using sqlitetest::noOpenStatement;

namespace {

enum class Setup {
    RollbackJournal, // an ordinary database
    WalClosed, // WAL mode, its writer closed cleanly
    WalByte18One, // as WalClosed, header byte 18 (write version) 1
    WalByte18Three, // as WalClosed, header byte 18 3: the library reads it only
    WalDeadWriter, // WAL mode, "-wal" and "-shm" left by a writer that died
    WalCopiedWithLog, // WAL mode, "-wal" with committed pages, no "-shm"
    WalLiveWriter, // WAL mode, a writer in another process still open
    LinkToWalLog, // a symbolic link to a database with "-wal" and no "-shm"
    LinkToLiveWriter, // a symbolic link to a database a live writer holds
};

struct FileState
{
    QString linkTarget;
    qint64 size = 0;
    qint64 mtimeNs = 0;
    QByteArray hash;
    bool operator==(const FileState &) const = default;
};

// Every entry under `folder` with its link target, size, modification time and content; the
// content and times of `ignoreContent` (a live writer's shared memory) are left out.
QMap<QString, FileState> folderState(const QString &folder, const QStringList &ignoreContent = {})
{
    QMap<QString, FileState> state;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString name = QDir(folder).relativeFilePath(file);
        struct stat st
        { };
        ::lstat(QFile::encodeName(file).constData(), &st);
        FileState s;
        s.linkTarget = it.fileInfo().symLinkTarget();
        if (!ignoreContent.contains(it.fileName()) && S_ISREG(st.st_mode)) {
            s.size = st.st_size;
            s.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
            QFile f(file);
            if (f.open(QIODevice::ReadOnly))
                s.hash = QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1);
        }
        state.insert(name, s);
    }
    return state;
}

// This process's private copies in the temporary folder.
QStringList ownCopies()
{
    return QDir(QDir::tempPath())
        .entryList({PrivateFolder::namePrefix()
                    + QString::number(QCoreApplication::applicationPid()) + u"-*"_s},
                   QDir::Dirs | QDir::Hidden);
}

void walCopy(const QString &from, const QString &to)
{
    QFile::copy(from, to);
    QFile::copy(from + u"-wal"_s, to + u"-wal"_s);
}

void setHeaderByte(const QString &file, int offset, char value)
{
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.seek(offset));
    QVERIFY(f.write(&value, 1) == 1);
}

const char *const kRows = "create table Buffer1(ID INTEGER, N1 TEXT);"
                          "insert into Buffer1 values (1, 'a'), (2, 'b');";
const char *const kWalRows = "pragma journal_mode=wal; pragma wal_autocheckpoint=0;"
                             "create table Buffer1(ID INTEGER, N1 TEXT);"
                             "insert into Buffer1 values (1, 'a'), (2, 'b');"
                             "insert into Buffer1 values (3, 'c');";

// The database of `setup`: where it lies, the name to open it by, the rows a reader must see.
struct Built
{
    QString file; // the database itself
    QString name; // what the user opens
    int rows = 0;
};

} // namespace

class TestSQLiteReadOnly : public QObject
{
    Q_OBJECT

private slots:
    void readingChangesNothing_data();
    void readingChangesNothing();
    void writingIsRefused_data();
    void writingIsRefused();
    void namesWithUriCharacters_data();
    void namesWithUriCharacters();
    void fileVanishedBeforeReload();
    void writerClosesAfterTheLook();
    void waitsForTheWritersLock_data();
    void waitsForTheWritersLock();
    void copyIsPrivateAndGoesOnSignal_data();
    void copyIsPrivateAndGoesOnSignal();
    void abandonedCopiesAreRemoved();

private:
    // Builds the database of `setup` under `folder`. A live writer is left running in `writer`.
    Built build(Setup setup, const QString &folder, logfiles::ChildWriter &writer);
};

Built TestSQLiteReadOnly::build(Setup setup, const QString &folder, logfiles::ChildWriter &writer)
{
    QDir(folder).mkpath(u"data"_s);
    const QString file = folder + u"/data/log.db"_s;
    const auto linked = [&](Built b) {
        QDir(folder).mkpath(u"link"_s);
        b.name = folder + u"/link/shown.db"_s;
        QFile::link(b.file, b.name);
        return b;
    };
    switch (setup) {
    case Setup::RollbackJournal:
        exec(file, kRows);
        return {file, file, 2};
    case Setup::WalClosed:
    case Setup::WalByte18One:
    case Setup::WalByte18Three:
        exec(file, "pragma journal_mode=wal;");
        exec(file, kRows);
        if (setup != Setup::WalClosed)
            setHeaderByte(file, 18, setup == Setup::WalByte18One ? 1 : 3);
        return {file, file, 2};
    case Setup::WalDeadWriter: {
        logfiles::ChildWriter dying;
        dying.start(file, kWalRows);
        dying.finish(logfiles::ChildWriter::Ending::Die);
        return {file, file, 3};
    }
    case Setup::WalCopiedWithLog:
    case Setup::LinkToWalLog: {
        // Copy the files while the writer holds uncheckpointed pages, as a crash would leave.
        const QString origin = file + u".origin"_s;
        sqlite3 *w = nullptr;
        sqlite3_open(origin.toUtf8().constData(), &w);
        sqlite3_exec(w, kWalRows, nullptr, nullptr, nullptr);
        walCopy(origin, file);
        sqlite3_close(w);
        for (const char *suffix : {"", "-wal", "-shm"})
            QFile::remove(origin + QLatin1String(suffix));
        const Built b {file, file, 3};
        return setup == Setup::LinkToWalLog ? linked(b) : b;
    }
    case Setup::WalLiveWriter:
    case Setup::LinkToLiveWriter: {
        writer.setFinalSql("insert into Buffer1 values (9, 'z');");
        writer.start(file, QByteArray(kWalRows) + "insert into Buffer1 values (4, 'd');");
        const Built b {file, file, 4};
        return setup == Setup::LinkToLiveWriter ? linked(b) : b;
    }
    }
    return {};
}

void TestSQLiteReadOnly::readingChangesNothing_data()
{
    QTest::addColumn<int>("setup");
    QTest::addColumn<QStringList>("files"); // the database's folder, before and after
    const QString db = u"log.db"_s;
    const QString wal = u"log.db-wal"_s;
    const QString shm = u"log.db-shm"_s;
    QTest::newRow("rollback journal") << int(Setup::RollbackJournal) << QStringList {db};
    QTest::newRow("WAL, closed") << int(Setup::WalClosed) << QStringList {db};
    QTest::newRow("WAL, byte 18 is 1") << int(Setup::WalByte18One) << QStringList {db};
    QTest::newRow("WAL, byte 18 is 3") << int(Setup::WalByte18Three) << QStringList {db};
    QTest::newRow("WAL, dead writer's log and index")
        << int(Setup::WalDeadWriter) << QStringList {db, shm, wal};
    QTest::newRow("WAL, log without index")
        << int(Setup::WalCopiedWithLog) << QStringList {db, wal};
    QTest::newRow("WAL, live writer") << int(Setup::WalLiveWriter) << QStringList {db, shm, wal};
    QTest::newRow("link to WAL with log") << int(Setup::LinkToWalLog) << QStringList {db, wal};
    QTest::newRow("link to live writer")
        << int(Setup::LinkToLiveWriter) << QStringList {db, shm, wal};
}

void TestSQLiteReadOnly::readingChangesNothing()
{
    QFETCH(int, setup);
    QFETCH(QStringList, files);
    QTemporaryDir dir;
    logfiles::ChildWriter writer;
    const Built b = build(Setup(setup), dir.path(), writer);
    const QDir data(dir.filePath(u"data"_s));
    QCOMPARE(data.entryList(QDir::Files), files);

    // The writer's shared memory is its own business; the database and its log are not.
    const bool live = setup == int(Setup::WalLiveWriter) || setup == int(Setup::LinkToLiveWriter);
    const QStringList shared = live ? QStringList {u"log.db-shm"_s} : QStringList {};
    const auto before = folderState(dir.path(), shared);
    QTest::qSleep(20); // so that a write would show in the modification time
    {
        SqliteDatabase db(b.name, SqliteDatabase::OpenMode::ReadOnly);
        const auto t = db.QueryTable(u"select * from Buffer1"_s);
        QCOMPARE(int(t->RecordCount()), b.rows);
        QByteArray last, scratch;
        for (; !t->AtEnd(); t->MoveNext())
            last = t->DisplayTextView(t->FieldNumber(u"N1"_s), scratch).toByteArray();
        QCOMPARE(last, QByteArray(1, char('a' + b.rows - 1)));
        QCOMPARE(data.entryList(QDir::Files), files);
    }
    QCOMPARE(folderState(dir.path(), shared), before);
    QCOMPARE(ownCopies(), QStringList());
    if (live) // the writer goes on undisturbed
        QCOMPARE(writer.finish(logfiles::ChildWriter::Ending::Close), 0);
}

void TestSQLiteReadOnly::writingIsRefused_data()
{
    readingChangesNothing_data();
}

void TestSQLiteReadOnly::writingIsRefused()
{
    QFETCH(int, setup);
    QTemporaryDir dir;
    logfiles::ChildWriter writer;
    const Built b = build(Setup(setup), dir.path(), writer);
    const bool live = setup == int(Setup::WalLiveWriter) || setup == int(Setup::LinkToLiveWriter);
    const QStringList shared = live ? QStringList {u"log.db-shm"_s} : QStringList {};
    const auto before = folderState(dir.path(), shared);
    {
        SqliteDatabase db(b.name, SqliteDatabase::OpenMode::ReadOnly);
        const QString sql = u"insert into Buffer1 values (9, 'z')"_s;
        // The only statement runner the layer has still runs nothing but reads.
        const QString message = failureOf([&] { db.QueryTable(sql); });
        QVERIFY2(message.startsWith(u"Could not retrieve data.\rError [8]: Attempt to write "
                                    "a readonly database.\r\"%1\": "_s.arg(sql)),
                 qPrintable(message));
        QVERIFY(noOpenStatement(db));
    }
    QCOMPARE(folderState(dir.path(), shared), before);
}

void TestSQLiteReadOnly::namesWithUriCharacters_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("question mark") << u"a?mode=rw.db"_s;
    QTest::newRow("hash") << u"a#b.db"_s;
    QTest::newRow("percent escape") << u"a%20b.db"_s;
    QTest::newRow("blank") << u"a b.db"_s;
    QTest::newRow("non-ASCII") << u"报警 日志.db"_s;
    QTest::newRow("starts like a URI") << u"file:x.db"_s;
}

void TestSQLiteReadOnly::namesWithUriCharacters()
{
    QFETCH(QString, name);
    QTemporaryDir dir;
    const QString file = dir.filePath(name);
    exec(file, kRows);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList {name});
    SqliteDatabase db(file, SqliteDatabase::OpenMode::ReadOnly);
    QCOMPARE(db.QueryTable(u"select * from Buffer1"_s)->RecordCount(), 2u);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList {name});
}

void TestSQLiteReadOnly::fileVanishedBeforeReload()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"log.db"_s);
    exec(file, "pragma journal_mode=wal;");
    exec(file, kRows);
    {
        SqliteDatabase db(file, SqliteDatabase::OpenMode::ReadOnly);
        QCOMPARE(db.QueryTable(u"select * from Buffer1"_s)->RecordCount(), 2u);
    }
    QVERIFY(QFile::remove(file));
    QCOMPARE(failureOf([&] { SqliteDatabase db(file, SqliteDatabase::OpenMode::ReadOnly); }),
             u"Failed to open database \"%1\" : unable to open database file"_s.arg(file));
    QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

void TestSQLiteReadOnly::writerClosesAfterTheLook()
{
    // The library reads the file only at the first statement: a writer that closes after the
    // connection was made must not leave files of ours behind nor take its log away.
    QTemporaryDir dir;
    const QString file = dir.filePath(u"log.db"_s);
    logfiles::ChildWriter writer;
    QVERIFY(writer.start(file, kWalRows));
    const QStringList shared {u"log.db-shm"_s};
    const auto before = folderState(dir.path(), shared);
    {
        SqliteDatabase db(file, SqliteDatabase::OpenMode::ReadOnly);
        QCOMPARE(writer.finish(logfiles::ChildWriter::Ending::Close), 0);
        QCOMPARE(db.QueryTable(u"select * from Buffer1"_s)->RecordCount(), 3u);
    }
    QCOMPARE(folderState(dir.path(), shared), before);
}

void TestSQLiteReadOnly::waitsForTheWritersLock_data()
{
    QTest::addColumn<int>("holdMs"); // how long the writer holds its exclusive lock
    QTest::addColumn<QString>("failure"); // empty: the read succeeds with the writer's rows
    const QString locked
        = u"Error executing SQL.\rError [5]: The database file is locked.\r\"select * from "
          "Buffer1\": database is locked"_s;
    QTest::newRow("waits") << 300 << QString();
    QTest::newRow("gives up after its wait") << 3500 << locked;
}

void TestSQLiteReadOnly::waitsForTheWritersLock()
{
    QFETCH(int, holdMs);
    QFETCH(QString, failure);
    QTemporaryDir dir;
    const QString file = dir.filePath(u"log.db"_s);
    exec(file, kRows);
    logfiles::ChildWriter writer;
    QVERIFY(writer.start(file, "begin exclusive; insert into Buffer1 values (3, 'c');", holdMs,
                         "commit;"));
    SqliteDatabase db(file, SqliteDatabase::OpenMode::ReadOnly);
    QString message;
    try {
        QCOMPARE(db.QueryTable(u"select * from Buffer1"_s)->RecordCount(), 3u);
    } catch (const SqliteError &e) {
        message = e.message();
    }
    QCOMPARE(message, failure);
}

void TestSQLiteReadOnly::copyIsPrivateAndGoesOnSignal_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
}

void TestSQLiteReadOnly::copyIsPrivateAndGoesOnSignal()
{
    QFETCH(int, signal);
    QTemporaryDir dir;
    logfiles::ChildWriter unused;
    const Built b = build(Setup::WalCopiedWithLog, dir.path(), unused);
    int up[2];
    QVERIFY(::pipe(up) == 0);
    const pid_t child = ::fork();
    if (child == 0) {
        // A run that reads the copy and is then ended by the signal.
        ::close(up[0]);
        char ok = 'n';
        try {
            SqliteDatabase db(b.name, SqliteDatabase::OpenMode::ReadOnly);
            if (db.QueryTable(u"select * from Buffer1"_s)->RecordCount() == 3u)
                ok = 'y';
            (void)!::write(up[1], &ok, 1);
            ::pause();
        } catch (...) { }
        (void)!::write(up[1], &ok, 1);
        ::_exit(1);
    }
    ::close(up[1]);
    char ok = 'n';
    const bool told = ::read(up[0], &ok, 1) == 1;
    ::close(up[0]);

    // Looked at while the child reads, then the child is ended whatever was seen.
    const QStringList copies
        = QDir(QDir::tempPath())
              .entryList({PrivateFolder::namePrefix() + QString::number(child) + u"-*"_s},
                         QDir::Dirs | QDir::Hidden);
    const QString copy = copies.isEmpty() ? QString() : QDir::tempPath() + u'/' + copies[0];
    struct stat st
    { };
    const bool seen = !copy.isEmpty() && ::stat(QFile::encodeName(copy).constData(), &st) == 0;
    const bool holdsFiles = seen && !QDir(copy).entryList(QDir::Files).isEmpty();
    ::kill(child, signal);
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);

    QVERIFY(told);
    QCOMPARE(ok, 'y');
    QCOMPARE(copies.size(), 1);
    QVERIFY(seen);
    QCOMPARE(st.st_mode & 0777, mode_t(0700));
    QVERIFY(holdsFiles);
    QVERIFY(WIFSIGNALED(status));
    QCOMPARE(WTERMSIG(status), signal);
    QVERIFY(!QFileInfo::exists(copy));
}

void TestSQLiteReadOnly::abandonedCopiesAreRemoved()
{
    // A run killed outright: its folder stays behind, and its process is gone.
    int up[2];
    QVERIFY(::pipe(up) == 0);
    const pid_t gone = ::fork();
    if (gone == 0) {
        ::close(up[0]);
        auto *folder = new PrivateFolder; // never destroyed, as in a run killed outright
        logfiles::writeFile(folder->filePath(u"snapshot.db"_s), "x");
        const QByteArray path = QFile::encodeName(folder->path());
        (void)!::write(up[1], path.constData(), size_t(path.size()));
        ::_exit(0);
    }
    ::close(up[1]);
    QByteArray path(4096, '\0');
    const ssize_t n = ::read(up[0], path.data(), size_t(path.size()));
    ::close(up[0]);
    QCOMPARE(::waitpid(gone, nullptr, 0), gone);
    QVERIFY(n > 0);
    const QString abandoned = QFile::decodeName(path.left(n));
    QVERIFY(QFileInfo::exists(abandoned + u"/snapshot.db"_s));

    // One of a process that lives (the test's parent), and one not named as ours.
    const QString prefix = QDir::tempPath() + u'/' + PrivateFolder::namePrefix();
    const QString living = prefix + QString::number(::getppid()) + u"-aB3dE9"_s;
    const QString notOurs = prefix + QString::number(gone) + u"-other"_s;
    for (const QString &folder : {living, notOurs}) {
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(logfiles::writeFile(folder + u"/snapshot.db"_s, "x"));
    }
    // Not a minute old, which the start-up sweep would wait for.
    PrivateFolder::removeAbandoned(QDir::tempPath(), std::chrono::seconds(0));
    QVERIFY(!QFileInfo::exists(abandoned));
    QVERIFY(QFileInfo::exists(living + u"/snapshot.db"_s));
    QVERIFY(QFileInfo::exists(notOurs + u"/snapshot.db"_s));
    QDir(living).removeRecursively();
    QDir(notOurs).removeRecursively();
}

QTEST_GUILESS_MAIN(TestSQLiteReadOnly)
#include "tst_sqlitereadonly.moc"
