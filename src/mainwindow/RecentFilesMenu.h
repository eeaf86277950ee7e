#pragma once

#include "mainwindow/RecentFiles.h"
#include "platform/Language.h"

#include <QMenu>

class OptionsStore;

// The pop-up menu's sub-menu of recently opened files, kept in the options
// store under a key of its own. A file that is gone stays listed, disabled.
class RecentFilesMenu : public QMenu
{
    Q_OBJECT
public:
    // Without a store the list lives only as long as the menu.
    explicit RecentFilesMenu(OptionsStore *store, QWidget *parent = nullptr);

    void add(const QString &path);
    void clear();
    void retitle(Language language);
    const RecentFiles &list() const { return m_list; }

    static const QString StoreKey;

signals:
    void fileChosen(const QString &path);

private:
    void rebuild();
    void save();

    OptionsStore *m_store;
    RecentFiles m_list;
    Language m_language = Language::Chinese;
};
