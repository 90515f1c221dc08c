// The log box's view on its own: the bytes it keeps, what it paints after a
// run of appends, wrapping, selecting and copying with the mouse, double and
// triple clicks, the right-click menu, scrolling, and what a screen reader
// gets.
#include "harness.h"

#include "platform/qt/qt_log_view.h"
#include "platform/qt/qt_text.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

#include <memory>

namespace {

std::unique_ptr<LogView> shownView(QSize size)
{
    auto view = std::make_unique<LogView>();
    QFont font = QApplication::font();
    font.setPixelSize(16);
    view->setFont(font);
    view->resize(size);
    view->show();
    if (!QTest::qWaitForWindowExposed(view.get()))
        return nullptr;
    return view;
}

// The middle of the row'th row of text from the top of the view.
QPoint rowPoint(const LogView& view, int row, int x)
{
    const int spacing = view.fontMetrics().lineSpacing();
    return QPoint(x, 4 + spacing * row + spacing / 2);
}

// The middle of the character at column of the first row, in a line that
// does not wrap.
QPoint characterPoint(const LogView& view, const QString& line, int column)
{
    const QFontMetrics metrics = view.fontMetrics();
    const int left = metrics.horizontalAdvance(line.left(column));
    const int right = metrics.horizontalAdvance(line.left(column + 1));
    return QPoint(4 + (left + right) / 2, rowPoint(view, 0, 0).y());
}

// A left-button mouse event at a given time, sent as the window system
// sends it.
void mouse(QWidget* area, QEvent::Type type, QPoint point, quint64 time)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, point, area->mapToGlobal(point), Qt::LeftButton, held, Qt::NoModifier);
    event.setTimestamp(time);
    QApplication::sendEvent(area, &event);
}

void doubleClick(QWidget* area, QPoint point, quint64 time)
{
    mouse(area, QEvent::MouseButtonPress, point, time);
    mouse(area, QEvent::MouseButtonRelease, point, time);
    mouse(area, QEvent::MouseButtonDblClick, point, time + 50);
    mouse(area, QEvent::MouseButtonRelease, point, time + 50);
}

QAction* menuAction(QMenu& menu, const QString& caption)
{
    for (QAction* action : menu.actions())
        if (action->text() == caption)
            return action;
    return nullptr;
}

Text repeated(const Text& piece, int times)
{
    Text text;
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}

} // namespace

class LogViewTest : public QObject {
    Q_OBJECT

private slots:
    void keepsTheBytesAsTheyCame_data()
    {
        QTest::addColumn<QList<QByteArray>>("pieces");
        QTest::addColumn<int>("lines");
        QTest::addColumn<QString>("shown");
        QTest::newRow("CR LF") << QList<QByteArray>{"a\r\nb\r\n"} << 3 << QStringLiteral("a\nb\n");
        QTest::newRow("LF alone") << QList<QByteArray>{"a\nb"} << 2 << QStringLiteral("a\nb");
        QTest::newRow("CR LF across appends") << QList<QByteArray>{"a\r", "\nb"} << 2 << QStringLiteral("a\nb");
        QTest::newRow("line grown by appends") << QList<QByteArray>{"第1", "期", "\r\n"} << 2
                                               << QStringLiteral("第1期\n");
        QTest::newRow("empty lines") << QList<QByteArray>{"\r\n\r\n", ""} << 3 << QStringLiteral("\n\n");
        QTest::newRow("nothing") << QList<QByteArray>{} << 1 << QString();
        QTest::newRow("not CP936") << QList<QByteArray>{QByteArray("x\x81", 2), QByteArray("\0y", 2)} << 1
                                   << QString();
    }
    void keepsTheBytesAsTheyCame()
    {
        QFETCH(QList<QByteArray>, pieces);
        QFETCH(int, lines);
        QFETCH(QString, shown);
        LogView view;
        view.setBytes("old\r\nlines");
        view.setBytes("");
        QByteArray all;
        for (const QByteArray& piece : pieces) {
            view.appendBytes(piece);
            all += piece;
        }
        QCOMPARE(view.bytes(), all);
        QCOMPARE(view.lineCount(), lines);
        view.select({}, view.end());
        if (!shown.isNull())
            QCOMPARE(view.selectedText(), shown);
    }

    // Appends move the pixels already shown and paint only what they add:
    // what is on the screen must be what a fresh paint of the view shows.
    void appendsShowWhatAFreshPaintShows()
    {
        const auto view = shownView(QSize(260, 200));
        QVERIFY(view);
        for (int i = 0; i < 40; ++i) {
            Text line = "第" + intToText(i) + "期:1 2 3";
            if (i % 7 == 3)
                line += repeated(" 长行", 20); // wraps
            view->appendBytes(QByteArray::fromStdString(line));
            QApplication::processEvents();
            view->appendBytes(i % 5 == 4 ? "" : "\r\n");
            QApplication::processEvents();
        }
        QCOMPARE(view->verticalScrollBar()->value(), view->verticalScrollBar()->maximum());
        const QImage onScreen = QGuiApplication::primaryScreen()->grabWindow(view->winId()).toImage();
        const QImage fresh = view->grab().toImage();
        QCOMPARE(onScreen.convertToFormat(QImage::Format_RGB32), fresh.convertToFormat(QImage::Format_RGB32));
    }

    void wrapsLongLinesAtTheBoxWidth_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("words") << QByteArray::fromStdString(repeated("word ", 60));
        QTest::newRow("one long word") << QByteArray::fromStdString(repeated("7", 300));
        QTest::newRow("Chinese") << QByteArray::fromStdString(repeated("中奖", 100));
    }
    void wrapsLongLinesAtTheBoxWidth()
    {
        QFETCH(QByteArray, line);
        const auto view = shownView(QSize(260, 200));
        QVERIFY(view);
        view->setBytes(line + "\r\nnext");
        // The second row of the view still belongs to the first line.
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rowPoint(*view, 1, 6));
        QCOMPARE(view->caret().line, 0);
        QVERIFY(view->caret().column > 0);
        QVERIFY(view->caret().column < line.size());
    }

    // A line taller than the view shows its end when the end is in view.
    void aLineTallerThanTheViewShowsItsEnd()
    {
        const auto view = shownView(QSize(260, 80));
        QVERIFY(view);
        const QByteArray line = QByteArray::fromStdString(repeated("word ", 200)) + "end";
        view->appendBytes(line);
        QApplication::processEvents();
        const int bottom = view->viewport()->height() - 4 - view->fontMetrics().lineSpacing() / 2;
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(view->viewport()->width() - 2, bottom));
        QCOMPARE(view->caret(), view->end());
    }

    void selectsWithTheMouseAndCopies()
    {
        const auto view = shownView(QSize(260, 200));
        QVERIFY(view);
        view->setBytes("第1期:1 2\r\n第2期:3 4\r\n第3期:5 6\r\n");
        QWidget* area = view->viewport();
        QTest::mousePress(area, Qt::LeftButton, {}, rowPoint(*view, 0, 1));
        QTest::mouseMove(area, rowPoint(*view, 1, 200));
        QTest::mouseRelease(area, Qt::LeftButton, {}, rowPoint(*view, 1, 200));
        QVERIFY(view->hasSelection());
        QApplication::clipboard()->clear();
        QTest::keySequence(view.get(), QKeySequence::Copy);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("第1期:1 2\n第2期:3 4"));

        // Shift and a click moves the end of the selection only.
        QTest::mouseClick(area, Qt::LeftButton, Qt::ShiftModifier, rowPoint(*view, 2, 1));
        QCOMPARE(view->selectedText(), QStringLiteral("第1期:1 2\n第2期:3 4\n"));
        QTest::keySequence(view.get(), QKeySequence::SelectAll);
        QCOMPARE(view->selectedText(), QStringLiteral("第1期:1 2\n第2期:3 4\n第3期:5 6\n"));
        QTest::mouseClick(area, Qt::LeftButton, {}, rowPoint(*view, 1, 1));
        QVERIFY(!view->hasSelection());
    }

    // The right-click menu holds 复制 and 全选, each enabled when it
    // applies, and does what it says.
    void rightClickMenuCopiesAndSelectsAll_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<bool>("canCopy");
        QTest::addColumn<bool>("canSelectAll");
        QTest::newRow("empty log") << QByteArray() << false << false << false;
        QTest::newRow("nothing selected") << QByteArray("第1期\r\n第2期") << false << false << true;
        QTest::newRow("a selection") << QByteArray("第1期\r\n第2期") << true << true << true;
        QTest::newRow("only a line break") << QByteArray("\r\n") << false << false << true;
    }
    void rightClickMenuCopiesAndSelectsAll()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, selected);
        QFETCH(bool, canCopy);
        QFETCH(bool, canSelectAll);
        const auto view = shownView(QSize(260, 200));
        QVERIFY(view);
        view->setBytes(text);
        if (selected)
            view->select({0, 1}, {1, 1});

        // A right click opens the menu where the pointer is.
        const QPoint point = rowPoint(*view, 0, 20);
        QContextMenuEvent press(QContextMenuEvent::Mouse, point, view->viewport()->mapToGlobal(point));
        QApplication::sendEvent(view->viewport(), &press);
        auto* shown = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(shown);
        QCOMPARE(shown->parentWidget(), view.get());
        QStringList captions;
        for (QAction* action : shown->actions())
            if (!action->isSeparator())
                captions << action->text();
        QCOMPARE(captions, (QStringList{QStringLiteral("复制"), QStringLiteral("全选")}));
        QCOMPARE(menuAction(*shown, QStringLiteral("复制"))->isEnabled(), canCopy);
        QCOMPARE(menuAction(*shown, QStringLiteral("全选"))->isEnabled(), canSelectAll);
        shown->close();

        const QString all = toQString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (canCopy) {
            const QString chosen = view->selectedText();
            QApplication::clipboard()->clear();
            delete view->createContextMenu(); // a menu made and dropped leaves nothing behind
            const std::unique_ptr<QMenu> fresh(view->createContextMenu());
            menuAction(*fresh, QStringLiteral("复制"))->trigger();
            QCOMPARE(QApplication::clipboard()->text(), chosen);
        }
        if (canSelectAll) {
            const std::unique_ptr<QMenu> fresh(view->createContextMenu());
            menuAction(*fresh, QStringLiteral("全选"))->trigger();
            QCOMPARE(view->selectedText(), all);
            const std::unique_ptr<QMenu> after(view->createContextMenu());
            QVERIFY(menuAction(*after, QStringLiteral("复制"))->isEnabled());
        }
    }

    // A double click selects the word under the pointer, a third click soon
    // after selects the whole line, wrapped rows and all.
    void doubleAndTripleClicksSelectAWordAndALine_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("third");
        QTest::addColumn<int>("thirdAfter"); // ms after the double click
        QTest::addColumn<QString>("selected");
        const QString line = QStringLiteral("draw 12345 won");
        QTest::newRow("a number") << 7 << false << 0 << QStringLiteral("12345");
        QTest::newRow("first letter of a word") << 0 << false << 0 << QStringLiteral("draw");
        QTest::newRow("last letter of a word") << 3 << false << 0 << QStringLiteral("draw");
        QTest::newRow("a space") << 4 << false << 0 << QStringLiteral(" ");
        QTest::newRow("past the end") << int(line.size()) + 3 << false << 0 << QStringLiteral("won");
        QTest::newRow("third click") << 7 << true << 100 << line;
        QTest::newRow("third click too late") << 7 << true << 5000 << QString();
    }
    void doubleAndTripleClicksSelectAWordAndALine()
    {
        QFETCH(int, column);
        QFETCH(bool, third);
        QFETCH(int, thirdAfter);
        QFETCH(QString, selected);
        const auto view = shownView(QSize(260, 200));
        QVERIFY(view);
        const QString line = QStringLiteral("draw 12345 won");
        view->setBytes("draw 12345 won\r\nnext line");
        QWidget* area = view->viewport();
        const QPoint point = column <= line.size() ? characterPoint(*view, line, column)
                                                   : characterPoint(*view, line, int(line.size())) + QPoint(40, 0);
        doubleClick(area, point, 10000);
        if (third) {
            mouse(area, QEvent::MouseButtonPress, point, 10050 + quint64(thirdAfter));
            mouse(area, QEvent::MouseButtonRelease, point, 10050 + quint64(thirdAfter));
        }
        QCOMPARE(view->selectedText(), selected);
        QCOMPARE(view->hasSelection(), !selected.isEmpty());
    }

    void tripleClickSelectsAWrappedLineWhole()
    {
        const auto view = shownView(QSize(260, 200));
        QVERIFY(view);
        const QByteArray line = QByteArray::fromStdString(repeated("word ", 60));
        view->setBytes("first\r\n" + line + "\r\nlast");
        // The third row of the view is the second row of the long line.
        doubleClick(view->viewport(), rowPoint(*view, 2, 30), 20000);
        mouse(view->viewport(), QEvent::MouseButtonPress, rowPoint(*view, 2, 30), 20100);
        mouse(view->viewport(), QEvent::MouseButtonRelease, rowPoint(*view, 2, 30), 20100);
        QCOMPARE(view->selectedText(), QString::fromLatin1(line));
    }

    // A screen reader finds a read-only multi-line text box and reads its
    // text, selection and caret through the text interface, and can move
    // them as it can in other boxes.
    void aScreenReaderReadsTheLog()
    {
        const auto view = shownView(QSize(260, 200));
        QVERIFY(view);
        view->setBytes("第1期:1 2\r\n第2期:3 4");
        QAccessibleInterface* box = QAccessible::queryAccessibleInterface(view.get());
        QVERIFY(box);
        QCOMPARE(box->role(), QAccessible::EditableText);
        QVERIFY(box->state().readOnly);
        QVERIFY(box->state().multiLine);
        QAccessibleTextInterface* text = box->textInterface();
        QVERIFY(text);

        const QString whole = QStringLiteral("第1期:1 2\n第2期:3 4");
        QCOMPARE(text->characterCount(), int(whole.size()));
        QCOMPARE(text->text(0, text->characterCount()), whole);
        QCOMPARE(box->text(QAccessible::Value), whole);
        QCOMPARE(text->text(5, 11), whole.mid(5, 6)); // across the line break
        QCOMPARE(text->text(9, 100), whole.mid(9));
        QCOMPARE(text->text(4, 2), QString());

        // A selection made backwards: the caret is at its start.
        view->select({1, 3}, {0, 2});
        int start = -1;
        int end = -1;
        QCOMPARE(text->selectionCount(), 1);
        text->selection(0, &start, &end);
        QCOMPARE(start, 2);
        QCOMPARE(end, 11);
        QCOMPARE(text->cursorPosition(), 2);

        // Set through the interface: the box shows and copies the same.
        text->setSelection(0, 3, 9);
        QCOMPARE(view->selectedText(), whole.mid(3, 6));
        QCOMPARE(text->cursorPosition(), 9);
        text->setCursorPosition(12);
        QCOMPARE(text->selectionCount(), 0);
        QCOMPARE(view->caret(), (LogView::Spot{1, 4}));

        // Where the characters are on the screen, and back.
        const QRect first = text->characterRect(0);
        QVERIFY(!first.isEmpty());
        QVERIFY(QRect(view->viewport()->mapToGlobal(QPoint(0, 0)), view->viewport()->size()).contains(first));
        const QRect second = text->characterRect(9);
        QVERIFY(second.top() > first.top());
        QCOMPARE(text->offsetAtPoint(second.center()), 9);

        // Appends, also to the last line, keep the offsets right.
        view->appendBytes("5");
        view->appendBytes(" 6\r\n第3期");
        const QString grown = whole + QStringLiteral("5 6\n第3期");
        QCOMPARE(text->characterCount(), int(grown.size()));
        QCOMPARE(text->text(0, text->characterCount()), grown);
        QCOMPARE(text->cursorPosition(), int(grown.size()));
        view->setBytes("x");
        QCOMPARE(text->text(0, text->characterCount()), QStringLiteral("x"));
    }

    void scrollsByWheelAndKeys()
    {
        const auto view = shownView(QSize(260, 200));
        QVERIFY(view);
        for (int i = 0; i < 100; ++i)
            view->appendBytes(QByteArray::fromStdString("第" + intToText(i) + "期\r\n"));
        QScrollBar* bar = view->verticalScrollBar();
        const int end = bar->value();
        QCOMPARE(end, bar->maximum());
        QVERIFY(end > 80);

        QWheelEvent up(QPointF(50, 50), view->viewport()->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, 120),
                       Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view->viewport(), &up);
        QVERIFY(bar->value() < end);
        QTest::keySequence(view.get(), QKeySequence::MoveToStartOfDocument);
        QCOMPARE(bar->value(), 0);
        QTest::keySequence(view.get(), QKeySequence::MoveToEndOfDocument);
        QCOMPARE(bar->value(), end);
    }
};

TAVRELLE_GUI_TEST_MAIN(LogViewTest, harness::Scenarios{})

#include "log_view_test.moc"
