<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>MarkerStatisticsTable</name>
    <message>
        <source>Curve</source>
        <translation>曲线</translation>
    </message>
    <message>
        <source>A (ID %1)</source>
        <translation>A (编号 %1)</translation>
    </message>
    <message>
        <source>B (ID %1)</source>
        <translation>B (编号 %1)</translation>
    </message>
    <message>
        <source>B − A</source>
        <translation>B − A</translation>
    </message>
    <message>
        <source>Minimum</source>
        <translation>最小值</translation>
    </message>
    <message>
        <source>Maximum</source>
        <translation>最大值</translation>
    </message>
    <message>
        <source>Mean</source>
        <translation>平均值</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>时间</translation>
    </message>
    <message>
        <source>Statistics between the markers</source>
        <translation>标记之间的统计</translation>
    </message>
    <message>
        <source>Copy(&amp;C)</source>
        <translation>复制(&amp;C)</translation>
    </message>
</context>
<context>
    <name>AlarmStatisticsWindow</name>
    <message>
        <source>Alarms per hour</source>
        <translation>每小时报警数</translation>
    </message>
    <message>
        <source>Alarms per day</source>
        <translation>每天报警数</translation>
    </message>
    <message>
        <source>Alarms per %1 days</source>
        <translation>每 %1 天报警数</translation>
    </message>
    <message>
        <source>Alarms per %1 hours</source>
        <translation>每 %1 小时报警数</translation>
    </message>
    <message>
        <source> (most: %1)</source>
        <translation>（最多 %1）</translation>
    </message>
    <message>
        <source>%1 to %2: %3 alarms</source>
        <translation>%1 至 %2：%3 条报警</translation>
    </message>
    <message>
        <source>Alarm Statistics(&amp;C)…</source>
        <translation>报警统计(&amp;C)…</translation>
    </message>
    <message>
        <source>Alarm Statistics</source>
        <translation>报警统计</translation>
    </message>
    <message>
        <source>Alarm No.</source>
        <translation>报警编号</translation>
    </message>
    <message>
        <source>Alarm Content</source>
        <translation>报警内容</translation>
    </message>
    <message>
        <source>Count</source>
        <translation>次数</translation>
    </message>
    <message>
        <source>Share</source>
        <translation>占比</translation>
    </message>
    <message>
        <source>First</source>
        <translation>首次</translation>
    </message>
    <message>
        <source>Last</source>
        <translation>末次</translation>
    </message>
    <message>
        <source>Most in 10 min</source>
        <translation>10 分钟内最多</translation>
    </message>
    <message>
        <source>Copy(&amp;C)</source>
        <translation>复制(&amp;C)</translation>
    </message>
    <message>
        <source>%1 alarms of %2 numbers</source>
        <translation>共 %1 条报警，%2 个报警编号</translation>
    </message>
    <message>
        <source>No alarm file beside the records.</source>
        <translation>记录旁没有报警文件。</translation>
    </message>
</context>
<context>
    <name>CurveWindow</name>
    <message>
        <source>Database Curve Browser</source>
        <translation>数据库曲线浏览窗口</translation>
    </message>
    <message>
        <source>No Curve Data Available, Please Open The Database!</source>
        <translation>没有可用的曲线数据，请先打开数据库!</translation>
    </message>
    <message>
        <source>Characteristic</source>
        <translation>特性</translation>
    </message>
    <message>
        <source>Width:</source>
        <translation>宽 度:</translation>
    </message>
    <message>
        <source>Height:</source>
        <translation>高 度:</translation>
    </message>
    <message>
        <source>H.Grid:</source>
        <translation>横 格:</translation>
    </message>
    <message>
        <source>V.Grid:</source>
        <translation>纵 格:</translation>
    </message>
    <message>
        <source>Back.:</source>
        <translation>背景:</translation>
    </message>
    <message>
        <source>Grid:</source>
        <translation>格子:</translation>
    </message>
    <message>
        <source>Curve1</source>
        <translation>曲线1</translation>
    </message>
    <message>
        <source>Curve2</source>
        <translation>曲线2</translation>
    </message>
    <message>
        <source>Curve3</source>
        <translation>曲线3</translation>
    </message>
    <message>
        <source>Curve4</source>
        <translation>曲线4</translation>
    </message>
    <message>
        <source>Curve5</source>
        <translation>曲线5</translation>
    </message>
    <message>
        <source>Other</source>
        <translation>外观</translation>
    </message>
    <message>
        <source>X Axis</source>
        <translation>X 轴</translation>
    </message>
    <message>
        <source>Y Axis</source>
        <translation>Y 轴</translation>
    </message>
    <message>
        <source>Show:</source>
        <translation>显示:</translation>
    </message>
    <message>
        <source>Color:</source>
        <translation>颜色:</translation>
    </message>
    <message>
        <source>Line:</source>
        <translation>线型:</translation>
    </message>
    <message>
        <source>Buffe Position:</source>
        <translation>缓冲区资料位置:</translation>
    </message>
    <message>
        <source>Full LineVal.K:</source>
        <translation>显示满额度值 K:</translation>
    </message>
    <message>
        <source>Zero LineVal.K:</source>
        <translation>显示零额度值 K:</translation>
    </message>
    <message>
        <source>No Display Grid</source>
        <translation>不显示 网格</translation>
    </message>
    <message>
        <source>No Display X axis Inf</source>
        <translation>不显示 X 轴信息</translation>
    </message>
    <message>
        <source>No Display Y axis Annotation</source>
        <translation>不显示 Y 轴标注</translation>
    </message>
    <message>
        <source>No Display Current Coordinate Point Value</source>
        <translation>不显示 当前坐标点数值</translation>
    </message>
    <message>
        <source>Show Alarms</source>
        <translation>显示报警</translation>
    </message>
    <message>
        <source>Alarm %1</source>
        <translation>报警 %1</translation>
    </message>
    <message>
        <source>TimeFormat:</source>
        <translation>时间格式:</translation>
    </message>
    <message>
        <source>Inf.Color:</source>
        <translation>信息颜色:</translation>
    </message>
    <message>
        <source>Inf.Font:</source>
        <translation>信息字体:</translation>
    </message>
    <message>
        <source>Max Coor.:</source>
        <translation>最大坐标:</translation>
    </message>
    <message>
        <source>Min Coor.:</source>
        <translation>最小坐标:</translation>
    </message>
    <message>
        <source>Decimal:</source>
        <translation>小数位数:</translation>
    </message>
    <message>
        <source>MarkColor:</source>
        <translation>标注颜色:</translation>
    </message>
    <message>
        <source>Mark Font:</source>
        <translation>标注字体:</translation>
    </message>
    <message>
        <source>Mark Num:</source>
        <translation>标注个数:</translation>
    </message>
    <message>
        <source>Print Range Settings</source>
        <translation>打印范围设置</translation>
    </message>
    <message>
        <source>StartID:</source>
        <translation>起始ID:</translation>
    </message>
    <message>
        <source>EndID:</source>
        <translation>结束ID:</translation>
    </message>
    <message>
        <source>Print Pages:</source>
        <translation>需要打印页数:</translation>
    </message>
    <message>
        <source>PrinterSet</source>
        <translation>打印机设置</translation>
    </message>
    <message>
        <source>PrintStart</source>
        <translation>打印开始</translation>
    </message>
    <message>
        <source>Not use</source>
        <translation>不用</translation>
    </message>
    <message>
        <source>Broken Line</source>
        <translation>折线</translation>
    </message>
    <message>
        <source>Dot</source>
        <translation>点</translation>
    </message>
    <message>
        <source>Column Line</source>
        <translation>柱条线</translation>
    </message>
    <message>
        <source>The printer could not start a print job!</source>
        <translation>打印机无法开始打印作业！</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>%1 / Page Dat Point(%2)</source>
        <translation>%1 / 每页打印数据点(%2)</translation>
    </message>
    <message>
        <source>Width:</source>
        <comment>line</comment>
        <translation>线宽:</translation>
    </message>
    <message>
        <source>ID %1  %2</source>
        <translation>编号 %1  %2</translation>
    </message>
    <message>
        <source>Buffer%1: %2</source>
        <translation>缓冲区%1: %2</translation>
    </message>
    <message>
        <source>A: ID %1  B: ID %2</source>
        <translation>A: 编号 %1  B: 编号 %2</translation>
    </message>
    <message>
        <source>B − A time: %1</source>
        <translation>B − A 时间: %1</translation>
    </message>
    <message>
        <source>Buffer%1 B − A: %2</source>
        <translation>缓冲区%1 B − A: %2</translation>
    </message>
    <message>
        <source>A: ID %1 (click again for B)</source>
        <translation>A: 编号 %1 (再单击设置 B)</translation>
    </message>
    <message>
        <source>Printer Setup</source>
        <translation>打印机设置</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>No data is available for export!</source>
        <translation>没有可用数据导出 ！</translation>
    </message>
    <message>
        <source>No Excel was installed in the system. Please install it before using this function！</source>
        <translation>未发现系统中安装了Microsoft Excel，在使用该功能前，请先将其安装！</translation>
    </message>
    <message>
        <source>exported failure occurred. Please try again later！</source>
        <translation>数据导出到Excel时，发生意外失败。请稍候再试！</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>HMI Database Browser </source>
        <translation>HMI 数据库浏览器 </translation>
    </message>
    <message>
        <source>Open</source>
        <translation>打开</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>清除</translation>
    </message>
    <message>
        <source>ExportXLS</source>
        <translation>导出Excel</translation>
    </message>
    <message>
        <source>OutCurve</source>
        <translation>输出曲线</translation>
    </message>
    <message>
        <source>Language Selection(&amp;L)</source>
        <translation>语言选择(&amp;L)</translation>
    </message>
    <message>
        <source>Dynamic Load(&amp;D)</source>
        <translation>动态加载(&amp;D)</translation>
    </message>
    <message>
        <source>Exit(&amp;E)</source>
        <translation>退出(&amp;E)</translation>
    </message>
    <message>
        <source>Sum Data:%1</source>
        <translation>数据条数:%1</translation>
    </message>
    <message>
        <source>Reco#%1</source>
        <translation>记录#%1</translation>
    </message>
    <message>
        <source>&lt; %1 &gt; No Data！</source>
        <translation>&lt; %1 &gt; 没有数据！</translation>
    </message>
    <message>
        <source>&lt; %1 &gt; No Create！</source>
        <translation>&lt; %1 &gt; 没有创建！</translation>
    </message>
    <message>
        <source>Data ID</source>
        <translation>数据ID</translation>
    </message>
    <message>
        <source>Alarm Time</source>
        <translation>报警时间</translation>
    </message>
    <message>
        <source>Alarm No.</source>
        <translation>报警编号</translation>
    </message>
    <message>
        <source>Alarm Content</source>
        <translation>报警内容</translation>
    </message>
    <message>
        <source>Record Date</source>
        <translation>记录日期</translation>
    </message>
    <message>
        <source>Record Time</source>
        <translation>记录时间</translation>
    </message>
    <message>
        <source>Data(%1)</source>
        <translation>数据(%1)</translation>
    </message>
    <message>
        <source>File too large: %1 records need about %2 GB of memory</source>
        <translation>文件太大：%1 条记录需要约 %2 GB 内存</translation>
    </message>
    <message>
        <source> (file size %1)</source>
        <translation>（文件大小 %1）</translation>
    </message>
    <message>
        <source>Recent Files(&amp;R)</source>
        <translation>最近打开的文件(&amp;R)</translation>
    </message>
    <message>
        <source>Clear List</source>
        <translation>清除列表</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>所有文件 (*)</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>复制</translation>
    </message>
    <message>
        <source>Find, or #ID</source>
        <translation>查找，或 #ID</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>下一个</translation>
    </message>
    <message>
        <source>Previous</source>
        <translation>上一个</translation>
    </message>
    <message>
        <source>Save As(&amp;S)…</source>
        <translation>另存为(&amp;S)…</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>另存为</translation>
    </message>
    <message>
        <source>Excel Workbook (*.xlsx)</source>
        <translation>Excel 工作簿 (*.xlsx)</translation>
    </message>
    <message>
        <source>Save failed: </source>
        <translation>保存失败：</translation>
    </message>
    <message>
        <source>Reload(&amp;O)</source>
        <translation>重新加载(&amp;O)</translation>
    </message>
    <message>
        <source>Follow File(&amp;F)</source>
        <translation>跟随文件(&amp;F)</translation>
    </message>
    <message>
        <source>Rows written: </source>
        <translation>已写入行数：</translation>
    </message>
    <message>
        <source>Rows read: </source>
        <translation>已读取行数：</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>The file is gone; the rows shown are the last ones read. Following resumes when it returns.</source>
        <translation>文件已不在，显示的是最后读到的记录；文件回来后继续跟随。</translation>
    </message>
    <message>
        <source>The file is gone; the rows shown are the last ones read. Reload (F5) once it is back.</source>
        <translation>文件已不在，显示的是最后读到的记录；文件回来后按 F5 重新加载。</translation>
    </message>
</context>
<context>
    <name>TagSheet</name>
    <message>
        <source>cannot read the tag sheet</source>
        <translation>无法读取位号表</translation>
    </message>
    <message>
        <source>the tag sheet is too large</source>
        <translation>位号表太大</translation>
    </message>
    <message>
        <source>not UTF-8 text</source>
        <translation>不是 UTF-8 文本</translation>
    </message>
    <message>
        <source>broken quotes</source>
        <translation>引号不完整</translation>
    </message>
    <message>
        <source>the title row must be buffer,word,name,unit,type,gain,offset,decimals,texts</source>
        <translation>标题行必须是 buffer,word,name,unit,type,gain,offset,decimals,texts</translation>
    </message>
    <message>
        <source>a line needs nine fields</source>
        <translation>每行需要九个字段</translation>
    </message>
    <message>
        <source>the buffer must be 1 to 12 or *</source>
        <translation>记录号必须是 1 到 12 或 *</translation>
    </message>
    <message>
        <source>the word must be 0 to 9, and 0 to 8 for a 32-bit type</source>
        <translation>字必须是 0 到 9，32 位类型为 0 到 8</translation>
    </message>
    <message>
        <source>the name is empty</source>
        <translation>名称为空</translation>
    </message>
    <message>
        <source>unknown type (u16, s16, s32, hex32, f32, enum or bits)</source>
        <translation>未知类型 (u16、s16、s32、hex32、f32、enum 或 bits)</translation>
    </message>
    <message>
        <source>not a number</source>
        <translation>不是数字</translation>
    </message>
    <message>
        <source>the decimals must be 0 to 15</source>
        <translation>小数位数必须是 0 到 15</translation>
    </message>
    <message>
        <source>gain, offset and decimals are only for u16, s16, s32 and f32</source>
        <translation>增益、偏移和小数位数只用于 u16、s16、s32 和 f32</translation>
    </message>
    <message>
        <source>broken texts: value=text;value=text, each value once (0 to 65535 for enum, 0 to 15 for bits)</source>
        <translation>文本有误：值=文本;值=文本，每个值一次 (enum 为 0 到 65535，bits 为 0 到 15)</translation>
    </message>
    <message>
        <source>texts are only for enum and bits</source>
        <translation>文本只用于 enum 和 bits</translation>
    </message>
    <message>
        <source>Line %1, column %2 (%3): </source>
        <translation>第 %1 行，第 %2 列 (%3)：</translation>
    </message>
    <message>
        <source>Line %1: </source>
        <translation>第 %1 行：</translation>
    </message>
    <message>
        <source>Tag Sheet(&amp;G)…</source>
        <translation>位号表(&amp;G)…</translation>
    </message>
    <message>
        <source>No Tag Sheet(&amp;N)</source>
        <translation>不用位号表(&amp;N)</translation>
    </message>
    <message>
        <source>Open Tag Sheet</source>
        <translation>打开位号表</translation>
    </message>
    <message>
        <source>Tag Sheet (*.csv)</source>
        <translation>位号表 (*.csv)</translation>
    </message>
    <message>
        <source>Tag sheet: %1</source>
        <translation>位号表: %1</translation>
    </message>
    <message>
        <source>Count: %1   Min: %2   Max: %3   Mean: %4   Sum: %5</source>
        <translation>计数: %1   最小: %2   最大: %3   平均: %4   总和: %5</translation>
    </message>
    <message>
        <source>Edit Tag Sheet(&amp;I)…</source>
        <translation>编辑位号表(&amp;I)…</translation>
    </message>
    <message>
        <source>Tag Sheet Editor</source>
        <translation>位号表编辑器</translation>
    </message>
    <message>
        <source>Open…</source>
        <translation>打开…</translation>
    </message>
    <message>
        <source>Add Row</source>
        <translation>添加行</translation>
    </message>
    <message>
        <source>Remove Row</source>
        <translation>删除行</translation>
    </message>
    <message>
        <source>Move Up</source>
        <translation>上移</translation>
    </message>
    <message>
        <source>Move Down</source>
        <translation>下移</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Save As…</source>
        <translation>另存为…</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Save Tag Sheet</source>
        <translation>保存位号表</translation>
    </message>
    <message>
        <source>The tag sheet has changed. Save it?</source>
        <translation>位号表已修改，是否保存？</translation>
    </message>
    <message>
        <source>Discard</source>
        <translation>不保存</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Correct the marked cells before saving. %1</source>
        <translation>保存前请改正标出的单元格。%1</translation>
    </message>
    <message>
        <source>The tag sheet could not be saved: %1</source>
        <translation>位号表无法保存：%1</translation>
    </message>
</context>
<context>
    <name>TimeRangeDialog</name>
    <message>
        <source>Time Range(&amp;T)…</source>
        <translation>时间范围(&amp;T)…</translation>
    </message>
    <message>
        <source>Alarm List(&amp;A)…</source>
        <translation>报警列表(&amp;A)…</translation>
    </message>
    <message>
        <source>Range %1/%2</source>
        <translation>范围 %1/%2</translation>
    </message>
    <message>
        <source>%1 of %2 records in the time range</source>
        <translation>时间范围内 %1 条，共 %2 条</translation>
    </message>
    <message>
        <source> (time range %1 … %2)</source>
        <translation>（时间范围 %1 … %2）</translation>
    </message>
    <message>
        <source>All</source>
        <translation>全部</translation>
    </message>
    <message>
        <source>Time Range</source>
        <translation>时间范围</translation>
    </message>
    <message>
        <source>From(&amp;F):</source>
        <translation>从(&amp;F):</translation>
    </message>
    <message>
        <source>Until(&amp;U):</source>
        <translation>到(&amp;U):</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Write a time as 2013-05-07 08:10:00, a date alone, or leave it empty.</source>
        <translation>时间写作 2013-05-07 08:10:00，或只写日期，或留空。</translation>
    </message>
</context>
<context>
    <name>AlarmListWindow</name>
    <message>
        <source>Only alarms in view</source>
        <translation>只显示视图内报警</translation>
    </message>
    <message>
        <source>Alarm List</source>
        <translation>报警列表</translation>
    </message>
    <message>
        <source>Alarm Time</source>
        <translation>报警时间</translation>
    </message>
    <message>
        <source>Alarm No.</source>
        <translation>报警编号</translation>
    </message>
    <message>
        <source>Alarm Content</source>
        <translation>报警内容</translation>
    </message>
    <message>
        <source>Other Alarm File…</source>
        <translation>其他报警文件…</translation>
    </message>
    <message>
        <source>No alarm file beside the records.</source>
        <translation>记录旁没有报警文件。</translation>
    </message>
</context>
</TS>
