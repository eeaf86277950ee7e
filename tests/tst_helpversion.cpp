// --help, --version and a relative FILE, through the real program.

#include "support/LogFiles.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace logfiles;

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QByteArray err;
};

} // namespace

class TestHelpVersion : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void version();
    void helpLanguage_data();
    void helpLanguage();
    void helpNamesEveryOption_data();
    void helpNamesEveryOption();
    void manualAndHelpNameTheSameOptions();
    void relativeFileOpensByFullPath();

private:
    QProcessEnvironment environment() const;
    Run run(const QStringList &arguments);
    QString optionsFile() const { return m_home->filePath(u"config/kt_Norvale/Norvale.conf"_s); }
    bool writeOptions(const QByteArray &ini) const;
    QByteArray options() const;
    QString recentFile() const;
    std::unique_ptr<QTemporaryDir> m_home;
};

#ifdef Q_OS_WIN
namespace {

// There the program keeps its options in the registry, the same names as
// DWORDs; the test writes and reads them there.
const QString RegistryKey = u"HKEY_CURRENT_USER\\Software\\kt_Norvale"_s;

void removeRegistryOptions()
{
    QSettings(u"HKEY_CURRENT_USER\\Software"_s, QSettings::NativeFormat).remove(u"kt_Norvale"_s);
}

bool registryKeyExists()
{
    return QSettings(u"HKEY_CURRENT_USER\\Software"_s, QSettings::NativeFormat)
        .childGroups()
        .contains(u"kt_Norvale"_s, Qt::CaseInsensitive);
}

} // namespace
#endif

void TestHelpVersion::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
#ifdef Q_OS_WIN
    removeRegistryOptions();
#endif
}

// The options as INI text ("[General]\nN2=1\n"); null: none.
bool TestHelpVersion::writeOptions(const QByteArray &ini) const
{
#ifdef Q_OS_WIN
    QSettings key(RegistryKey, QSettings::NativeFormat);
    key.setValue(u"."_s, QVariant());
    key.remove(u"."_s);
    for (const QByteArray &line : ini.split('\n')) {
        const int equals = line.indexOf('=');
        if (equals > 0)
            key.setValue(QString::fromLatin1(line.left(equals)), line.mid(equals + 1).toInt());
    }
    key.sync();
    return key.status() == QSettings::NoError && registryKeyExists();
#else
    return QDir().mkpath(QFileInfo(optionsFile()).absolutePath()) && writeFile(optionsFile(), ini);
#endif
}

QByteArray TestHelpVersion::options() const
{
#ifdef Q_OS_WIN
    if (!registryKeyExists())
        return {};
    QSettings key(RegistryKey, QSettings::NativeFormat);
    QByteArray ini("[General]\n");
    for (const QString &name : key.childKeys())
        ini += name.toLatin1() + '=' + key.value(name).toString().toLatin1() + '\n';
    return ini;
#else
    return QFile::exists(optionsFile()) ? readFile(optionsFile()) : QByteArray();
#endif
}

QString TestHelpVersion::recentFile() const
{
#ifdef Q_OS_WIN
    return QSettings(RegistryKey, QSettings::NativeFormat).value(u"RecentFiles/Item1"_s).toString();
#else
    return QSettings(optionsFile(), QSettings::IniFormat).value(u"RecentFiles/Item1"_s).toString();
#endif
}

QProcessEnvironment TestHelpVersion::environment() const
{
    // A home of its own, so the options file is the test's.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(u"DISPLAY"_s);
    env.remove(u"WAYLAND_DISPLAY"_s);
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    env.insert(u"HOME"_s, m_home->path());
    env.insert(u"XDG_CONFIG_HOME"_s, m_home->filePath(u"config"_s));
    env.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
    return env;
}

Run TestHelpVersion::run(const QStringList &arguments)
{
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(QStringLiteral(NORVALE_PROGRAM), arguments);
    Run result;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = process.readAllStandardError();
    return result;
}

void TestHelpVersion::version()
{
    const Run r = run({u"--version"_s});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, u"Norvale " NORVALE_VERSION "\n"_s);
    QCOMPARE(r.err, QByteArray());
}

void TestHelpVersion::helpLanguage_data()
{
    QTest::addColumn<QByteArray>("options"); // null: no options file
    QTest::addColumn<bool>("chinese");

    QTest::newRow("no options file: English") << QByteArray() << false;
    QTest::newRow("options without a language: English") << QByteArray("[General]\n") << false;
    QTest::newRow("Chinese chosen") << QByteArray("[General]\nN2=1\nN7=0\n") << true;
    QTest::newRow("English chosen") << QByteArray("[General]\nN2=0\nN7=1\n") << false;
}

void TestHelpVersion::helpLanguage()
{
    QFETCH(QByteArray, options);
    QFETCH(bool, chinese);
    if (!options.isNull())
        QVERIFY(writeOptions(options));
    for (const QString &option : {u"--help"_s, u"-h"_s}) {
        const Run r = run({option});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.err, QByteArray());
        QVERIFY2(
            r.out.startsWith(chinese ? u"用法: norvale [FILE]\n"_s : u"usage: norvale [FILE]\n"_s),
            qPrintable(r.out));
    }
    // Only read: missing options stay missing, present ones unchanged.
    QCOMPARE(this->options(), options);
}

void TestHelpVersion::helpNamesEveryOption_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("manual"); // as the manual page's source writes it
    const struct
    {
        const char *help;
        const char *manual;
    } options[] = {
        {"--to csv", ".B \\-\\-to csv"},
        {"--to xlsx", ".B \\-\\-to xlsx"},
        {"--to png", ".B \\-\\-to png"},
        {"--to pdf", ".B \\-\\-to pdf"},
        {"--to stats", ".B \\-\\-to stats"},
        {"-o OUT", ".BI \\-o \" OUT\""},
        {"--buffer N", ".BI \\-\\-buffer \" N\""},
        {"--format F", ".BI \\-\\-format \" F\""},
        {"--lang L", ".BR \\-\\-lang \" zh\" | en"},
        {"--start ID", ".BI \\-\\-start \" ID"},
        {"--end ID", "\"\\-\\-end \" ID"},
        {"--scale N", ".BI \\-\\-scale \" N\""},
        {"--encoding E", ".BI \\-\\-encoding \" E\""},
        {"--tags SHEET", ".BI \\-\\-tags \" SHEET\""},
        {"-h, --help", ".BR \\-h \", \" \\-\\-help"},
        {"--version", ".B \\-\\-version"},
    };
    for (const auto &o : options)
        QTest::newRow(o.help) << QString::fromLatin1(o.help) << QString::fromLatin1(o.manual);
    QTest::newRow("status 0") << u"\n  0  "_s << u".B 0"_s;
    QTest::newRow("status 1") << u"\n  1  "_s << u".B 1"_s;
    QTest::newRow("status 2") << u"\n  2  "_s << u".B 2"_s;
}

void TestHelpVersion::helpNamesEveryOption()
{
    QFETCH(QString, text);
    QFETCH(QString, manual);
    QVERIFY(run({u"--help"_s}).out.contains(text));
    QVERIFY(writeOptions("[General]\nN2=1\n"));
    QVERIFY(run({u"--help"_s}).out.contains(text));
    // The manual page names it among its options (or exit statuses).
    const QString page = QString::fromUtf8(readFile(QStringLiteral(NORVALE_MANUAL)));
    QVERIFY(!page.isEmpty());
    QVERIFY2(page.contains(manual), qPrintable(manual));
}

namespace {

// The options a list of option lines names: "-o", "--buffer", and "--to"
// with its kind, as "--to csv".
QStringList optionNames(const QStringList &lines)
{
    static const QRegularExpression name(u"(?:^|[\\s,|])(--?[a-z]+)(?: ([a-z]+)\\b)?"_s);
    QStringList names;
    for (const QString &line : lines) {
        for (auto it = name.globalMatch(line); it.hasNext();) {
            const auto match = it.next();
            QString option = match.captured(1);
            if (option == u"--to"_s)
                option += u' ' + match.captured(2);
            if (!names.contains(option))
                names << option;
        }
    }
    names.sort();
    return names;
}

} // namespace

void TestHelpVersion::manualAndHelpNameTheSameOptions()
{
    // --help's option lines: the words before the first gap of two spaces.
    QStringList helpLines;
    const QStringList help = run({u"--help"_s}).out.split(u'\n');
    for (qsizetype i = help.indexOf(u"Options:"_s) + 1; i > 0 && i < help.size(); ++i) {
        if (!help[i].startsWith(u"  -"_s))
            break;
        helpLines << help[i].trimmed().section(u"  "_s, 0, 0);
    }
    // The manual page's: the line after each .TP of its OPTIONS section,
    // without its fonts and escapes.
    const QStringList page
        = QString::fromUtf8(readFile(QStringLiteral(NORVALE_MANUAL))).split(u'\n');
    QStringList manualLines;
    const qsizetype options = page.indexOf(u".SH OPTIONS"_s);
    QVERIFY(options >= 0);
    for (qsizetype i = options + 1; i + 1 < page.size() && !page[i].startsWith(u".SH"_s); ++i) {
        if (page[i] == u".TP"_s) {
            QString line = page[i + 1];
            line.remove(QRegularExpression(u"^\\.[A-Z]+ |\\\\f[RBIP]|\""_s));
            manualLines << line.replace(u"\\-"_s, u"-"_s);
        }
    }
    QVERIFY(helpLines.size() >= 10);
    QCOMPARE(optionNames(manualLines), optionNames(helpLines));
}

void TestHelpVersion::relativeFileOpensByFullPath()
{
    // The browser records what it opened in the recent files list: that is
    // the name its title shows and a reload reads.
    const QString folder = m_home->filePath(u"logs"_s);
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(writeFile(folder + u"/Data.bin"_s, dataFile(3)));
    QVERIFY(QDir(folder).mkdir(u"sub"_s));
    QProcess process;
    process.setProcessEnvironment(environment());
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(NORVALE_PROGRAM), {u"./sub/../Data.bin"_s});
    QVERIFY(process.waitForStarted());
    const QString full = QFileInfo(folder + u"/Data.bin"_s).absoluteFilePath();
    QStringList recent;
    for (int i = 0; i < 300 && recent.isEmpty(); ++i) {
        QTest::qWait(100);
        recent << recentFile();
        recent.removeAll(QString());
    }
    process.kill();
    process.waitForFinished();
    QCOMPARE(recent, QStringList {full});
}

QTEST_MAIN(TestHelpVersion)
#include "tst_helpversion.moc"
