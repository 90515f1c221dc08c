// The log box's view on its own: the bytes it keeps, what it paints after a
// run of appends, wrapping, selecting and copying with the mouse, scrolling.
#include "harness.h"

#include "platform/qt/qt_log_view.h"

#include <QApplication>
#include <QClipboard>
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
