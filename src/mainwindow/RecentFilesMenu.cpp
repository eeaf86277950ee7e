#include "mainwindow/RecentFilesMenu.h"

#include "platform/OptionsStore.h"
#include "texts/MainTexts.h"

#include <QDir>
#include <QFileInfo>

const QString RecentFilesMenu::StoreKey = QStringLiteral("RecentFiles");

RecentFilesMenu::RecentFilesMenu(OptionsStore *store, QWidget *parent)
    : QMenu(parent)
    , m_store(store)
{
    setObjectName(QStringLiteral("RecentFilesMenu"));
    if (m_store)
        m_list = RecentFiles(m_store->readList(StoreKey));
    // Whether a file still exists is asked each time the menu opens.
    connect(this, &QMenu::aboutToShow, this, &RecentFilesMenu::rebuild);
    retitle(m_language);
}

void RecentFilesMenu::add(const QString &path)
{
    m_list.add(path);
    save();
    rebuild();
}

void RecentFilesMenu::clear()
{
    m_list.clear();
    save();
    rebuild();
}

void RecentFilesMenu::retitle(Language language)
{
    m_language = language;
    setTitle(MainTexts::recentFilesMenu(language));
    rebuild();
}

void RecentFilesMenu::rebuild()
{
    // An item may be rebuilt away from inside its own triggered signal.
    for (QAction *old : actions()) {
        removeAction(old);
        old->deleteLater();
    }
    for (const QString &path : m_list.files()) {
        // The full path, with '&' kept as text rather than a shortcut mark.
        QString text = QDir::toNativeSeparators(path);
        text.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction *action = addAction(text);
        action->setData(path);
        action->setEnabled(QFileInfo(path).isFile());
        connect(action, &QAction::triggered, this, [this, path] { emit fileChosen(path); });
    }
    addSeparator();
    QAction *clearAction = addAction(MainTexts::clearRecentFiles(m_language));
    clearAction->setObjectName(QStringLiteral("ClearRecentFiles"));
    clearAction->setEnabled(!m_list.files().isEmpty());
    connect(clearAction, &QAction::triggered, this, &RecentFilesMenu::clear);
}

void RecentFilesMenu::save()
{
    if (m_store)
        m_store->writeList(StoreKey, m_list.files());
}
