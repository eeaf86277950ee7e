#pragma once

#include "platform/Language.h"

#include <QString>
#include <QStringList>

// The main window's fixed texts in its two UI languages, from the translation
// file (context "MainWindow").
namespace MainTexts {

inline constexpr auto Version = "V1.66";

QString titlePrefix(Language language);
// Title prefix and version, as every language switch sets it.
QString windowTitle(Language language);
// The title after a file has been chosen: prefix, version, " -[ ", path, " ]".
QString windowTitleWithFile(Language language, const QString &path);

QString openCaption(Language language);
QString clearCaption(Language language);
QString exportCaption(Language language);
QString curveCaption(Language language);
QString languageMenu(Language language);
QString dynamicLoadMenu(Language language);
QString exitMenu(Language language);
QString chineseMenu();
QString englishMenu();
// "数据条数:" / "Sum Data:" followed by the count, without a blank.
QString countDisplay(Language language, int count);
// "记录#1" … / "Reco#1" …, index 0 .. 11.
QString bufferItem(Language language, int index);
inline constexpr int BufferCount = 12;

QString captionNorvale();
QString captionNoData();
QString invalidDatabase();
// "< " + buffer text + " > 没有数据！" / " > No Data！"
QString noDataMessage(Language language, const QString &bufferText);
// "< " + buffer text + " > 没有创建！" / " > No Create！"
QString notCreatedMessage(Language language, const QString &bufferText);
// The grid's title row: the ID column, the alarm list's columns 1 to 3, the
// data records' date and time, and "数据(" index ")" for a logged word.
QString idTitle(Language language);
QString alarmTitle(Language language, int column);
QString recordDateTitle(Language language);
QString recordTimeTitle(Language language);
QString wordTitle(Language language, int index);

// "文件太大：… 条记录需要约 … GB 内存" / "File too large: … records need about
// … GB of memory", the memory in GB rounded up to a tenth.
QString tooLargeMessage(Language language, quint64 records, quint64 bytes);
// The same, followed by the file's size: "（文件大小 …）" / " (file size …)".
QString fileTooLarge(Language language, qint64 records, qint64 memoryBytes, qint64 fileBytes);
// A size in GB with one decimal, MB below a GB, KB below a MB.
QString sizeText(qint64 bytes);
// The pop-up menu's list of recently opened files and its last item.
QString recentFilesMenu(Language language);
QString clearRecentFiles(Language language);
// The open dialog's filters, "db (*.db)" first.
QStringList openFilters(Language language);

QString registryCaption();
QString createKeyFail();

// The grid's tools: copy, find, save as, reload and follow.
QString copyMenu(Language language);
QString findPlaceholder(Language language);
QString findNext(Language language);
QString findPrevious(Language language);
// "3 / 17": the match shown and how many there are.
QString findCount(int current, int total);
QString saveAsMenu(Language language);
QString saveAsTitle(Language language);
QString saveFilterXlsx(Language language);
QString saveFilterCsv();
// "保存失败：" / "Save failed: " followed by why.
QString saveFailed(Language language, const QString &reason);
QString reloadMenu(Language language);
QString followMenu(Language language);
// The progress of a long load or save: "Rows read: 1200" / "Rows written: 1200".
QString workProgress(Language language, bool saving, qint64 rows);
QString cancelButton(Language language);
// The notice while the open file is gone, with Follow File checked or not.
QString fileGoneFollowing(Language language);
QString fileGone(Language language);

} // namespace MainTexts
