#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The per-user store of the program's two options: a key that may or may not
// exist, holding 32-bit integer values by name.
//
// On Windows it is the registry key HKEY_CURRENT_USER\Software\kt_Norvale;
// elsewhere an INI file kt_Norvale/Norvale.conf in the user's config folder,
// where "the key exists" means the file exists.
// The names the options are stored under, kept from the first releases so
// that a user's stored choices still apply.
namespace StoredOption {
// 1 when the windows show Chinese texts, 0 for English.
inline constexpr QLatin1StringView chineseUi {"N2"};
// 1 when Dynamic Load is on.
inline constexpr QLatin1StringView dynamicLoad {"N7"};
} // namespace StoredOption

class OptionsStore
{
public:
    // The store at its usual place.
    OptionsStore();
    // An INI store at `iniFile` (tests, and platforms without a registry).
    explicit OptionsStore(const QString &iniFile);

    bool keyExists() const;
    // Creates the empty key; false when it cannot be created.
    bool createKey();
    // The value as an integer; nothing when the key or the value is missing
    // or the value is not an integer.
    std::optional<qint64> readInteger(const QString &name) const;
    // Writes without checking, as the window's close does.
    void writeInteger(const QString &name, qint64 value);

    // A list of texts in a key of its own below the store's key (an INI
    // group), kept apart from the two options. Written only while the
    // store's key exists, so it never creates the key.
    QStringList readList(const QString &key) const;
    void writeList(const QString &key, const QStringList &values);

    static QString defaultIniFile();

private:
    bool m_native = false;
    QString m_location;
};
