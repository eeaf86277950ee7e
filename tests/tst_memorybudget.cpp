// The memory budget read from a /proc and /sys tree laid out in a temporary folder, and from the
// process's own limits.
#include "platform/MemoryBudget.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using MemoryBudget::ProcessLimits;

namespace {

constexpr qint64 GB = 1000 * 1000 * 1000;
constexpr qint64 MiB = 1024 * 1024;

const QByteArray V2Groups = "0::/user.slice/app.scope\n";
const QByteArray V1Groups
    = "12:pids:/docker/c0ffee\n4:memory:/docker/c0ffee\n1:cpu:/docker/c0ffee\n"
      "0::/docker/c0ffee\n";
const QByteArray V2Mount = "31 23 0:28 / /sys/fs/cgroup rw,nosuid - cgroup2 cgroup2 rw\n";
const QByteArray V1Mounts
    = "31 23 0:28 / /sys/fs/cgroup rw - tmpfs tmpfs rw,mode=755\n"
      "32 31 0:29 / /sys/fs/cgroup/cpu rw,relatime - cgroup cgroup rw,cpu\n"
      "35 31 0:32 / /sys/fs/cgroup/memory rw,relatime shared:9 - cgroup cgroup rw,memory\n"
      "41 31 0:38 / /sys/fs/cgroup/unified rw,relatime - cgroup2 cgroup2 rw\n";
const QByteArray Meminfo = "MemTotal:       16000000 kB\nMemFree:          100000 kB\n"
                           "MemAvailable:    8000000 kB\n";
const qint64 Available = 8000000 * qint64(1024);
const QByteArray Status = "Name:\tnorvale\nVmPeak:\t  500000 kB\nVmSize:\t  409600 kB\n"
                          "VmData:\t  102400 kB\n";

} // namespace

class TestMemoryBudget : public QObject
{
    Q_OBJECT
private slots:
    void budget_data();
    void budget();
    void addressSpaceLimitOfThisProcess();
};

void TestMemoryBudget::budget_data()
{
    QTest::addColumn<QStringList>("files"); // "path=content", the content with \n escaped
    QTest::addColumn<qint64>("addressSpace"); // -1: no limit
    QTest::addColumn<qint64>("data");
    QTest::addColumn<qint64>("expected"); // -1: no budget at all

    const auto file = [](const QString &path, const QByteArray &content) {
        return path + u'=' + QString::fromUtf8(content);
    };
    const QString v2 = u"sys/fs/cgroup/user.slice/app.scope/"_s;
    const QString v1 = u"sys/fs/cgroup/memory/docker/c0ffee/"_s;
    const QStringList common {file(u"proc/meminfo"_s, Meminfo),
                              file(u"proc/self/status"_s, Status)};

    QTest::newRow("no limit") << common << qint64(-1) << qint64(-1) << Available;
    QTest::newRow("nothing to read") << QStringList() << qint64(-1) << qint64(-1) << qint64(-1);
    QTest::newRow("v2 limit") << common
            + QStringList {file(u"proc/self/cgroup"_s, V2Groups),
                           file(u"proc/self/mountinfo"_s, V2Mount),
                           file(v2 + u"memory.max"_s, "3000000000\n"),
                           file(v2 + u"memory.current"_s, "1000000000\n")}
                              << qint64(-1) << qint64(-1) << 2 * GB;
    QTest::newRow("v2 max") << common
            + QStringList {file(u"proc/self/cgroup"_s, V2Groups),
                           file(u"proc/self/mountinfo"_s, V2Mount),
                           file(v2 + u"memory.max"_s, "max\n"),
                           file(v2 + u"memory.current"_s, "1000000000\n")}
                            << qint64(-1) << qint64(-1) << Available;
    QTest::newRow("v2 limit of the group above") << common
            + QStringList {file(u"proc/self/cgroup"_s, V2Groups),
                           file(u"proc/self/mountinfo"_s, V2Mount),
                           file(v2 + u"memory.max"_s, "max\n"),
                           file(u"sys/fs/cgroup/user.slice/memory.max"_s, "3000000000\n"),
                           file(u"sys/fs/cgroup/user.slice/memory.current"_s, "500000000\n")}
                                                 << qint64(-1) << qint64(-1) << 25 * GB / 10;
    QTest::newRow("v2 without mountinfo") << common
            + QStringList {file(u"proc/self/cgroup"_s, V2Groups),
                           file(v2 + u"memory.max"_s, "3000000000\n")}
                                          << qint64(-1) << qint64(-1) << 3 * GB;
    QTest::newRow("v1 limit") << common
            + QStringList {file(u"proc/self/cgroup"_s, V1Groups),
                           file(u"proc/self/mountinfo"_s, V1Mounts),
                           file(v1 + u"memory.limit_in_bytes"_s, "3000000000\n"),
                           file(v1 + u"memory.usage_in_bytes"_s, "500000000\n")}
                              << qint64(-1) << qint64(-1) << 25 * GB / 10;
    QTest::newRow("v1 unlimited") << common
            + QStringList {file(u"proc/self/cgroup"_s, V1Groups),
                           file(u"proc/self/mountinfo"_s, V1Mounts),
                           file(v1 + u"memory.limit_in_bytes"_s, "9223372036854771712\n"),
                           file(v1 + u"memory.usage_in_bytes"_s, "500000000\n")}
                                  << qint64(-1) << qint64(-1) << Available;
    QTest::newRow("v1 mount of the container's own group") << common
            + QStringList {file(u"proc/self/cgroup"_s, V1Groups),
                           file(u"proc/self/mountinfo"_s,
                                "35 31 0:32 /docker/c0ffee /sys/fs/cgroup/memory ro - "
                                "cgroup cgroup rw,memory\n"),
                           file(u"sys/fs/cgroup/memory/memory.limit_in_bytes"_s, "3000000000\n")}
                                                           << qint64(-1) << qint64(-1) << 3 * GB;
    QTest::newRow("v1 at a mount point with a blank") << common
            + QStringList {file(u"proc/self/cgroup"_s, V1Groups),
                           file(u"proc/self/mountinfo"_s,
                                "35 31 0:32 / /cg\\040mem rw - cgroup cgroup rw,memory\n"),
                           file(u"cg mem/docker/c0ffee/memory.limit_in_bytes"_s, "3000000000\n")}
                                                      << qint64(-1) << qint64(-1) << 3 * GB;
    QTest::newRow("v1 without mountinfo") << common
            + QStringList {file(u"proc/self/cgroup"_s, V1Groups),
                           file(v1 + u"memory.limit_in_bytes"_s, "3000000000\n"),
                           file(v1 + u"memory.usage_in_bytes"_s, "1000000000\n")}
                                          << qint64(-1) << qint64(-1) << 2 * GB;
    QTest::newRow("v1 and v2 both, v1 lower") << common
            + QStringList {file(u"proc/self/cgroup"_s, V1Groups),
                           file(u"proc/self/mountinfo"_s, V1Mounts),
                           file(v1 + u"memory.limit_in_bytes"_s, "3000000000\n"),
                           file(u"sys/fs/cgroup/unified/docker/c0ffee/memory.max"_s,
                                "4000000000\n")}
                                              << qint64(-1) << qint64(-1) << 3 * GB;
    QTest::newRow("v1 and v2 both, v2 lower") << common
            + QStringList {file(u"proc/self/cgroup"_s, V1Groups),
                           file(u"proc/self/mountinfo"_s, V1Mounts),
                           file(v1 + u"memory.limit_in_bytes"_s, "3000000000\n"),
                           file(u"sys/fs/cgroup/unified/docker/c0ffee/memory.max"_s,
                                "1000000000\n")}
                                              << qint64(-1) << qint64(-1) << 1 * GB;
    const QStringList v1Limit = common
        + QStringList {file(u"proc/self/cgroup"_s, V1Groups),
                       file(u"proc/self/mountinfo"_s, V1Mounts),
                       file(v1 + u"memory.limit_in_bytes"_s, "3000000000\n")};
    // VmSize 400 MiB, VmData 100 MiB.
    QTest::newRow("address space limit lower than all")
        << v1Limit << qint64(1024 * MiB) << qint64(-1) << 624 * MiB;
    QTest::newRow("data limit lower than all")
        << v1Limit << qint64(-1) << qint64(300 * MiB) << 200 * MiB;
    QTest::newRow("address space taken already")
        << v1Limit << qint64(300 * MiB) << qint64(-1) << qint64(0);
    QTest::newRow("limits above the group's")
        << v1Limit << qint64(8 * GB) << qint64(8 * GB) << 3 * GB;
}

void TestMemoryBudget::budget()
{
    QFETCH(QStringList, files);
    QFETCH(qint64, addressSpace);
    QFETCH(qint64, data);
    QFETCH(qint64, expected);
    QTemporaryDir root;
    for (const QString &entry : files) {
        const QString path = root.filePath(entry.section(u'=', 0, 0));
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QFile f(path);
        const QByteArray content = entry.section(u'=', 1).toUtf8();
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(content) == content.size());
    }
    ProcessLimits limits;
    if (addressSpace >= 0)
        limits.addressSpace = addressSpace;
    if (data >= 0)
        limits.data = data;
    const std::optional<qint64> budget = MemoryBudget::linuxBudget(root.path(), limits);
    QCOMPARE(budget.value_or(-1), expected);
}

void TestMemoryBudget::addressSpaceLimitOfThisProcess()
{
    // A child takes a limit of its address space 64 MiB above what it has; its budget is then
    // about those 64 MiB, whatever the machine has.
    int up[2];
    QVERIFY(::pipe(up) == 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(up[0]);
        QFile status(u"/proc/self/status"_s);
        qint64 taken = -1;
        if (status.open(QIODevice::ReadOnly)) {
            for (const QByteArray &line : status.readAll().split('\n'))
                if (line.startsWith("VmSize:"))
                    taken = line.mid(7).trimmed().split(' ').value(0).toLongLong() * 1024;
        }
        qint64 budget = -2;
        struct rlimit limit
        { };
        if (taken > 0 && ::getrlimit(RLIMIT_AS, &limit) == 0) {
            limit.rlim_cur = rlim_t(taken + 64 * MiB);
            if (::setrlimit(RLIMIT_AS, &limit) == 0)
                budget = availablePhysicalMemory().value_or(-1);
        }
        (void)!::write(up[1], &budget, sizeof budget);
        ::_exit(0);
    }
    ::close(up[1]);
    qint64 budget = -3;
    const bool told = ::read(up[0], &budget, sizeof budget) == sizeof budget;
    ::close(up[0]);
    QCOMPARE(::waitpid(child, nullptr, 0), child);
    QVERIFY(told);
    // The child's own address space may shrink a little between the two readings of it.
    QVERIFY2(budget > 0 && budget <= 65 * MiB, qPrintable(QString::number(budget)));
}

QTEST_GUILESS_MAIN(TestMemoryBudget)
#include "tst_memorybudget.moc"
