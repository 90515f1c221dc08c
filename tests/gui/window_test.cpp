// The main window as a user meets it: every row of the window table on the
// live widgets, stacking, tag lookup, the log box, the set* bounds, the
// window's outer size, Esc, dragging and the fatal report.
#include "harness.h"

#include "app/exit_routines.h"
#include "app/startup.h"
#include "platform/platform.h"
#include "platform/qt/qt_log_view.h"
#include "platform/qt/qt_text.h"
#include "window/control_model.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using K = ControlKind;
using A = Align;

// The prize rules of 标签3, line by line with the empty lines between.
const Text PrizeRules = "中奖说明:\r\n\r\n一等桨500W（6+1）\r\n\r\n二等桨50W（6+0）\r\n\r\n三等桨3000（5+1）\r\n\r\n"
                        "四等桨200（5+0/4+1）\r\n\r\n五等桨10（4+0/3+1)\r\n\r\n六等桨5（2+1/1+1/0+1）";

// The window table as the user sees it, written out here on its own so that
// a wrong row in the program's table cannot hide behind the widgets built
// from it.
struct Row {
    int order;
    const char* name;
    ControlKind kind;
    ControlId container;
    int left, top, width, height;
    const char* tag;
    Text text;
    int fontPixels; // 0: the default font
    std::uint32_t color;
    Align align;
    bool readOnly;
    bool multiLine;
};

// clang-format off
const std::vector<Row> rows{
    {1, "标签1", K::Label, 分组框1, 390, 10, 65, 30, "", "勾选后生效", 0, Black, A::Left, false, false},
    {2, "选择框5", K::TickBox, 分组框1, 415, 222, 35, 35, "", " ", 20, Black, A::Left, false, false},
    {3, "选择框4", K::TickBox, 分组框1, 415, 177, 35, 35, "", " ", 20, Black, A::Left, false, false},
    {4, "选择框3", K::TickBox, 分组框1, 415, 132, 35, 35, "", " ", 20, Black, A::Left, false, false},
    {5, "选择框2", K::TickBox, 分组框1, 415, 87, 35, 35, "", " ", 20, Black, A::Left, false, false},
    {6, "选择框1", K::TickBox, 分组框1, 415, 42, 35, 35, "", " ", 20, Black, A::Left, false, false},
    {7, "编辑框4预选7", K::EditBox, 分组框1, 345, 177, 50, 35, "37", "", 35, Blue, A::Center, false, false},
    {8, "编辑框5预选7", K::EditBox, 分组框1, 345, 222, 50, 35, "47", "", 35, Blue, A::Center, false, false},
    {9, "编辑框4预选6", K::EditBox, 分组框1, 288, 177, 50, 35, "36", "", 35, Red, A::Center, false, false},
    {10, "编辑框5预选6", K::EditBox, 分组框1, 288, 222, 50, 35, "46", "", 35, Red, A::Center, false, false},
    {11, "编辑框4预选5", K::EditBox, 分组框1, 232, 177, 50, 35, "35", "", 35, Red, A::Center, false, false},
    {12, "编辑框5预选5", K::EditBox, 分组框1, 232, 222, 50, 35, "45", "", 35, Red, A::Center, false, false},
    {13, "编辑框4预选4", K::EditBox, 分组框1, 176, 177, 50, 35, "34", "", 35, Red, A::Center, false, false},
    {14, "编辑框5预选4", K::EditBox, 分组框1, 176, 222, 50, 35, "44", "", 35, Red, A::Center, false, false},
    {15, "编辑框4预选3", K::EditBox, 分组框1, 120, 177, 50, 35, "33", "", 35, Red, A::Center, false, false},
    {16, "编辑框5预选3", K::EditBox, 分组框1, 120, 222, 50, 35, "43", "", 35, Red, A::Center, false, false},
    {17, "编辑框4预选2", K::EditBox, 分组框1, 64, 177, 50, 35, "32", "", 35, Red, A::Center, false, false},
    {18, "编辑框5预选2", K::EditBox, 分组框1, 64, 222, 50, 35, "42", "", 35, Red, A::Center, false, false},
    {19, "编辑框5预选1", K::EditBox, 分组框1, 8, 222, 50, 35, "41", "", 35, Red, A::Center, false, false},
    {20, "编辑框4预选1", K::EditBox, 分组框1, 8, 177, 50, 35, "31", "", 35, Red, A::Center, false, false},
    {21, "编辑框3预选7", K::EditBox, 分组框1, 345, 132, 50, 35, "27", "", 35, Blue, A::Center, false, false},
    {22, "编辑框3预选6", K::EditBox, 分组框1, 288, 132, 50, 35, "26", "", 35, Red, A::Center, false, false},
    {23, "编辑框3预选5", K::EditBox, 分组框1, 232, 132, 50, 35, "25", "", 35, Red, A::Center, false, false},
    {24, "编辑框3预选4", K::EditBox, 分组框1, 176, 132, 50, 35, "24", "", 35, Red, A::Center, false, false},
    {25, "编辑框3预选3", K::EditBox, 分组框1, 120, 132, 50, 35, "23", "", 35, Red, A::Center, false, false},
    {26, "编辑框3预选2", K::EditBox, 分组框1, 64, 132, 50, 35, "22", "", 35, Red, A::Center, false, false},
    {27, "编辑框3预选1", K::EditBox, 分组框1, 8, 132, 50, 35, "21", "", 35, Red, A::Center, false, false},
    {28, "编辑框2预选7", K::EditBox, 分组框1, 345, 87, 50, 35, "17", "", 35, Blue, A::Center, false, false},
    {29, "编辑框2预选6", K::EditBox, 分组框1, 288, 87, 50, 35, "16", "", 35, Red, A::Center, false, false},
    {30, "编辑框2预选5", K::EditBox, 分组框1, 232, 87, 50, 35, "15", "", 35, Red, A::Center, false, false},
    {31, "编辑框2预选4", K::EditBox, 分组框1, 176, 87, 50, 35, "14", "", 35, Red, A::Center, false, false},
    {32, "编辑框2预选3", K::EditBox, 分组框1, 120, 87, 50, 35, "13", "", 35, Red, A::Center, false, false},
    {33, "编辑框2预选2", K::EditBox, 分组框1, 64, 87, 50, 35, "12", "", 35, Red, A::Center, false, false},
    {34, "编辑框2预选1", K::EditBox, 分组框1, 8, 87, 50, 35, "11", "", 35, Red, A::Center, false, false},
    {35, "编辑框1中奖1", K::EditBox, 分组框2, 8, 20, 50, 35, "101", "", 35, Red, A::Center, true, false},
    {36, "编辑框1中奖2", K::EditBox, 分组框2, 64, 20, 50, 35, "102", "", 35, Red, A::Center, true, false},
    {37, "编辑框1中奖3", K::EditBox, 分组框2, 120, 20, 50, 35, "103", "", 35, Red, A::Center, true, false},
    {38, "编辑框1中奖4", K::EditBox, 分组框2, 176, 20, 50, 35, "104", "", 35, Red, A::Center, true, false},
    {39, "编辑框1中奖5", K::EditBox, 分组框2, 232, 20, 50, 35, "105", "", 35, Red, A::Center, true, false},
    {40, "编辑框1中奖7", K::EditBox, 分组框2, 345, 20, 50, 35, "107", "", 35, Blue, A::Center, true, false},
    {41, "编辑框1中奖6", K::EditBox, 分组框2, 288, 20, 50, 35, "106", "", 35, Red, A::Center, true, false},
    {42, "分组框2", K::GroupBox, WindowSelf, 10, 405, 460, 65, "", "中桨号码", 0, Black, A::Left, false, false},
    {43, "按钮1随机生成", K::PushButton, 分组框1, 64, 10, 276, 29, "", "随机生成  可以手动填写", 16, Black, A::Left, false, false},
    {44, "编辑框1预选7", K::EditBox, 分组框1, 345, 42, 50, 35, "7", "", 35, Blue, A::Center, false, false},
    {45, "编辑框1预选6", K::EditBox, 分组框1, 288, 42, 50, 35, "6", "", 35, Red, A::Center, false, false},
    {46, "编辑框1预选5", K::EditBox, 分组框1, 232, 42, 50, 35, "5", "", 35, Red, A::Center, false, false},
    {47, "编辑框1预选4", K::EditBox, 分组框1, 176, 42, 50, 35, "4", "", 35, Red, A::Center, false, false},
    {48, "编辑框1预选3", K::EditBox, 分组框1, 120, 42, 50, 35, "3", "", 35, Red, A::Center, false, false},
    {49, "编辑框1预选2", K::EditBox, 分组框1, 64, 42, 50, 35, "2", "", 35, Red, A::Center, false, false},
    {50, "编辑框1预选1", K::EditBox, 分组框1, 8, 42, 50, 35, "1", "", 35, Red, A::Center, false, false},
    {51, "分组框1", K::GroupBox, WindowSelf, 10, 135, 460, 270, "", "预选号码", 0, Black, A::Left, false, false},
    {52, "标签1六等", K::Label, WindowSelf, 250, 662, 220, 30, "", "", 16, Black, A::Left, false, false},
    {53, "标签1五等", K::Label, WindowSelf, 250, 630, 220, 30, "", "", 16, Black, A::Left, false, false},
    {54, "标签1四等", K::Label, WindowSelf, 250, 598, 220, 30, "", "", 16, Black, A::Left, false, false},
    {55, "标签1三等", K::Label, WindowSelf, 250, 566, 220, 30, "", "", 16, Black, A::Left, false, false},
    {56, "标签1二等", K::Label, WindowSelf, 250, 534, 220, 30, "", "", 16, Black, A::Left, false, false},
    {57, "标签1一等", K::Label, WindowSelf, 250, 502, 220, 30, "", "", 16, Black, A::Left, false, false},
    {58, "按钮1停止", K::PushButton, WindowSelf, 8, 70, 100, 50, "", "停止", 29, Black, A::Left, false, false},
    {59, "外形框2", K::Panel, WindowSelf, 552, 328, 400, 240, "", "", 0, Black, A::Left, false, false},
    {60, "按钮6", K::PushButton, 外形框2, 100, 80, 200, 50, "", "打开网盘下载", 29, Black, A::Left, false, false},
    {61, "编辑框1开奖", K::EditBox, WindowSelf, 246, 8, 224, 35, "1", "100", 35, Black, A::Left, false, false},
    {62, "标签4", K::Label, WindowSelf, 120, 8, 192, 35, "", "设置开奖注数", 20, Black, A::Left, false, false},
    {63, "标签3", K::Label, WindowSelf, 8, 477, 300, 210, "", PrizeRules, 16, Black, A::Left, false, false},
    {64, "透明标签1中奖金额", K::TransparentLabel, WindowSelf, 120, 110, 300, 30, "", "", 16, Black, A::Left, false, false},
    {65, "透明标签1消费金额", K::TransparentLabel, WindowSelf, 120, 80, 300, 30, "", "", 16, Black, A::Left, false, false},
    {66, "透明标签1期数", K::TransparentLabel, WindowSelf, 120, 50, 300, 30, "", "", 16, Black, A::Left, false, false},
    {67, "按钮1开奖", K::PushButton, WindowSelf, 8, 8, 100, 50, "", "开桨", 29, Black, A::Left, false, false},
    {68, "编辑框1输出", K::EditBox, WindowSelf, 475, 8, 512, 680, "", "", 16, Black, A::Left, true, true},
};
// clang-format on

// A single-line box is at least one Chinese character of its font plus two
// 2-pixel edges tall.
int shownHeight(const Row& row)
{
    if (row.kind == K::EditBox && !row.multiLine)
        return std::max(row.height, row.fontPixels + 4);
    return row.height;
}

bool isClass(QWidget* widget, const QMetaObject& meta)
{
    return widget->metaObject() == &meta || widget->metaObject()->superClass() == &meta;
}

bool ofKind(QWidget* widget, ControlKind kind, bool multiLine)
{
    switch (kind) {
    case K::EditBox:
        return multiLine ? dynamic_cast<LogView*>(widget) != nullptr : qobject_cast<QLineEdit*>(widget) != nullptr;
    case K::Label:
        return isClass(widget, QLabel::staticMetaObject) && widget->autoFillBackground();
    case K::TransparentLabel:
        return isClass(widget, QLabel::staticMetaObject) && !widget->autoFillBackground();
    case K::TickBox:
        return qobject_cast<QCheckBox*>(widget) != nullptr;
    case K::GroupBox:
        return qobject_cast<QGroupBox*>(widget) != nullptr;
    case K::Panel:
        return widget->metaObject() == &QFrame::staticMetaObject;
    case K::PushButton:
        return qobject_cast<QPushButton*>(widget) != nullptr;
    case K::Window:
        return widget->isWindow();
    }
    return false;
}

LogView* logBox()
{
    return dynamic_cast<LogView*>(harness::widget(编辑框1输出));
}

// The direct child of container that lies on top at point (container's
// coordinates), or null where the container shows through.
QWidget* topmostAt(QWidget* container, QPoint point)
{
    QWidget* hit = container->childAt(point);
    while (hit && hit->parentWidget() != container)
        hit = hit->parentWidget();
    return hit;
}

QRect placeOf(ControlId id)
{
    return harness::widget(id)->geometry();
}

// Every point where two visible controls of one container overlap shows the
// one earlier in the table. Counts the overlaps it looked at.
void checkStackingIn(ControlId container, int* overlaps = nullptr)
{
    std::vector<ControlId> children;
    for (int i = 1; i < ControlCount; ++i) {
        const auto id = static_cast<ControlId>(i);
        if (controlSpec(id).container == container && !harness::widget(id)->isHidden())
            children.push_back(id);
    }
    for (std::size_t a = 0; a < children.size(); ++a) {
        for (std::size_t b = a + 1; b < children.size(); ++b) {
            const QRect overlap = placeOf(children[a]).intersected(placeOf(children[b]));
            if (overlap.isEmpty())
                continue;
            if (overlaps)
                ++*overlaps;
            const QPoint point = overlap.center();
            ControlId expected = ControlCount;
            for (const ControlId id : children)
                if (placeOf(id).contains(point))
                    expected = std::min(expected, id);
            QWidget* top = topmostAt(harness::widget(container), point);
            QVERIFY2(top == harness::widget(expected),
                     qPrintable(QStringLiteral("at %1,%2 of %3: %4 and %5 overlap")
                                    .arg(point.x())
                                    .arg(point.y())
                                    .arg(toQString(controlSpec(container).name), toQString(controlSpec(children[a]).name),
                                         toQString(controlSpec(children[b]).name))));
        }
    }
}

void printExitRoutine()
{
    std::printf("EXIT-ROUTINE-RAN\n");
    std::fflush(stdout);
}

// What the parent reads from a child that ended through the fatal report.
struct Report {
    QByteArray title, icon, buttons, text;
    int count = 0;
};

Report reportIn(const QByteArray& output)
{
    Report report;
    report.count = static_cast<int>(output.count("TITLE:"));
    const auto field = [&](const char* name, const char* end) {
        const qsizetype from = output.indexOf(name);
        if (from < 0)
            return QByteArray();
        const qsizetype start = from + qsizetype(qstrlen(name));
        return output.mid(start, output.indexOf(end, start) - start);
    };
    report.title = field("TITLE:", "\n");
    report.icon = field("ICON:", "\n");
    report.buttons = field("BUTTONS:", "\n");
    report.text = field("TEXT:", "\nEND\n");
    return report;
}

const QByteArray NotFoundReport = "运行时出错!\r\n\r\n错误信息：未找到指定标记的组件\r\n";
const QByteArray KindReport = "运行时出错!\r\n\r\n错误代码：5\r\n\r\n错误信息：数据或数组类型不匹配\r\n";

// A child that opens the window, adds an exit routine that must not run,
// watches for the report, then does something fatal.
void fatalChild(void (*fatal)())
{
    harness::openMainWindow();
    addExitRoutine(printExitRoutine);
    harness::answerFatalReport();
    QTimer::singleShot(0, fatal);
    QTimer::singleShot(20000, [] {
        std::printf("STILL-RUNNING\n");
        platform::endProcess(3);
    });
    platform::runMessageLoop();
    std::printf("LOOP-ENDED\n");
    platform::endProcess(4);
}

void failOnWorker()
{
    findByTag(108);
}

} // namespace

class WindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        harness::openMainWindow();
    }

    void everyTableRowStandsOnTheScreen()
    {
        QCOMPARE(int(rows.size()), 68);
        QCOMPARE(int(ControlCount), 69);
        for (const Row& row : rows) {
            const auto id = static_cast<ControlId>(row.order);
            const ControlSpec& entry = controlSpec(id);
            const QString name = toQString(row.name);
            QWidget* widget = harness::widget(id);
            QVERIFY2(widget, qPrintable(name));
            QCOMPARE(Text(entry.name), Text(row.name));
            QVERIFY2(entry.kind == row.kind && ofKind(widget, row.kind, row.multiLine), qPrintable(name));
            QVERIFY2(widget->parentWidget() == harness::widget(row.container), qPrintable(name));
            QCOMPARE(widget->geometry(), QRect(row.left, row.top, row.width, shownHeight(row)));

            if (row.fontPixels > 0)
                QCOMPARE(widget->font().pixelSize(), row.fontPixels);
            else
                QCOMPARE(widget->font(), QApplication::font());
            QCOMPARE(widget->font().weight(), QFont::Normal);

            // The program's own view of the control.
            if (entry.kind == K::EditBox && entry.container == 分组框1) {
                QVERIFY2(!readText(id).empty(), qPrintable(name)); // filled at start-up
            } else {
                QVERIFY2(readText(id) == row.text, qPrintable(name));
            }
            if (row.tag[0] != '\0') {
                const TagMatch found = findByTag(textToInt(row.tag));
                QVERIFY2(found.control.id == (id == 编辑框1开奖 ? 编辑框1预选1 : id), qPrintable(name));
                QVERIFY(found.kind == K::EditBox);
            }

            QCOMPARE(!widget->isHidden(), row.order != 外形框2);
            const bool tabStop = row.kind == K::EditBox || row.kind == K::TickBox || row.kind == K::PushButton;
            QCOMPARE(widget->focusPolicy(), tabStop ? Qt::StrongFocus : Qt::NoFocus);

            if (auto* line = qobject_cast<QLineEdit*>(widget)) {
                QCOMPARE(line->palette().color(QPalette::Text), QColor(QRgb(row.color)));
                QCOMPARE(line->palette().color(QPalette::Base), QColor(Qt::white));
                QCOMPARE(line->alignment() & Qt::AlignHorizontal_Mask,
                         row.align == A::Center ? Qt::AlignHCenter : Qt::AlignLeft);
                QCOMPARE(line->isReadOnly(), row.readOnly);
                // Whatever it has selected shows only while it has the focus.
                QCOMPARE(line->palette().color(QPalette::Inactive, QPalette::Highlight), QColor(Qt::white));
                QCOMPARE(toQString(readText(id)), line->text());
            } else if (auto* log = dynamic_cast<LogView*>(widget)) {
                QCOMPARE(log->palette().color(QPalette::Text), QColor(Qt::black));
                // Read-only: typing, pasting and taking back change nothing.
                const Text before = readText(id);
                QTest::keyClicks(log, QStringLiteral("x\r"));
                QTest::keySequence(log, QKeySequence::Paste);
                QTest::keySequence(log, QKeySequence::Undo);
                QCOMPARE(readText(id), before);
                QCOMPARE(log->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
            } else if (auto* label = qobject_cast<QLabel*>(widget)) {
                QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::black));
                const bool wraps = id == 标签3;
                QCOMPARE(label->wordWrap(), wraps);
                QCOMPARE(label->alignment(), wraps ? (Qt::AlignLeft | Qt::AlignTop) : (Qt::AlignLeft | Qt::AlignVCenter));
                QCOMPARE(label->text(), toDisplayLines(row.text));
                if (row.kind == K::Label)
                    QCOMPARE(label->palette().color(label->backgroundRole()), QColor(Qt::white));
            } else if (auto* tick = qobject_cast<QCheckBox*>(widget)) {
                QVERIFY2(tick->isChecked(), qPrintable(name));
                QCOMPARE(readTicked(id), 1);
                QCOMPARE(tick->palette().color(tick->backgroundRole()), QColor(Qt::white));
                QVERIFY(tick->autoFillBackground());
            } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
                QCOMPARE(button->text(), toQString(row.text));
            } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
                QCOMPARE(group->title(), toQString(row.text));
            }
        }
        // Untagged controls read as 0: the first of them is the window.
        QVERIFY(findByTag(0).control.id == WindowSelf);
        QVERIFY(findByTag(0).kind == K::Window);
    }

    void theWindowItself()
    {
        QWidget* window = harness::widget(WindowSelf);
        QCOMPARE(window->windowTitle(), QStringLiteral("Tavrelle"));
        QCOMPARE(window->frameGeometry(), QRect((1280 - 1000) / 2, (1024 - 720) / 2, 1000, 720));
        QCOMPARE(window->minimumSize(), window->maximumSize()); // the user cannot resize it
        const Qt::WindowFlags flags = window->windowFlags();
        QVERIFY(flags & Qt::WindowMinimizeButtonHint);
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QCOMPARE(window->palette().color(QPalette::Window), QColor(Qt::white));
    }

    void lookAsTheUserSeesIt()
    {
        // Grabbed pixels: white where the table says white, the panel's
        // outline included, and a 35-pixel line fits in a number box.
        const QImage tick = harness::widget(选择框1)->grab().toImage();
        QCOMPARE(QColor(tick.pixel(tick.width() - 2, tick.height() - 2)), QColor(Qt::white));
        const QImage group = harness::widget(分组框1)->grab().toImage();
        QCOMPARE(QColor(group.pixel(200, 266)), QColor(Qt::white));
        QCOMPARE(QColor(group.pixel(365, 30)), QColor(Qt::white));
        setVisible(外形框2, true);
        const QImage panel = harness::widget(外形框2)->grab().toImage();
        setVisible(外形框2, false);
        QCOMPARE(QColor(panel.pixel(0, 0)), QColor(Qt::white));
        QCOMPARE(QColor(panel.pixel(399, 239)), QColor(Qt::white));
        QCOMPARE(QColor(panel.pixel(5, 5)), QColor(Qt::white));

        auto* box = qobject_cast<QLineEdit*>(harness::widget(编辑框1预选1));
        QVERIFY(box->height() - 2 >= box->font().pixelSize());
        // The last line of the prize rules is drawn inside its label.
        const QImage rules = harness::widget(标签3)->grab().toImage();
        bool inkNearBottom = false;
        for (int y = rules.height() - 30; y < rules.height(); ++y)
            for (int x = 0; x < 100; ++x)
                inkNearBottom = inkNearBottom || QColor(rules.pixel(x, y)).lightness() < 128;
        QVERIFY2(inkNearBottom, "the seventh line of the prize rules shows");
    }

    void earlierInTheTableLiesOnTop()
    {
        // Among the window's controls, inside both group boxes and, once
        // shown, over the panel's area.
        int overlaps = 0;
        checkStackingIn(WindowSelf, &overlaps);
        QVERIFY(overlaps >= 7); // level labels over 标签3, 分组框1 over a transparent label, ...
        checkStackingIn(分组框1);
        checkStackingIn(分组框2);
        QWidget* window = harness::widget(WindowSelf);

        // Inside 分组框1 nothing overlaps as the table places it: moved
        // there, the hint label lies over group 1's blue box and tick box,
        // and group 2's first box over group 1's, made after it.
        QWidget* group = harness::widget(分组框1);
        setTop(标签1, 30);
        setTop(编辑框1预选1, 70);
        int inGroup = 0;
        checkStackingIn(分组框1, &inGroup);
        QVERIFY(inGroup >= 3);
        QVERIFY(topmostAt(group, QPoint(392, 50)) == harness::widget(标签1));
        QVERIFY(topmostAt(group, QPoint(430, 50)) == harness::widget(标签1));
        QVERIFY(topmostAt(group, QPoint(20, 100)) == harness::widget(编辑框2预选1));
        setTop(标签1, 10);
        setTop(编辑框1预选1, 42);
        QCOMPARE(harness::widget(编辑框1预选1)->y(), 42);
        const QPoint inPanel = placeOf(外形框2).topLeft() + QPoint(20, 20);
        QVERIFY(topmostAt(window, inPanel) == harness::widget(编辑框1输出));
        setVisible(外形框2, true);
        QVERIFY(harness::widget(按钮6)->isVisible()); // shows with its panel
        QVERIFY(topmostAt(window, inPanel) == harness::widget(外形框2));
        checkStackingIn(WindowSelf);

        // Moved over the left column, the panel slides under the controls
        // that stand before it in the table and over those after it.
        setLeft(外形框2, 100);
        checkStackingIn(WindowSelf);
        QVERIFY(topmostAt(window, QPoint(120, 350)) == harness::widget(分组框1));
        QVERIFY(topmostAt(window, QPoint(120, 440)) == harness::widget(分组框2));
        QVERIFY(topmostAt(window, QPoint(270, 520)) == harness::widget(标签1一等));
        QVERIFY(topmostAt(window, QPoint(120, 500)) == harness::widget(外形框2)); // over 标签3
        setLeft(外形框2, 552);
        setVisible(外形框2, false);
        setVisible(外形框2, true);
        checkStackingIn(WindowSelf);
        setVisible(外形框2, false);
        QVERIFY(!harness::widget(按钮6)->isVisible());
        QVERIFY(topmostAt(window, inPanel) == harness::widget(编辑框1输出));
    }

    void tabOrderFollowsTheTable()
    {
        std::vector<QWidget*> expected;
        for (int i = 1; i < ControlCount; ++i) {
            const ControlKind kind = controlSpec(static_cast<ControlId>(i)).kind;
            if (kind == K::EditBox || kind == K::TickBox || kind == K::PushButton)
                expected.push_back(harness::widget(static_cast<ControlId>(i)));
        }
        QCOMPARE(int(expected.size()), 53); // 44 edit boxes, 5 tick boxes, 4 buttons
        std::vector<QWidget*> chain{expected.front()};
        for (QWidget* next = expected.front()->nextInFocusChain(); next != expected.front();
             next = next->nextInFocusChain()) {
            if (next->focusPolicy() & Qt::TabFocus)
                chain.push_back(next);
            QVERIFY(chain.size() <= expected.size());
        }
        QVERIFY(chain == expected);
    }

    void editBoxesHaveNoLengthLimit()
    {
        const Text longText(100000, '7');
        writeText(编辑框1开奖, longText);
        QCOMPARE(readText(编辑框1开奖).size(), longText.size());
        writeText(编辑框1开奖, "100");
    }

    void tagOneIsTheFirstNumberBoxNotTheCountBox()
    {
        const TagMatch one = findByTag(1);
        QVERIFY(one.control.id == 编辑框1预选1);
        QVERIFY(findEditBoxByTag(1).id == 编辑框1预选1);
        QVERIFY(findByTag(107).control.id == 编辑框1中奖7);
        QVERIFY(findByTag(47).control.id == 编辑框5预选7);
    }

    void lookupFailuresEndTheProgramWithTheirReport_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<QByteArray>("report");
        QTest::newRow("8") << QStringLiteral("find-8") << NotFoundReport;
        QTest::newRow("48") << QStringLiteral("find-48") << NotFoundReport;
        QTest::newRow("100") << QStringLiteral("find-100") << NotFoundReport;
        QTest::newRow("108") << QStringLiteral("find-108") << NotFoundReport;
        QTest::newRow("0 where an edit box is needed") << QStringLiteral("edit-box-0") << KindReport;
        QTest::newRow("on a worker") << QStringLiteral("worker-108") << NotFoundReport;
        QTest::newRow("on two workers") << QStringLiteral("two-workers-108") << NotFoundReport;
        QTest::newRow("on a worker while the UI thread is busy") << QStringLiteral("worker-108-busy-ui")
                                                                 << NotFoundReport;
    }

    void lookupFailuresEndTheProgramWithTheirReport()
    {
        QFETCH(QString, scenario);
        QFETCH(QByteArray, report);
        const auto result = harness::runChild(scenario.toStdString());
        const Report shown = reportIn(result.output);
        QCOMPARE(shown.count, 1);
        QCOMPARE(shown.title, QByteArray("错误"));
        QCOMPARE(shown.icon, QByteArray::number(int(QMessageBox::Critical)));
        QCOMPARE(shown.buttons, QByteArray("1"));
        QCOMPARE(shown.text, report);
        QCOMPARE(result.exitStatus, 255);
        QVERIFY(!result.output.contains("EXIT-ROUTINE-RAN"));
        QVERIFY(!result.output.contains("RETURNED"));
        QVERIFY(!result.output.contains("LOOP-ENDED"));
    }

    void appendGoesToTheTrueEndWhateverTheUserSelected()
    {
        LogView* log = logBox();
        Text lines;
        for (int i = 1; i <= 200; ++i)
            lines += "第" + intToText(i) + "期\r\n";
        writeText(编辑框1输出, lines);
        QCOMPARE(readText(编辑框1输出), lines);

        // The user selects something near the top and scrolls there.
        log->setFocus();
        log->select({0, 1}, {2, 2});
        QVERIFY(log->hasSelection());
        log->verticalScrollBar()->setValue(0);
        QApplication::processEvents();

        appendText(编辑框1输出, "第一组已中桨\r\n");
        appendText(编辑框1输出, "末行");
        QApplication::processEvents();
        const Text expected = lines + "第一组已中桨\r\n末行";
        QCOMPARE(readText(编辑框1输出), expected);
        QVERIFY(!log->hasSelection());
        QVERIFY(log->caret() == log->end());
        QCOMPARE(log->verticalScrollBar()->value(), log->verticalScrollBar()->maximum());
        QVERIFY(log->verticalScrollBar()->maximum() > 0);
        QTest::keySequence(log, QKeySequence::Undo); // nothing to take back
        QCOMPARE(readText(编辑框1输出), expected);

        // An empty append only moves the caret to the end and scrolls there.
        log->verticalScrollBar()->setValue(0);
        log->select({}, {});
        appendText(编辑框1输出, "");
        QApplication::processEvents();
        QCOMPARE(readText(编辑框1输出), expected);
        QVERIFY(log->caret() == log->end());
        QCOMPARE(log->verticalScrollBar()->value(), log->verticalScrollBar()->maximum());

        // Line breaks read back as CR LF, wherever they came in.
        writeText(编辑框1输出, "a\r\nb");
        appendText(编辑框1输出, "c\r\n\r\nd\r\n");
        QCOMPARE(readText(编辑框1输出), Text("a\r\nbc\r\n\r\nd\r\n"));
        QCOMPARE(log->lineCount(), 5);
        writeText(编辑框1输出, "");
        QCOMPARE(readText(编辑框1输出), Text(""));
    }

    void readAndWriteKeepTheBytes()
    {
        harness::typeInto(编辑框3预选4, " 12 ");
        QCOMPARE(readText(编辑框3预选4), Text(" 12 "));
        writeText(编辑框1中奖3, "");
        QCOMPARE(readText(编辑框1中奖3), Text(""));
        writeText(透明标签1期数, "第12期");
        QCOMPARE(readText(透明标签1期数), Text("第12期"));
        QCOMPARE(qobject_cast<QLabel*>(harness::widget(透明标签1期数))->text(), QStringLiteral("第12期"));
        writeText(透明标签1期数, "");
    }

    void placesAndSizesStayWithinTheirBounds()
    {
        QWidget* panel = harness::widget(外形框2);
        setLeft(外形框2, -32628);
        QCOMPARE(panel->x(), -32627);
        setLeft(外形框2, 32628);
        QCOMPARE(panel->x(), 32627);
        setTop(外形框2, -40000);
        QCOMPARE(panel->y(), -32627);
        QCOMPARE(panel->x(), 32627); // the other coordinate stays
        setWidth(外形框2, 32628);
        QCOMPARE(panel->width(), 32627);
        QCOMPARE(panel->height(), 240);
        setWidth(外形框2, -5);
        QCOMPARE(panel->width(), 0);
        setHeight(外形框2, -32628);
        QCOMPARE(panel->height(), 0);
        setHeight(外形框2, 32628);
        QCOMPARE(panel->height(), 32627);
        QCOMPARE(panel->pos(), QPoint(32627, -32627)); // resizing keeps the top-left corner
        setLeft(外形框2, 552);
        setTop(外形框2, 328);
        setWidth(外形框2, 400);
        setHeight(外形框2, 240);
        QCOMPARE(panel->geometry(), QRect(552, 328, 400, 240));

        // A single-line box never gets shorter than one line of its font.
        setHeight(编辑框1预选1, 10);
        QCOMPARE(harness::widget(编辑框1预选1)->height(), 39);
        setHeight(编辑框1预选1, 60);
        QCOMPARE(harness::widget(编辑框1预选1)->height(), 60);
        setHeight(编辑框1预选1, 35);
        QCOMPARE(harness::widget(编辑框1预选1)->height(), 39);
    }

    void draggingTheWindow_data()
    {
        QTest::addColumn<int>("control");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<bool>("moves");
        QTest::newRow("bare background") << int(WindowSelf) << QPoint(480, 700) << true;
        QTest::newRow("group box") << int(分组框1) << QPoint(455, 265) << true;
        QTest::newRow("group box of the draw row") << int(分组框2) << QPoint(420, 40) << true;
        QTest::newRow("label") << int(标签4) << QPoint(20, 15) << true;
        QTest::newRow("wrapping label") << int(标签3) << QPoint(200, 100) << true;
        QTest::newRow("transparent label") << int(透明标签1期数) << QPoint(20, 15) << true;
        QTest::newRow("panel") << int(外形框2) << QPoint(20, 20) << true;
        QTest::newRow("edit box") << int(编辑框1预选1) << QPoint(20, 15) << false;
        QTest::newRow("log box") << int(编辑框1输出) << QPoint(100, 100) << false;
    }

    void draggingTheWindow()
    {
        QFETCH(int, control);
        QFETCH(QPoint, at);
        QFETCH(bool, moves);
        const auto id = static_cast<ControlId>(control);
        QWidget* window = harness::widget(WindowSelf);
        if (id == 外形框2)
            setVisible(外形框2, true);
        QWidget* target = harness::widget(id);
        // The press lands on the control itself, nothing else lies over it.
        const QPoint inWindow = target->mapTo(window, at);
        QWidget* hit = window->childAt(inWindow);
        QVERIFY(hit == (id == WindowSelf ? nullptr : target) ||
                (id == 编辑框1输出 && hit && target->isAncestorOf(hit)));
        QWidget* receiver = hit ? hit : window;
        const QPoint local = receiver->mapFrom(window, inWindow);

        const QPoint before = window->pos();
        const QPoint global = receiver->mapToGlobal(local);
        const QPoint step(37, 23);
        QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(receiver, &press);
        QMouseEvent move(QEvent::MouseMove, local + step, global + step, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(receiver, &move);
        QMouseEvent release(QEvent::MouseButtonRelease, local + step, global + step, Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(receiver, &release);
        QApplication::processEvents();

        QCOMPARE(window->pos(), moves ? before + step : before);
        window->move(before);
        QApplication::processEvents();
        QCOMPARE(window->pos(), before);
        if (id == 外形框2)
            setVisible(外形框2, false);
    }

    void outerSizeOfTheWindowKeepsItsCorner()
    {
        const auto result = harness::runChild("resize-window");
        QCOMPARE(result.exitStatus, 0);
        QVERIFY2(result.output.contains("FRAME 140 152 400 240\n"), result.output.constData());
    }

    void escapeClosesTheWindow_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::newRow("focus in a number box") << QStringLiteral("escape-in-number-box");
        QTest::newRow("focus in the log box") << QStringLiteral("escape-in-log-box");
        QTest::newRow("focus on a button") << QStringLiteral("escape-on-button");
    }

    void escapeClosesTheWindow()
    {
        QFETCH(QString, scenario);
        const auto result = harness::runChild(scenario.toStdString());
        QCOMPARE(result.exitStatus, 0);
        QCOMPARE(result.output.count("EXIT-ROUTINE-RAN"), 1);
        QVERIFY(result.output.contains("LOOP-ENDED"));
        QVERIFY(!result.output.contains("TITLE:"));
        QVERIFY(!result.output.contains("NO-FOCUS"));
    }
};

namespace {

void escapeWithFocusOn(ControlId id)
{
    harness::openMainWindow();
    harness::answerFatalReport();
    addExitRoutine(printExitRoutine);
    QTimer::singleShot(0, [id] {
        QWidget* target = harness::widget(id);
        target->setFocus();
        if (!target->hasFocus())
            std::printf("NO-FOCUS\n");
        QTest::keyClick(target, Qt::Key_Escape);
    });
    QTimer::singleShot(20000, [] { platform::endProcess(3); });
    platform::runMessageLoop();
    std::printf("LOOP-ENDED\n");
    std::fflush(stdout);
    endProgram(0);
}

} // namespace

static const harness::Scenarios scenarios{
    {"find-8", [] { fatalChild([] { findByTag(8); std::printf("RETURNED\n"); }); }},
    {"find-48", [] { fatalChild([] { findByTag(48); std::printf("RETURNED\n"); }); }},
    {"find-100", [] { fatalChild([] { findByTag(100); std::printf("RETURNED\n"); }); }},
    {"find-108", [] { fatalChild([] { findByTag(108); std::printf("RETURNED\n"); }); }},
    {"edit-box-0", [] { fatalChild([] { findEditBoxByTag(0); std::printf("RETURNED\n"); }); }},
    {"worker-108", [] { fatalChild([] { startWorker(failOnWorker); }); }},
    {"worker-108-busy-ui",
     [] {
         fatalChild([] {
             startWorker(failOnWorker);
             QTest::qSleep(700); // the handler keeps the user-interface thread from its queue meanwhile
         });
     }},
    {"two-workers-108",
     [] {
         fatalChild([] {
             startWorker(failOnWorker);
             startWorker(failOnWorker);
         });
     }},
    {"resize-window",
     [] {
         harness::openMainWindow();
         QWidget* window = harness::widget(WindowSelf);
         setWidth(WindowSelf, 400);
         setHeight(WindowSelf, 240);
         QApplication::processEvents();
         const QRect frame = window->frameGeometry();
         std::printf("FRAME %d %d %d %d\n", frame.x(), frame.y(), frame.width(), frame.height());
         std::fflush(stdout);
         platform::endProcess(0);
     }},
    {"escape-in-number-box", [] { escapeWithFocusOn(编辑框2预选3); }},
    {"escape-in-log-box", [] { escapeWithFocusOn(编辑框1输出); }},
    {"escape-on-button", [] { escapeWithFocusOn(按钮1随机生成); }},
};

TAVRELLE_GUI_TEST_MAIN(WindowTest, scenarios)

#include "window_test.moc"
