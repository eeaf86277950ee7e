// Reading a database file must leave its folder exactly as it was.

#include "dataaccess/SQLiteTable3.h"
#include "support/SqliteSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using sqlitetest::exec;
using sqlitetest::failureOf;
using sqlitetest::noOpenStatement;

namespace {

enum class Setup {
    RollbackJournal, // an ordinary database
    WalClosed, // WAL mode, its writer closed cleanly
    WalCopiedWithLog, // WAL mode, "-wal" with committed pages, no "-shm"
    WalLiveWriter, // WAL mode, a writer still open
};

struct FileState
{
    qint64 size = 0;
    qint64 mtimeNs = 0;
    QByteArray hash;
    bool operator==(const FileState &) const = default;
};

// Every file of the folder with its size, modification time and content.
QMap<QString, FileState> folderState(const QString &folder, const QStringList &ignoreContent)
{
    QMap<QString, FileState> state;
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QString file = dir.filePath(name);
        struct stat st
        { };
        ::stat(QFile::encodeName(file).constData(), &st);
        FileState s;
        if (!ignoreContent.contains(name)) {
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

void walCopy(const QString &from, const QString &to)
{
    QFile::copy(from, to);
    QFile::copy(from + u"-wal"_s, to + u"-wal"_s);
}

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

private:
    // Builds the database of `setup` in `folder`; returns the rows a reader must see. A live
    // writer is left open in `writer` for the caller to close.
    int build(Setup setup, const QString &file, sqlite3 **writer);
};

int TestSQLiteReadOnly::build(Setup setup, const QString &file, sqlite3 **writer)
{
    *writer = nullptr;
    const char *rows = "create table Buffer1(ID INTEGER, N1 TEXT);"
                       "insert into Buffer1 values (1, 'a'), (2, 'b');";
    switch (setup) {
    case Setup::RollbackJournal:
        exec(file, rows);
        return 2;
    case Setup::WalClosed:
        exec(file, "pragma journal_mode=wal;");
        exec(file, rows);
        return 2;
    case Setup::WalCopiedWithLog: {
        // Copy the files while the writer holds uncheckpointed pages, as a crash would leave.
        const QString origin = file + u".origin"_s;
        sqlite3 *w = nullptr;
        sqlite3_open(origin.toUtf8().constData(), &w);
        sqlite3_exec(w, "pragma journal_mode=wal; pragma wal_autocheckpoint=0;", nullptr, nullptr,
                     nullptr);
        sqlite3_exec(w, rows, nullptr, nullptr, nullptr);
        sqlite3_exec(w, "insert into Buffer1 values (3, 'c');", nullptr, nullptr, nullptr);
        walCopy(origin, file);
        sqlite3_close(w);
        for (const char *suffix : {"", "-wal", "-shm"})
            QFile::remove(origin + QLatin1String(suffix));
        return 3;
    }
    case Setup::WalLiveWriter:
        sqlite3_open(file.toUtf8().constData(), writer);
        sqlite3_exec(*writer, "pragma journal_mode=wal;", nullptr, nullptr, nullptr);
        sqlite3_exec(*writer, rows, nullptr, nullptr, nullptr);
        sqlite3_exec(*writer, "insert into Buffer1 values (3, 'c'), (4, 'd');", nullptr, nullptr,
                     nullptr);
        return 4;
    }
    return -1;
}

void TestSQLiteReadOnly::readingChangesNothing_data()
{
    QTest::addColumn<int>("setup");
    QTest::addColumn<QStringList>("files"); // the folder's files, before and after
    QTest::newRow("rollback journal") << int(Setup::RollbackJournal) << QStringList {u"log.db"_s};
    QTest::newRow("WAL, closed") << int(Setup::WalClosed) << QStringList {u"log.db"_s};
    QTest::newRow("WAL, copied with its log")
        << int(Setup::WalCopiedWithLog) << QStringList {u"log.db"_s, u"log.db-wal"_s};
    QTest::newRow("WAL, live writer")
        << int(Setup::WalLiveWriter) << QStringList {u"log.db"_s, u"log.db-shm"_s, u"log.db-wal"_s};
}

void TestSQLiteReadOnly::readingChangesNothing()
{
    QFETCH(int, setup);
    QFETCH(QStringList, files);
    QTemporaryDir dir;
    const QString file = dir.filePath(u"log.db"_s);
    sqlite3 *writer = nullptr;
    const int rows = build(Setup(setup), file, &writer);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), files);

    // The writer's shared memory is its own business; the database and its log are not.
    const QStringList shared = writer ? QStringList {u"log.db-shm"_s} : QStringList {};
    const auto before = folderState(dir.path(), shared);
    QTest::qSleep(20); // so that a write would show in the modification time
    {
        TSQLiteDatabase db(file, TSQLiteDatabase::OpenMode::ReadOnly);
        const auto t = db.QueryTable(u"select * from Buffer1"_s);
        QCOMPARE(int(t->RecordCount()), rows);
        QByteArray last;
        for (; !t->AtEnd(); t->MoveNext())
            last = t->DisplayText(t->FieldNumber(u"N1"_s));
        QCOMPARE(last, QByteArray(1, char('a' + rows - 1)));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), files);
    }
    QCOMPARE(folderState(dir.path(), shared), before);
    if (writer) {
        // The writer goes on undisturbed.
        QCOMPARE(
            sqlite3_exec(writer, "insert into Buffer1 values (5, 'e');", nullptr, nullptr, nullptr),
            SQLITE_OK);
        sqlite3_close(writer);
    }
}

void TestSQLiteReadOnly::writingIsRefused_data()
{
    readingChangesNothing_data();
}

void TestSQLiteReadOnly::writingIsRefused()
{
    QFETCH(int, setup);
    QTemporaryDir dir;
    const QString file = dir.filePath(u"log.db"_s);
    sqlite3 *writer = nullptr;
    build(Setup(setup), file, &writer);
    const QStringList shared = writer ? QStringList {u"log.db-shm"_s} : QStringList {};
    const auto before = folderState(dir.path(), shared);
    {
        TSQLiteDatabase db(file, TSQLiteDatabase::OpenMode::ReadOnly);
        const QString sql = u"insert into Buffer1 values (9, 'z')"_s;
        const QString message = failureOf([&] { db.ExecuteStatement(sql); });
        QVERIFY2(message.startsWith(u"Error executing SQL statement.\rError [8]: Attempt to write "
                                    "a readonly database.\r\"%1\": "_s.arg(sql)),
                 qPrintable(message));
        QVERIFY(noOpenStatement(db));
    }
    QCOMPARE(folderState(dir.path(), shared), before);
    if (writer)
        sqlite3_close(writer);
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
    sqlite3 *writer = nullptr;
    build(Setup::RollbackJournal, file, &writer);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList {name});
    TSQLiteDatabase db(file, TSQLiteDatabase::OpenMode::ReadOnly);
    QCOMPARE(db.QueryTable(u"select * from Buffer1"_s)->RecordCount(), 2u);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList {name});
}

void TestSQLiteReadOnly::fileVanishedBeforeReload()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"log.db"_s);
    sqlite3 *writer = nullptr;
    build(Setup::WalClosed, file, &writer);
    {
        TSQLiteDatabase db(file, TSQLiteDatabase::OpenMode::ReadOnly);
        QCOMPARE(db.QueryTable(u"select * from Buffer1"_s)->RecordCount(), 2u);
    }
    QVERIFY(QFile::remove(file));
    QCOMPARE(failureOf([&] { TSQLiteDatabase db(file, TSQLiteDatabase::OpenMode::ReadOnly); }),
             u"Failed to open database \"%1\" : unable to open database file"_s.arg(file));
    QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

QTEST_GUILESS_MAIN(TestSQLiteReadOnly)
#include "tst_sqlitereadonly.moc"
