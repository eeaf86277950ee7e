#include "platform/NativeName.h"
#include "platform/SafeOutputFile.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray local(const QString &path)
{
    return QFile::encodeName(path);
}

bool write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush();
}

QByteArray read(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

QStringList names(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden
                               | QDir::System);
}

} // namespace

class TestSafeOutputFile : public QObject
{
    Q_OBJECT
private slots:
    void target_data();
    void target();
    void linkLeadsToANewFile();
    void discardLeavesTheTarget();
    void nativeNamesRoundTrip_data();
    void nativeNamesRoundTrip();
};

void TestSafeOutputFile::target_data()
{
    QTest::addColumn<QString>("make");
    QTest::addColumn<SafeOutputFile::Target>("target");
    QTest::addColumn<bool>("opens");
    using T = SafeOutputFile::Target;
    QTest::newRow("absent") << u"absent"_s << T::Replaceable << true;
    QTest::newRow("regular file") << u"file"_s << T::Replaceable << true;
    QTest::newRow("link to a file") << u"link"_s << T::Replaceable << true;
    QTest::newRow("dangling link") << u"dangling"_s << T::Replaceable << true;
    QTest::newRow("folder") << u"folder"_s << T::NotRegular << false;
    QTest::newRow("FIFO") << u"fifo"_s << T::NotRegular << false;
    QTest::newRow("loop of links") << u"loop"_s << T::NotRegular << false;
    QTest::newRow("hard link to the protected file") << u"hard link"_s << T::Protected << false;
    QTest::newRow("chain of links to the protected file")
        << u"link chain"_s << T::Protected << false;
    QTest::newRow("the protected file by another path") << u"other path"_s << T::Protected << false;
}

void TestSafeOutputFile::target()
{
    QFETCH(QString, make);
    QFETCH(SafeOutputFile::Target, target);
    QFETCH(bool, opens);
    QTemporaryDir dir;
    const QString shown = dir.filePath(u"shown.db"_s);
    QVERIFY(write(shown, "the file shown"));
    QVERIFY(write(dir.filePath(u"other"_s), "other"));
    QString out = dir.filePath(u"out"_s);
    const QByteArray o = local(out);
    if (make == u"file")
        QVERIFY(write(out, "old"));
    else if (make == u"link")
        QCOMPARE(::symlink("other", o.constData()), 0);
    else if (make == u"dangling")
        QCOMPARE(::symlink("nowhere", o.constData()), 0);
    else if (make == u"folder")
        QVERIFY(QDir().mkdir(out));
    else if (make == u"fifo")
        QCOMPARE(::mkfifo(o.constData(), 0600), 0);
    else if (make == u"loop")
        QCOMPARE(::symlink("out", o.constData()), 0);
    else if (make == u"hard link")
        QCOMPARE(::link(local(shown).constData(), o.constData()), 0);
    else if (make == u"link chain") {
        QCOMPARE(::symlink("shown.db", local(dir.filePath(u"mid"_s)).constData()), 0);
        QCOMPARE(::symlink("mid", o.constData()), 0);
    } else if (make == u"other path") {
        QVERIFY(QDir(dir.path()).mkdir(u"sub"_s));
        out = dir.filePath(u"./sub/../shown.db"_s);
    }
    const QStringList before = names(dir.path());

    QCOMPARE(SafeOutputFile::check(out, shown), target);
    SafeOutputFile file(out);
    QCOMPARE(file.open(shown), opens);
    QCOMPARE(file.errorString().isEmpty(), opens);
    if (opens) {
        QVERIFY(file.write("new"));
        QVERIFY(file.commit());
        QCOMPARE(read(out), QByteArray("new"));
    }
    QCOMPARE(read(shown), QByteArray("the file shown"));
    // Nothing is left beside, and a link stays a link.
    QStringList after = names(dir.path());
    if (make == u"absent")
        after.removeOne(u"out"_s);
    if (make == u"dangling")
        after.removeOne(u"nowhere"_s);
    QCOMPARE(after, before);
    if (make.contains(u"link") && make != u"hard link")
        QVERIFY(QFileInfo(dir.filePath(u"out"_s)).isSymLink());
}

void TestSafeOutputFile::linkLeadsToANewFile()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(u"real"_s));
    const QString out = dir.filePath(u"out"_s);
    QCOMPARE(::symlink("real/new.csv", local(out).constData()), 0);
    SafeOutputFile file(out);
    QVERIFY(file.open());
    // The temporary file is in the target's folder.
    QCOMPARE(QFileInfo(file.temporaryName()).absolutePath(), dir.filePath(u"real"_s));
    QVERIFY(file.write("x"));
    QVERIFY(file.commit());
    QCOMPARE(read(dir.filePath(u"real/new.csv"_s)), QByteArray("x"));
    QCOMPARE(names(dir.filePath(u"real"_s)), QStringList {u"new.csv"_s});
}

void TestSafeOutputFile::discardLeavesTheTarget()
{
    QTemporaryDir dir;
    const QString out = dir.filePath(u"out"_s);
    QVERIFY(write(out, "old"));
    {
        SafeOutputFile file(out);
        QVERIFY(file.open());
        QVERIFY(file.write("half"));
        QCOMPARE(names(dir.path()).size(), 2);
    } // never committed
    QCOMPARE(read(out), QByteArray("old"));
    QCOMPARE(names(dir.path()), QStringList {u"out"_s});
}

void TestSafeOutputFile::nativeNamesRoundTrip_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("text"); // valid UTF-8: read as it always was
    QTest::newRow("ASCII") << "/tmp/out.csv"_ba << true;
    QTest::newRow("Chinese") << "/tmp/数据.csv"_ba << true;
    QTest::newRow("four-byte character") << "/tmp/\xf0\x9f\x94\xa5.csv"_ba << true;
    QTest::newRow("byte ff") << "/tmp/bad\xff.csv"_ba << false;
    QTest::newRow("two stray bytes") << "\xff\xfe"_ba << false;
    QTest::newRow("lead byte without its tail") << "a\xc3(b"_ba << false;
    QTest::newRow("cut at the end") << "name\xe2\x82"_ba << false;
    QTest::newRow("overlong slash") << "a\xc0\xaf"
                                       "b"_ba
                                    << false;
    QTest::newRow("encoded surrogate") << "a\xed\xa0\x80"
                                          "b"_ba
                                       << false;
    QTest::newRow("past U+10FFFF") << "\xf4\x90\x80\x80"_ba << false;
    QTest::newRow("stray byte beside a character") << "数\x80据"_ba << false;
}

void TestSafeOutputFile::nativeNamesRoundTrip()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, text);
    const QString name = fileNameFromNative(bytes);
    QCOMPARE(nativeFileName(name), bytes);
    if (text)
        QCOMPARE(name, QString::fromUtf8(bytes));
    else
        QVERIFY(name != QString::fromUtf8(bytes));
    // A path built from it keeps the bytes too.
    QCOMPARE(nativeFileName(name + u".tmp"_s), bytes + ".tmp");
}

QTEST_GUILESS_MAIN(TestSafeOutputFile)
#include "tst_safeoutputfile.moc"
