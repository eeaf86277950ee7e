#pragma once

#include <QString>
#include <QStringList>

// The main window's fixed texts in its two UI languages, from the translation
// file (context "MainWindow").
namespace MainTexts {

inline constexpr auto Version = "V1.66";

QString titlePrefix(bool chinese);
// Title prefix and version, as every language switch sets it.
QString windowTitle(bool chinese);
// The title after a file has been chosen: prefix, version, " -[ ", path, " ]".
QString windowTitleWithFile(bool chinese, const QString &path);

QString openCaption(bool chinese);
QString clearCaption(bool chinese);
QString exportCaption(bool chinese);
QString curveCaption(bool chinese);
QString languageMenu(bool chinese);
QString dynamicLoadMenu(bool chinese);
QString exitMenu(bool chinese);
QString chineseMenu();
QString englishMenu();
// "数据条数:" / "Sum Data:" followed by the count, without a blank.
QString countDisplay(bool chinese, int count);
// "记录#1" … / "Reco#1" …, index 0 .. 11.
QString bufferItem(bool chinese, int index);
inline constexpr int BufferCount = 12;
// The display format list's items, the same in both languages.
QString formatItem(int format);
inline constexpr int FormatCount = 5;

QString captionNorvale();
QString captionNoData();
QString invalidDatabase();
// "< " + buffer text + " > 没有数据！" / " > No Data！"
QString noDataMessage(bool chinese, const QString &bufferText);
// "< " + buffer text + " > 没有创建！" / " > No Create！"
QString notCreatedMessage(bool chinese, const QString &bufferText);
// The grid's title row: the ID column, the alarm list's columns 1 to 3, the
// data records' date and time, and "数据(" index ")" for a logged word.
QString idTitle(bool chinese);
QString alarmTitle(bool chinese, int column);
QString recordDateTitle(bool chinese);
QString recordTimeTitle(bool chinese);
QString wordTitle(bool chinese, int index);

// "文件太大：… 条记录需要约 … GB 内存" / "File too large: … records need about
// … GB of memory", the memory in GB rounded up to a tenth.
QString tooLargeMessage(bool chinese, quint64 records, quint64 bytes);
// The same, followed by the file's size: "（文件大小 …）" / " (file size …)".
QString fileTooLarge(bool chinese, qint64 records, qint64 memoryBytes, qint64 fileBytes);
// A size in GB with one decimal, MB below a GB, KB below a MB.
QString sizeText(qint64 bytes);
// The pop-up menu's list of recently opened files and its last item.
QString recentFilesMenu(bool chinese);
QString clearRecentFiles(bool chinese);
// The open dialog's filters, "db (*.db)" first.
QStringList openFilters(bool chinese);

QString registryCaption();
QString createKeyFail();

// The grid's tools: copy, find, save as, reload and follow.
QString copyMenu(bool chinese);
QString findPlaceholder(bool chinese);
QString findNext(bool chinese);
QString findPrevious(bool chinese);
// "3 / 17": the match shown and how many there are.
QString findCount(int current, int total);
QString saveAsMenu(bool chinese);
QString saveAsTitle(bool chinese);
QString saveFilterXlsx(bool chinese);
QString saveFilterCsv();
// "保存失败：" / "Save failed: " followed by why.
QString saveFailed(bool chinese, const QString &reason);
QString reloadMenu(bool chinese);
QString followMenu(bool chinese);
// The progress of a long load or save: "Rows read: 1200" / "Rows written: 1200".
QString workProgress(bool chinese, bool saving, qint64 rows);
QString cancelButton(bool chinese);
// The notice while the open file is gone, with Follow File checked or not.
QString fileGoneFollowing(bool chinese);
QString fileGone(bool chinese);

} // namespace MainTexts
