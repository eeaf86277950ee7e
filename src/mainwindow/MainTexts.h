#pragma once

#include <QString>

class RecordGridModel;

// The main window's fixed texts in its two UI languages, and the grid
// layouts whose titles are written in the language of the moment.
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
// "文件太大：… 条记录需要约 … GB 内存" / "File too large: … records need about … GB of memory"
QString tooLargeMessage(bool chinese, quint64 records, quint64 bytes);
QString registryCaption();
QString createKeyFail();

} // namespace MainTexts

// The grid layouts that the loaders set up before filling the rows.
namespace GridLayout {

// 4 columns, widths 150, 68, 200 for columns 1 to 3, the alarm titles.
void setAlarmList(RecordGridModel &grid, bool chinese);
// Formats 0 and 1: 13 columns of default width 60; formats 2 to 4: 8 of 120.
// Columns 0 to 2 are 60, 80, 80 wide. Titles in the given language.
void setDataRecords(RecordGridModel &grid, bool chinese, int format);
bool isWideFormat(int format);

} // namespace GridLayout
