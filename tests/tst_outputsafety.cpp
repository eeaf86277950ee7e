// The command line's outputs never replace the file shown, never anything but
// a regular file, and appear whole or not at all; a FILE that cannot be read
// is reported. Runs the real program.

#include "support/LogFiles.h"
#include "support/PdfFile.h"
#include "support/ProgramRun.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cstdio>

#include <dirent.h>
#include <sqlite3.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace logfiles;

namespace {

Run runProgram(const QString &program, const QStringList &arguments)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(u"DISPLAY"_s);
    env.remove(u"QT_QPA_PLATFORM"_s);
    env.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
    return runProcess(program, arguments, env);
}

Run run(const QStringList &arguments)
{
    return runProgram(QStringLiteral(NORVALE_PROGRAM), arguments);
}

QByteArray local(const QString &path)
{
    return QFile::encodeName(path);
}

// Every name in a folder with what it is: a link's target, or the bytes,
// inode, mode and modification time of anything else (links not followed).
QMap<QString, QByteArray> snapshot(const QString &dir)
{
    QMap<QString, QByteArray> state;
    const QDir d(dir);
    for (const QString &name :
         d.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)) {
        const QString path = d.filePath(name);
        struct stat st;
        if (::lstat(local(path).constData(), &st) != 0) {
            state.insert(name, "<gone>");
            continue;
        }
        QByteArray entry = QByteArray::number(quint64(st.st_ino)) + ' '
            + QByteArray::number(st.st_mode, 8) + ' '
            + QByteArray::number(qint64(st.st_mtim.tv_sec)) + '.'
            + QByteArray::number(qint64(st.st_mtim.tv_nsec)) + ' ';
        if (S_ISLNK(st.st_mode))
            entry += "-> " + local(QFileInfo(path).symLinkTarget());
        else if (S_ISREG(st.st_mode))
            entry += readFile(path).toHex();
        state.insert(name, entry);
    }
    return state;
}

QString extensionOf(const QString &kind)
{
    return kind == u"csv" ? u"csv"_s : kind;
}

// How each output starts.
QByteArray magicOf(const QString &kind)
{
    if (kind == u"csv")
        return "数据ID";
    if (kind == u"png")
        return "\x89PNG";
    if (kind == u"xlsx")
        return "PK";
    return "%PDF-";
}

// The name the output is written to: OUT, or the first page for pdf.
QString writtenName(const QString &kind, const QString &out)
{
    if (kind != u"pdf")
        return out;
    const QFileInfo info(out);
    return info.path() + u'/' + info.completeBaseName() + u"-1."_s + info.suffix();
}

// The names in a folder as the system holds them: bytes.
QList<QByteArray> namesIn(const QByteArray &dir)
{
    QList<QByteArray> names;
    if (DIR *d = ::opendir(dir.constData())) {
        while (const dirent *e = ::readdir(d)) {
            const QByteArray name(e->d_name);
            if (name != "." && name != "..")
                names << name;
        }
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

QByteArray readBytesNamed(const QByteArray &name)
{
    QByteArray bytes;
    if (FILE *f = std::fopen(name.constData(), "rb")) {
        char block[4096];
        for (size_t n; (n = std::fread(block, 1, sizeof block, f)) > 0;)
            bytes.append(block, qsizetype(n));
        std::fclose(f);
    }
    return bytes;
}

bool writeBytesNamed(const QByteArray &name, const QByteArray &bytes)
{
    FILE *f = std::fopen(name.constData(), "wb");
    if (!f)
        return false;
    const bool written
        = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f) == size_t(bytes.size());
    return std::fclose(f) == 0 && written;
}

// `bytes` as printf(1) writes them back: every byte as an octal escape.
QByteArray shellEscaped(const QByteArray &bytes)
{
    QByteArray text;
    for (const char c : bytes)
        text += '\\' + QByteArray::number(uchar(c), 8).rightJustified(3, '0');
    return text;
}

bool isRoot()
{
    return ::geteuid() == 0;
}

// A small tmpfs over a folder for as long as it lives; declared after the
// folder, so it goes first.
class SmallDisk
{
public:
    SmallDisk(const QString &dir, qint64 kilobytes)
        : m_dir(local(dir))
    {
        const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k";
        m_mounted = ::mount("tmpfs", m_dir.constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount(m_dir.constData());
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;
    bool mounted() const { return m_mounted; }

private:
    QByteArray m_dir;
    bool m_mounted = false;
};

// Fills the file system of `dir` to the last byte but `spare`.
bool fillDisk(const QString &dir, qint64 spare = 0)
{
    QFile filler(dir + u"/filler"_s);
    if (!filler.open(QIODevice::WriteOnly))
        return false;
    const QByteArray block(512, 'x');
    while (filler.write(block) == block.size() && filler.flush()) { }
    filler.close();
    return filler.resize(std::max<qint64>(0, filler.size() - spare));
}

} // namespace

class TestOutputSafety : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void outIsTheFileShown_data();
    void outIsTheFileShown();
    void linkedOutStaysALink_data();
    void linkedOutStaysALink();
    void outNotARegularFile_data();
    void outNotARegularFile();
    void fullDisk_data();
    void fullDisk();
    void pdfFailedPageLeavesTheFolder();
    void fileCannotBeOpened_data();
    void fileCannotBeOpened();
    void fileNameNotUtf8();
    void namesNotUtf8KeepTheirBytes_data();
    void namesNotUtf8KeepTheirBytes();
    void cellTooLongForAWorksheet();
    void brokenPipeEndsQuietly();

private:
    QString makeLog(const QString &dir, int records = 300);

    QTemporaryDir m_dir;
    QString m_log;
};

void TestOutputSafety::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_log = makeLog(m_dir.path());
}

QString TestOutputSafety::makeLog(const QString &dir, int records)
{
    const QString file = dir + u"/data.bin"_s;
    writeFile(file, dataFile(records));
    return file;
}

void TestOutputSafety::outIsTheFileShown_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("how");
    for (const QString &kind : {u"csv"_s, u"png"_s, u"xlsx"_s, u"pdf"_s})
        for (const QString &how : {u"hard link"_s, u"symbolic link"_s, u"other path"_s})
            if (kind != u"pdf" || how != u"other path")
                QTest::newRow(qPrintable(kind + u", "_s + how)) << kind << how;
}

void TestOutputSafety::outIsTheFileShown()
{
    QFETCH(QString, kind);
    QFETCH(QString, how);
    QTemporaryDir dir;
    const QString log = makeLog(dir.path());
    QVERIFY(QDir(dir.path()).mkdir(u"sub"_s));
    const QString out = dir.filePath(u"sub/out."_s + extensionOf(kind));
    // For pdf, the name of a page file leads to the log.
    const QString written = writtenName(kind, out);
    if (how == u"hard link")
        QCOMPARE(::link(local(log).constData(), local(written).constData()), 0);
    else if (how == u"symbolic link")
        QCOMPARE(::symlink("../data.bin", local(written).constData()), 0);
    const QString given = how == u"other path" ? dir.filePath(u"sub/../data.bin"_s) : out;
    const auto before = snapshot(dir.path());
    const auto beforeSub = snapshot(dir.filePath(u"sub"_s));

    const Run r = run({u"--to"_s, kind, log, u"-o"_s, given});
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.err.startsWith("norvale: -o: OUT is FILE itself\n"), r.err.constData());
    QCOMPARE(snapshot(dir.path()), before);
    QCOMPARE(snapshot(dir.filePath(u"sub"_s)), beforeSub);
}

void TestOutputSafety::linkedOutStaysALink_data()
{
    QTest::addColumn<QString>("kind");
    for (const QString &kind : {u"csv"_s, u"png"_s, u"xlsx"_s, u"pdf"_s})
        QTest::newRow(qPrintable(kind)) << kind;
}

void TestOutputSafety::linkedOutStaysALink()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    QTemporaryDir elsewhere;
    const QString out = dir.filePath(u"out."_s + extensionOf(kind));
    const QString link = writtenName(kind, out);
    const QString target = elsewhere.filePath(u"target"_s);
    QVERIFY(writeFile(target, "old"));
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    QCOMPARE(::symlink(local(target).constData(), local(link).constData()), 0);

    const QStringList onePage = kind == u"pdf" ? QStringList {u"--end"_s, u"50"_s} : QStringList {};
    const Run r = run(QStringList {u"--to"_s, kind, m_log, u"-o"_s, out} + onePage);
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.exitCode, 0);
    const QFileInfo info(link);
    QVERIFY(info.isSymLink());
    QCOMPARE(info.symLinkTarget(), target);
    QVERIFY(readFile(target).startsWith(magicOf(kind)));
    // The replaced file kept its permissions, and nothing else was left.
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther
        | QFile::WriteOther | QFile::ReadOwner | QFile::WriteOwner;
    QCOMPARE(QFile::permissions(target) & others, QFile::ReadOwner | QFile::WriteOwner);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList {info.fileName()});
    QCOMPARE(
        QDir(elsewhere.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
        QStringList {u"target"_s});
}

void TestOutputSafety::outNotARegularFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("what");
    for (const QString &kind : {u"csv"_s, u"png"_s, u"xlsx"_s, u"pdf"_s})
        for (const QString &what : {u"folder"_s, u"FIFO"_s, u"/dev/full"_s})
            if (kind != u"pdf" || what != u"/dev/full")
                QTest::newRow(qPrintable(kind + u", "_s + what)) << kind << what;
}

void TestOutputSafety::outNotARegularFile()
{
    QFETCH(QString, kind);
    QFETCH(QString, what);
    QTemporaryDir dir;
    QString out = dir.filePath(u"out."_s + extensionOf(kind));
    if (what == u"folder")
        QVERIFY(QDir().mkdir(writtenName(kind, out)));
    else if (what == u"FIFO")
        QCOMPARE(::mkfifo(local(writtenName(kind, out)).constData(), 0644), 0);
    else
        out = what;
    struct stat device;
    QCOMPARE(::stat("/dev/full", &device), 0);
    const auto before = snapshot(dir.path());

    const Run r = run({u"--to"_s, kind, m_log, u"-o"_s, out});
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.err.startsWith("norvale: -o: OUT is not a regular file\n"), r.err.constData());
    QCOMPARE(snapshot(dir.path()), before);
    struct stat after;
    QCOMPARE(::stat("/dev/full", &after), 0);
    QVERIFY(S_ISCHR(after.st_mode));
    QCOMPARE(after.st_rdev, device.st_rdev);
    QCOMPARE(after.st_ino, device.st_ino);
}

void TestOutputSafety::fullDisk_data()
{
    QTest::addColumn<QString>("kind");
    for (const QString &kind : {u"csv"_s, u"png"_s, u"xlsx"_s, u"pdf"_s})
        QTest::newRow(qPrintable(kind)) << kind;
}

void TestOutputSafety::fullDisk()
{
    QFETCH(QString, kind);
    if (!isRoot())
        QSKIP("a full file system needs a tmpfs mount, which needs root");
    QTemporaryDir dir;
    const SmallDisk disk(dir.path(), 64);
    if (!disk.mounted())
        QSKIP("tmpfs cannot be mounted here");
    const QString out = dir.filePath(u"out."_s + extensionOf(kind));
    QVERIFY(writeFile(writtenName(kind, out), "the previous output"));
    QVERIFY(fillDisk(dir.path()));
    const auto before = snapshot(dir.path());

    const Run r = run({u"--to"_s, kind, m_log, u"-o"_s, out});
    QCOMPARE(r.exitCode, 1);
    const QByteArray expected = "norvale: cannot write " + writtenName(kind, out).toUtf8() + ": ";
    QVERIFY2(r.err.startsWith(expected), r.err.constData());
    QCOMPARE(r.err.count('\n'), 1);
    QVERIFY2(r.err.endsWith("No space left on device\n") || kind == u"xlsx", r.err.constData());
    QCOMPARE(snapshot(dir.path()), before);
}

void TestOutputSafety::pdfFailedPageLeavesTheFolder()
{
    if (!isRoot())
        QSKIP("a full file system needs a tmpfs mount, which needs root");
    // The size of one page, written where there is room.
    QTemporaryDir roomy;
    const Run sizing = run(
        {u"--to"_s, u"pdf"_s, m_log, u"-o"_s, roomy.filePath(u"c.pdf"_s), u"--lang"_s, u"en"_s});
    QCOMPARE(sizing.exitCode, 0);
    const qint64 page = QFileInfo(roomy.filePath(u"c-1.pdf"_s)).size();
    // In blocks of 4 KiB: the first page takes its blocks, the second
    // finds one.
    constexpr qint64 Block = 4096;
    QVERIFY(page > Block && QFileInfo(roomy.filePath(u"c-2.pdf"_s)).size() > Block);
    QVERIFY(QFileInfo::exists(roomy.filePath(u"c-3.pdf"_s)));

    QTemporaryDir dir;
    const SmallDisk disk(dir.path(), 64);
    if (!disk.mounted())
        QSKIP("tmpfs cannot be mounted here");
    // A first page from an earlier run, which the failed run keeps.
    QVERIFY(writeFile(dir.filePath(u"c-1.pdf"_s), "the earlier page"));
    QVERIFY(fillDisk(dir.path(), (page + Block - 1) / Block * Block + Block));
    const auto before = snapshot(dir.path());
    const QString out = dir.filePath(u"c.pdf"_s);
    const Run r = run({u"--to"_s, u"pdf"_s, m_log, u"-o"_s, out, u"--lang"_s, u"en"_s});
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.err,
             "norvale: cannot write " + dir.filePath(u"c-2.pdf"_s).toUtf8()
                 + ": No space left on device\n");
    // The folder as it was: no page of the failed run, no temporary file.
    QCOMPARE(snapshot(dir.path()), before);
}

void TestOutputSafety::fileCannotBeOpened_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<QByteArray>("reason");
    QTest::newRow("missing") << u"missing"_s << QByteArray("No such file or directory");
    QTest::newRow("unreadable") << u"unreadable"_s << QByteArray("Permission denied");
    QTest::newRow("folder") << u"folder"_s << QByteArray("Is a directory");
    QTest::newRow("FIFO") << u"FIFO"_s << QByteArray("not a regular file");
    QTest::newRow("device") << u"device"_s << QByteArray("not a regular file");
    QTest::newRow("loop of links") << u"loop"_s << QByteArray("Too many levels of symbolic links");
}

void TestOutputSafety::fileCannotBeOpened()
{
    QFETCH(QString, what);
    QFETCH(QByteArray, reason);
    QTemporaryDir dir;
    QString file = dir.filePath(u"log.db"_s);
    if (what == u"unreadable") {
        if (isRoot())
            QSKIP("root reads any file");
        QVERIFY(writeFile(file, dataFile(3)));
        QFile::setPermissions(file, QFile::WriteOwner);
    } else if (what == u"folder") {
        QVERIFY(QDir().mkdir(file));
    } else if (what == u"FIFO") {
        QCOMPARE(::mkfifo(local(file).constData(), 0644), 0);
    } else if (what == u"device") {
        file = u"/dev/null"_s;
    } else if (what == u"loop") {
        QCOMPARE(::symlink("other.db", local(file).constData()), 0);
        QCOMPARE(::symlink("log.db", local(dir.filePath(u"other.db"_s)).constData()), 0);
    }
    const auto before = snapshot(dir.path());
    const Run r = run({u"--to"_s, u"csv"_s, file});
    QCOMPARE(r.err, "norvale: cannot open " + file.toUtf8() + ": " + reason + '\n');
    QCOMPARE(r.out, QByteArray());
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(snapshot(dir.path()), before);
}

void TestOutputSafety::fileNameNotUtf8()
{
    QTemporaryDir dir;
    // The name holds the byte 0xff, which no UTF-8 text holds.
    const QByteArray name = local(dir.path()) + "/log\xff.bin";
    {
        FILE *raw = std::fopen(name.constData(), "wb");
        QVERIFY(raw);
        const QByteArray bytes = dataFile(2);
        QCOMPARE(std::fwrite(bytes.constData(), 1, size_t(bytes.size()), raw),
                 size_t(bytes.size()));
        QCOMPARE(std::fclose(raw), 0);
    }
    const auto before = snapshot(dir.path());
    // The name reaches the program as the system's bytes, through the shell.
    const Run r = runProgram(u"/bin/sh"_s,
                             {u"-c"_s, u"exec \"$0\" --to csv \"$1/$(printf 'log\\377.bin')\""_s,
                              QStringLiteral(NORVALE_PROGRAM), dir.path()});
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out.count("\r\n"), 3);
    QVERIFY(r.out.contains("\r\n2,"));
    QCOMPARE(snapshot(dir.path()), before);

    // Known by its identity too.
    const QString hard = dir.filePath(u"hard.csv"_s);
    QCOMPARE(::link(name.constData(), local(hard).constData()), 0);
    const auto linked = snapshot(dir.path());
    const Run refused
        = runProgram(u"/bin/sh"_s,
                     {u"-c"_s, u"exec \"$0\" --to csv \"$1/$(printf 'log\\377.bin')\" -o \"$2\""_s,
                      QStringLiteral(NORVALE_PROGRAM), dir.path(), hard});
    QCOMPARE(refused.exitCode, 2);
    QVERIFY2(refused.err.startsWith("norvale: -o: OUT is FILE itself\n"), refused.err.constData());
    QCOMPARE(snapshot(dir.path()), linked);
    QCOMPARE(::unlink(name.constData()), 0);
}

void TestOutputSafety::namesNotUtf8KeepTheirBytes_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("file"); // FILE's name, made here
    QTest::addColumn<QByteArray>("out"); // the bytes of -o
    QTest::addColumn<QByteArray>("written"); // the name written
    const QByteArray database = "log\xfe.db";
    const QByteArray binary = "log\xff.bin";
    for (const QByteArray &file : {database, binary}) {
        const char *of = file == database ? "database" : "binary file";
        QTest::addRow("csv of a %s", of) << u"csv"_s << file << "bad\xff.csv"_ba
                                         << "bad\xff.csv"_ba;
        QTest::addRow("xlsx of a %s", of) << u"xlsx"_s << file << "bad\xff\xfe.xlsx"_ba
                                          << "bad\xff\xfe.xlsx"_ba;
        QTest::addRow("png of a %s", of) << u"png"_s << file << "\xc3(.png"_ba
                                         << "\xc3(.png"_ba;
        QTest::addRow("pdf of a %s", of) << u"pdf"_s << file << "bad\xff.pdf"_ba
                                         << "bad\xff-1.pdf"_ba;
    }
    // Read through a private copy of the database and its log.
    QTest::newRow("csv of a database with its log") << u"csv"_s << "log\xfd.db"_ba
                                                    << "bad\xff.csv"_ba
                                                    << "bad\xff.csv"_ba;
}

void TestOutputSafety::namesNotUtf8KeepTheirBytes()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, written);
    QTemporaryDir dir;
    const QByteArray folder = local(dir.path()) + '/';
    // A folder whose name is not text either.
    const QByteArray inner = folder + "in\xff/";
    QCOMPARE(::mkdir(inner.constData(), 0755), 0);
    const QByteArray fileName = inner + file;
    if (file == "log\xfd.db") {
        // A log that holds the rows, copied while its writer is open.
        const QString plain = dir.filePath(u"plain.db"_s);
        sqlite3 *writer = nullptr;
        QCOMPARE(sqlite3_open(local(plain).constData(), &writer), SQLITE_OK);
        const QByteArray rows = "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;"
            + createBuffer(1) + insertBuffer(1, 1, "d", "t", {"7"})
            + insertBuffer(1, 2, "d", "t", {"8"});
        QCOMPARE(sqlite3_exec(writer, rows.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
        QVERIFY(writeBytesNamed(fileName, readFile(plain)));
        QVERIFY(writeBytesNamed(fileName + "-wal", readFile(plain + u"-wal"_s)));
        sqlite3_close(writer);
        QVERIFY(readBytesNamed(fileName + "-wal").size() > 0);
    } else if (file.endsWith(".db")) {
        // Made under a plain name, then given its own by the system.
        const QString plain = dir.filePath(u"plain.db"_s);
        QVERIFY(sql(plain,
                    createBuffer(1) + insertBuffer(1, 1, "d", "t", {"7"})
                        + insertBuffer(1, 2, "d", "t", {"8"})));
        QCOMPARE(::rename(local(plain).constData(), fileName.constData()), 0);
    } else {
        QVERIFY(writeBytesNamed(fileName, dataFile(2)));
    }
    // The name the usual text of OUT stands for: an unrelated file, never written.
    const QByteArray lossy = QString::fromUtf8(out).toUtf8();
    QVERIFY(lossy != out);
    QVERIFY(writeBytesNamed(inner + lossy, "not ours"));
    const QList<QByteArray> before = namesIn(inner);
    const QByteArray fileBytes = readBytesNamed(fileName);

    // The names reach the program as the system's bytes, through the shell.
    const Run r = runProgram(
        u"/bin/sh"_s,
        {u"-c"_s, u"exec \"$0\" --to \"$1\" \"$(printf \"$2\")\" -o \"$(printf \"$3\")\""_s,
         QStringLiteral(NORVALE_PROGRAM), kind, QString::fromLatin1(shellEscaped(fileName)),
         QString::fromLatin1(shellEscaped(inner + out))});
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.exitCode, 0);
    if (kind == u"csv")
        QCOMPARE(readBytesNamed(inner + written).count("\r\n"), 3);
    QList<QByteArray> expected = before;
    expected << written;
    std::sort(expected.begin(), expected.end());
    QCOMPARE(namesIn(inner), expected);
    QVERIFY(readBytesNamed(inner + written).startsWith(magicOf(kind)));
    QCOMPARE(readBytesNamed(inner + lossy), QByteArray("not ours"));
    QCOMPARE(readBytesNamed(fileName), fileBytes);

    // Run again: the same name is replaced, and the file shown is known by
    // its identity under a name that is not text.
    const Run again = runProgram(
        u"/bin/sh"_s,
        {u"-c"_s, u"exec \"$0\" --to \"$1\" \"$(printf \"$2\")\" -o \"$(printf \"$3\")\""_s,
         QStringLiteral(NORVALE_PROGRAM), kind, QString::fromLatin1(shellEscaped(fileName)),
         QString::fromLatin1(shellEscaped(inner + out))});
    QCOMPARE(again.exitCode, 0);
    QCOMPARE(namesIn(inner), expected);
    if (kind != u"pdf") {
        const Run itself = runProgram(
            u"/bin/sh"_s,
            {u"-c"_s, u"exec \"$0\" --to \"$1\" \"$(printf \"$2\")\" -o \"$(printf \"$2\")\""_s,
             QStringLiteral(NORVALE_PROGRAM), kind, QString::fromLatin1(shellEscaped(fileName))});
        QCOMPARE(itself.exitCode, 2);
        QVERIFY2(itself.err.startsWith("norvale: -o: OUT is FILE itself\n"),
                 itself.err.constData());
        QCOMPARE(readBytesNamed(fileName), fileBytes);
    }
}

void TestOutputSafety::cellTooLongForAWorksheet()
{
    // Cells longer than a worksheet cell holds: the export's message, then
    // the reason, and no file.
    QTemporaryDir dir;
    const QString file = dir.filePath(u"Alarm.db"_s);
    QVERIFY(sql(file,
                "CREATE TABLE Ldata (ID INTEGER, N0 TEXT, N1 TEXT, N2 TEXT);"
                "INSERT INTO Ldata VALUES (1, 't', '3', 'short');"
                "INSERT INTO Ldata VALUES (2, 't', '3', printf('%.40000c', 'x'));"));
    const QString out = dir.filePath(u"out.xlsx"_s);
    const Run r = run({u"--to"_s, u"xlsx"_s, file, u"-o"_s, out, u"--lang"_s, u"en"_s});
    QCOMPARE(r.exitCode, 1);
    const QList<QByteArray> lines = r.err.split('\n');
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], QByteArray("Error: exported failure occurred. Please try again later！"));
    QVERIFY2(lines[1].startsWith("norvale: ") && lines[1].contains("32,767"), lines[1].constData());
    QVERIFY(!QFileInfo::exists(out));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList {u"Alarm.db"_s});
}

void TestOutputSafety::brokenPipeEndsQuietly()
{
    QTemporaryDir dir;
    const QString log = makeLog(dir.path(), 20000);
    const Run r
        = runProgram(u"/bin/sh"_s,
                     {u"-c"_s, u"(\"$0\" --to csv \"$1\"; echo \"status $?\" >&2) | head -c 10"_s,
                      QStringLiteral(NORVALE_PROGRAM), log});
    QCOMPARE(r.out.size(), 10);
    // Nothing but the status on stderr, and the status is not 0.
    QVERIFY2(r.err.startsWith("status ") && r.err.count('\n') == 1 && r.err != "status 0\n",
             r.err.constData());
}

QTEST_GUILESS_MAIN(TestOutputSafety)
#include "tst_outputsafety.moc"
