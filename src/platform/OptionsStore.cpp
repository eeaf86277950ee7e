#include "platform/OptionsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {

#ifdef Q_OS_WIN
constexpr bool NativeRegistry = true;
#else
constexpr bool NativeRegistry = false;
#endif

const QString RegistryKey = QStringLiteral("HKEY_CURRENT_USER\\Software\\kt_Norvale");

} // namespace

QString OptionsStore::defaultIniFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/kt_Norvale/Norvale.conf");
}

OptionsStore::OptionsStore()
    : m_native(NativeRegistry)
    , m_location(NativeRegistry ? RegistryKey : defaultIniFile())
{ }

OptionsStore::OptionsStore(const QString &iniFile)
    : m_native(false)
    , m_location(iniFile)
{ }

bool OptionsStore::keyExists() const
{
    if (m_native) {
        // A key with no values still exists: ask its parent for its children.
        QSettings parent(QStringLiteral("HKEY_CURRENT_USER\\Software"), QSettings::NativeFormat);
        return parent.childGroups().contains(QStringLiteral("kt_Norvale"), Qt::CaseInsensitive);
    }
    return QFileInfo(m_location).isFile();
}

bool OptionsStore::createKey()
{
    if (m_native) {
        QSettings key(m_location, QSettings::NativeFormat);
        key.setValue(QStringLiteral("."), QVariant());
        key.remove(QStringLiteral("."));
        key.sync();
        return key.status() == QSettings::NoError && keyExists();
    }
    // QSettings would create the folders silently and report nothing; make
    // the empty file ourselves so a failure is seen.
    const QFileInfo info(m_location);
    if (!QDir().mkpath(info.absolutePath()))
        return false;
    QFile file(m_location);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    file.close();
    return true;
}

std::optional<qint64> OptionsStore::readInteger(const QString &name) const
{
    if (!keyExists())
        return std::nullopt;
    QSettings key(m_location, m_native ? QSettings::NativeFormat : QSettings::IniFormat);
    if (key.status() != QSettings::NoError || !key.contains(name))
        return std::nullopt;
    const QVariant value = key.value(name);
    bool ok = false;
    const qint64 number = value.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return number;
}

void OptionsStore::writeInteger(const QString &name, qint64 value)
{
    QSettings key(m_location, m_native ? QSettings::NativeFormat : QSettings::IniFormat);
    // The registry keeps the options as DWORDs; a 64-bit value would be a QWORD.
    key.setValue(name, m_native ? QVariant(qint32(value)) : QVariant(value));
    key.sync();
}

namespace {
QString itemName(int index)
{
    return QStringLiteral("Item%1").arg(index + 1);
}
} // namespace

QStringList OptionsStore::readList(const QString &key) const
{
    if (!keyExists())
        return {};
    QSettings store(m_location, m_native ? QSettings::NativeFormat : QSettings::IniFormat);
    store.beginGroup(key);
    QStringList values;
    // Items are numbered from 1; the list ends at the first gap.
    for (int i = 0;; ++i) {
        const QVariant value = store.value(itemName(i));
        if (!value.isValid())
            break;
        values << value.toString();
    }
    return values;
}

void OptionsStore::writeList(const QString &key, const QStringList &values)
{
    if (!keyExists())
        return;
    QSettings store(m_location, m_native ? QSettings::NativeFormat : QSettings::IniFormat);
    store.remove(key);
    store.beginGroup(key);
    for (int i = 0; i < values.size(); ++i)
        store.setValue(itemName(i), values.at(i));
    store.endGroup();
    store.sync();
}
