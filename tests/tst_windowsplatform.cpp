// The Windows parts of the platform layer, on the real system (or Wine):
// options as registry DWORDs, file identity by volume and file index, files
// replaced in place, private copies under %TEMP%, Unicode file names, and the
// memory budget under a job object's limit.

#include "platform/MemoryBudget.h"
#include "platform/OptionsStore.h"
#include "platform/PrivateFolder.h"
#include "platform/SafeOutputFile.h"
#include "platform/SameFile.h"

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>

#include <qt_windows.h>

using namespace Qt::StringLiterals;

namespace {

const wchar_t OptionsKey[] = L"Software\\kt_Norvale";

std::wstring wide(const QString &text)
{
    return QDir::toNativeSeparators(text).toStdWString();
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

// The type and bytes of a value under the options key, read past Qt.
std::pair<DWORD, QByteArray> rawValue(const wchar_t *name)
{
    DWORD type = 0;
    BYTE data[64];
    DWORD size = sizeof data;
    if (RegGetValueW(HKEY_CURRENT_USER, OptionsKey, name, RRF_RT_ANY | RRF_NOEXPAND, &type, data,
                     &size)
        != ERROR_SUCCESS)
        return {REG_NONE, {}};
    return {type, QByteArray(reinterpret_cast<const char *>(data), int(size))};
}

} // namespace

class TestWindowsPlatform : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void optionsAreRegistryDwords_data();
    void optionsAreRegistryDwords();
    void noKeyUntilCreated();
    void recentFilesBesideTheOptions();
    void sameFile_data();
    void sameFile();
    void outputReplacesAnExistingFile_data();
    void outputReplacesAnExistingFile();
    void outputNeverReplacesTheProtectedFile();
    void privateFolderUnderTemp();
    void inputProblems();
    void jobObjectLimitsTheBudget(); // last: the process stays in the job
};

void TestWindowsPlatform::init()
{
    RegDeleteTreeW(HKEY_CURRENT_USER, OptionsKey);
}

void TestWindowsPlatform::cleanup()
{
    RegDeleteTreeW(HKEY_CURRENT_USER, OptionsKey);
}

void TestWindowsPlatform::optionsAreRegistryDwords_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("value");
    QTest::newRow("language") << u"N2"_s << qint64(1);
    QTest::newRow("dynamic load") << u"N7"_s << qint64(0);
    QTest::newRow("negative") << u"N7"_s << qint64(-1);
}

void TestWindowsPlatform::optionsAreRegistryDwords()
{
    QFETCH(QString, name);
    QFETCH(qint64, value);
    OptionsStore options;
    QVERIFY(options.createKey());
    options.writeInteger(name, value);
    const auto [type, bytes] = rawValue(reinterpret_cast<const wchar_t *>(name.utf16()));
    QCOMPARE(type, DWORD(REG_DWORD));
    QCOMPARE(bytes.size(), 4);
    qint32 stored;
    std::memcpy(&stored, bytes.constData(), 4);
    QCOMPARE(qint64(stored), value);
    QCOMPARE(OptionsStore().readInteger(name), std::optional<qint64>(value));
}

void TestWindowsPlatform::noKeyUntilCreated()
{
    OptionsStore options;
    QVERIFY(!options.keyExists());
    QCOMPARE(options.readInteger(u"N2"_s), std::nullopt);
    options.writeList(u"RecentFiles"_s, {u"C:/a.db"_s});
    QVERIFY(!options.keyExists());
    QVERIFY(options.createKey());
    QVERIFY(options.keyExists());
    HKEY key = nullptr;
    QCOMPARE(RegOpenKeyExW(HKEY_CURRENT_USER, OptionsKey, 0, KEY_READ, &key), LONG(ERROR_SUCCESS));
    RegCloseKey(key);
}

void TestWindowsPlatform::recentFilesBesideTheOptions()
{
    OptionsStore options;
    QVERIFY(options.createKey());
    const QStringList files {u"C:/日志/Alarm.db"_s, u"D:/panel/数据.bin"_s};
    options.writeList(u"RecentFiles"_s, files);
    QCOMPARE(OptionsStore().readList(u"RecentFiles"_s), files);
    QSettings key(u"HKEY_CURRENT_USER\\Software\\kt_Norvale\\RecentFiles"_s,
                  QSettings::NativeFormat);
    QCOMPARE(key.value(u"Item1"_s).toString(), files.at(0));
}

void TestWindowsPlatform::sameFile_data()
{
    QTest::addColumn<QString>("other");
    QTest::addColumn<bool>("same");
    QTest::newRow("itself") << u"记录.db"_s << true;
    QTest::newRow("other case") << u"记录.DB"_s << true;
    QTest::newRow("hard link") << u"link.db"_s << true;
    QTest::newRow("short path through ..") << u"sub/../记录.db"_s << true;
    QTest::newRow("a copy") << u"copy.db"_s << false;
    QTest::newRow("absent") << u"absent.db"_s << false;
}

void TestWindowsPlatform::sameFile()
{
    QFETCH(QString, other);
    QFETCH(bool, same);
    QTemporaryDir dir(QDir::tempPath() + u"/文件夹-XXXXXX"_s);
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(u"记录.db"_s);
    QVERIFY(write(file, "log"));
    QVERIFY(write(dir.filePath(u"copy.db"_s), "log"));
    QVERIFY(QDir(dir.path()).mkdir(u"sub"_s));
    QVERIFY(CreateHardLinkW(wide(dir.filePath(u"link.db"_s)).c_str(), wide(file).c_str(), nullptr));
    QCOMPARE(isSameFile(file, dir.filePath(other)), same);
}

void TestWindowsPlatform::outputReplacesAnExistingFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("native"); // the target named with backslashes, as Windows users type it
    QTest::newRow("ASCII") << u"out.csv"_s << false;
    QTest::newRow("Chinese") << u"导出.csv"_s << false;
    QTest::newRow("backslashes") << u"out.csv"_s << true;
}

void TestWindowsPlatform::outputReplacesAnExistingFile()
{
    QFETCH(QString, name);
    QTemporaryDir dir(QDir::tempPath() + u"/输出-XXXXXX"_s);
    QVERIFY(dir.isValid());
    QFETCH(bool, native);
    const QString target = dir.filePath(name);
    QVERIFY(write(target, "old"));
    SafeOutputFile out(native ? QDir::toNativeSeparators(target) : target);
    QVERIFY2(out.open(), qPrintable(out.errorString()));
    QVERIFY(out.write("new bytes"));
    QVERIFY2(out.commit(), qPrintable(out.errorString()));
    QCOMPARE(read(target), QByteArray("new bytes"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList {name});
}

void TestWindowsPlatform::outputNeverReplacesTheProtectedFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString shown = dir.filePath(u"数据.db"_s);
    QVERIFY(write(shown, "log"));
    QVERIFY(
        CreateHardLinkW(wide(dir.filePath(u"alias.db"_s)).c_str(), wide(shown).c_str(), nullptr));
    QCOMPARE(SafeOutputFile::check(dir.filePath(u"alias.db"_s), shown),
             SafeOutputFile::Target::Protected);
    SafeOutputFile out(dir.filePath(u"alias.db"_s));
    QVERIFY(!out.open(shown));
    QCOMPARE(read(shown), QByteArray("log"));
}

void TestWindowsPlatform::privateFolderUnderTemp()
{
    QString path;
    {
        PrivateFolder folder;
        QVERIFY2(folder.isValid(), qPrintable(folder.errorString()));
        path = folder.path();
        wchar_t temp[MAX_PATH + 1];
        const DWORD size = GetTempPathW(MAX_PATH + 1, temp);
        QVERIFY(size > 0);
        const QString tempFolder
            = QDir::cleanPath(QDir::fromNativeSeparators(QString::fromWCharArray(temp, int(size))));
        QVERIFY2(QDir::cleanPath(path).startsWith(tempFolder + u'/', Qt::CaseInsensitive),
                 qPrintable(path + u" not under "_s + tempFolder));
        QVERIFY(write(folder.filePath(u"副本.db"_s), "copy"));
    }
    QVERIFY(!QFileInfo::exists(path));
}

void TestWindowsPlatform::inputProblems()
{
    QTemporaryDir dir(QDir::tempPath() + u"/面板-XXXXXX"_s);
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(u"报警.bin"_s);
    QVERIFY(write(file, "x"));
    QCOMPARE(inputFileProblem(file), QString());
    QVERIFY(!inputFileProblem(dir.filePath(u"没有.bin"_s)).isEmpty());
    QVERIFY(!inputFileProblem(dir.path()).isEmpty());
}

void TestWindowsPlatform::jobObjectLimitsTheBudget()
{
    const auto before = availablePhysicalMemory();
    QVERIFY(before.has_value());
    const SIZE_T limit = 512u * 1024 * 1024;
    QVERIFY2(*before > qint64(limit), "the machine has less free memory than the test's limit");
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    QVERIFY(job);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION info {};
    info.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_PROCESS_MEMORY;
    info.ProcessMemoryLimit = limit;
    QVERIFY(SetInformationJobObject(job, JobObjectExtendedLimitInformation, &info, sizeof info));
    QVERIFY(AssignProcessToJobObject(job, GetCurrentProcess()));
    // Wine keeps no job limits: it reports none back, and the budget cannot see one.
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION reported {};
    QVERIFY(QueryInformationJobObject(job, JobObjectExtendedLimitInformation, &reported,
                                      sizeof reported, nullptr));
    if (!(reported.BasicLimitInformation.LimitFlags & JOB_OBJECT_LIMIT_PROCESS_MEMORY))
        QSKIP("this system reports no job object memory limits");
    const auto after = availablePhysicalMemory();
    QVERIFY(after.has_value());
    QVERIFY2(*after <= qint64(limit), qPrintable(QString::number(*after)));
    QVERIFY(*after > 0);
}

QTEST_GUILESS_MAIN(TestWindowsPlatform)
#include "tst_windowsplatform.moc"
