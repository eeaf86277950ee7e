#include "cli/ProgramInfo.h"

#include "texts/MainTexts.h"

#include <string_view>

// The window title's version and the build's version are one number.
static_assert(std::string_view(MainTexts::Version) == std::string_view("V" NORVALE_VERSION));

namespace ProgramInfo {

QString versionText()
{
    return QStringLiteral("Norvale " NORVALE_VERSION "\n");
}

QString helpText(Language language)
{
    if (language == Language::Chinese) {
        return QStringLiteral(
            "用法: norvale [FILE]\n"
            "      norvale --to csv|xlsx|png|pdf|stats FILE [-o OUT] [--buffer N] [--format F]\n"
            "              [--tags SHEET] [--lang zh|en] [--start ID] [--end ID] [--scale N]\n"
            "              [--encoding E] [--from T] [--until T] [--alarms ALARMFILE]\n"
            "      norvale --to alarm-stats ALARMFILE [-o OUT] [--from T] [--until T]\n"
            "      norvale --help | --version\n"
            "\n"
            "浏览 HMI 操作面板的日志文件 (SQLite 数据库或二进制日志文件)。\n"
            "给出 FILE 时启动浏览器并打开它，如同用“打开”按钮选择。\n"
            "\n"
            "选项:\n"
            "  --to csv    把记录表格写成 CSV (写到 OUT，无 -o 时写到标准输出)\n"
            "  --to xlsx   把记录表格导出为工作簿，保存到 OUT\n"
            "  --to png    把曲线图保存到 OUT\n"
            "  --to pdf    打印曲线，每页一个文件: OUT-1.pdf, OUT-2.pdf, ...\n"
            "  --to stats  每个数值列的个数、最小、最大、平均、首个和末个值，写成 CSV\n"
            "  --to alarm-stats  报警文件的报警统计，写成 CSV (写到 OUT 或标准输出)\n"
            "  -o OUT      输出文件\n"
            "  --buffer N  数据记录 1..12 (数据记录数据库)\n"
            "  --format F  显示格式 0..4\n"
            "  --tags SHEET  为数值命名和换算的位号表\n"
            "  --lang L    界面语言 zh (默认) 或 en\n"
            "  --start ID  打印的第一个 ID (pdf)\n"
            "  --end ID    打印的最后一个 ID (pdf)\n"
            "  --scale N   每个方向 N 倍的像素，1..4 (png)\n"
            "  --encoding E  utf-8 (默认)、utf-8-bom 或 gb18030 (csv)\n"
            "  --from T    只取时间 T 及以后的记录 (如 2013-05-07 08:10:00，或只写日期)\n"
            "  --until T   只取时间 T 及以前的记录\n"
            "  --alarms ALARMFILE  在曲线上画出该报警文件的报警标记 (png, pdf)\n"
            "  -h, --help  显示本帮助并退出\n"
            "  --version   显示程序名称和版本并退出\n"
            "\n"
            "--to 在隐藏的窗口中运行，不需要显示器，不读写选项文件；\n"
            "每个消息框作为一行“标题: 文本”写到标准错误。\n"
            "\n"
            "退出状态:\n"
            "  0  成功 (--to: 没有显示消息)\n"
            "  1  --to 显示了消息，或 FILE 无法打开或读取，或 OUT 无法写入\n"
            "     (FILE 未能读入时不写任何输出)\n"
            "  2  用法错误 (未知选项、重复的选项、错误的值、缺少 FILE 或 OUT)\n");
    }
    return QStringLiteral(
        "usage: norvale [FILE]\n"
        "       norvale --to csv|xlsx|png|pdf|stats FILE [-o OUT] [--buffer N] [--format F]\n"
        "               [--tags SHEET] [--lang zh|en] [--start ID] [--end ID] [--scale N]\n"
        "               [--encoding E] [--from T] [--until T] [--alarms ALARMFILE]\n"
        "       norvale --to alarm-stats ALARMFILE [-o OUT] [--from T] [--until T]\n"
        "       norvale --help | --version\n"
        "\n"
        "Browses the log files of HMI operator panels (SQLite databases or binary log\n"
        "files). With FILE the browser starts with FILE opened, as if chosen with Open.\n"
        "\n"
        "Options:\n"
        "  --to csv    the record grid as CSV (to OUT, or to stdout without -o)\n"
        "  --to xlsx   the export of the record grid, saved to OUT\n"
        "  --to png    the curve picture, saved to OUT\n"
        "  --to pdf    the printed curve pages, one file per page: OUT-1.pdf, OUT-2.pdf, ...\n"
        "  --to stats  each value column's count, min, max, mean, first, last as CSV\n"
        "  --to alarm-stats  an alarm file's statistics as CSV (to OUT, or to stdout)\n"
        "  -o OUT      the output file\n"
        "  --buffer N  record buffer 1..12 (data record databases)\n"
        "  --format F  display format 0..4\n"
        "  --tags SHEET  the tag sheet that names and scales the values\n"
        "  --lang L    UI language, zh (default) or en\n"
        "  --start ID  first ID to print (pdf)\n"
        "  --end ID    last ID to print (pdf)\n"
        "  --scale N   N times the pixels in each direction, 1..4 (png)\n"
        "  --encoding E  utf-8 (default), utf-8-bom or gb18030 (csv)\n"
        "  --from T    only the records at or after time T (2013-05-07 08:10:00, a date)\n"
        "  --until T   only the records at or before time T\n"
        "  --alarms ALARMFILE  ticks of its alarms on the curves (png, pdf)\n"
        "  -h, --help  print this help and exit\n"
        "  --version   print the program's name and version and exit\n"
        "\n"
        "--to runs the windows hidden: no display is needed and the options file is\n"
        "neither read nor written; every message box is one line on stderr,\n"
        "\"caption: text\".\n"
        "\n"
        "Exit status:\n"
        "  0  success (--to: no message was shown)\n"
        "  1  --to showed a message, or FILE could not be opened or read, or OUT not\n"
        "     written (nothing is written when FILE could not be read)\n"
        "  2  usage error (unknown option, repeated option, bad value, missing FILE or\n"
        "     OUT)\n");
}

} // namespace ProgramInfo
