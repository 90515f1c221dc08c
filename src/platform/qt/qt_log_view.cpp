#include "platform/qt/qt_log_view.h"

#include "platform/qt/qt_text.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QtMath>

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>

namespace {

// Room between the frame and the text, as Qt's text boxes leave.
constexpr int Margin = 4;
// Laid-out lines kept beyond those in view, so that scrolling back a little
// does not lay them out again.
constexpr qsizetype KeptAround = 128;

// A scroll bar that repaints only when what it shows changes: in a long log
// an append moves the handle by less than a pixel, and painting the bar
// costs more than painting the line.
class ScrollBar : public QScrollBar {
public:
    using QScrollBar::QScrollBar;

    // The range and the value at its end in one step: the bar looks the
    // same before and after an append, but not in between.
    void showEnd(int maximum)
    {
        holding_ = true;
        setRange(0, maximum);
        setValue(maximum);
        holding_ = false;
        refresh(SliderValueChange);
    }

protected:
    void sliderChange(SliderChange change) override
    {
        if (!holding_)
            refresh(change);
    }

private:
    struct Look {
        QRect handle;
        bool atMinimum = false;
        bool atMaximum = false;
        bool operator==(const Look&) const = default;
    };

    void refresh(SliderChange change)
    {
        QStyleOptionSlider option;
        initStyleOption(&option);
        const Look look{style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
                        value() == minimum(), value() == maximum()};
        if (change != SliderValueChange && change != SliderRangeChange)
            shown_.reset();
        if (look == shown_)
            return;
        shown_ = look;
        QScrollBar::sliderChange(change);
    }

    bool holding_ = false;
    std::optional<Look> shown_;
};

} // namespace

LogView::LogView(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setVerticalScrollBar(new ScrollBar(Qt::Vertical, this));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setCursor(Qt::IBeamCursor);
    verticalScrollBar()->setSingleStep(1);
}

LogView::~LogView() = default;

void LogView::setBytes(QByteArrayView text)
{
    text_ = text.toByteArray();
    starts_.assign(1, 0);
    starts_.shrink_to_fit();
    indexLines(0);
    forgetLayouts();
    anchor_ = caret_ = Spot{};
    updateRange();
    verticalScrollBar()->setValue(0);
    viewport()->update();
}

void LogView::appendBytes(QByteArrayView text)
{
    const qsizetype oldTop = top();
    const int oldY = topY();
    const qsizetype changed = lineCount() - 1; // the last line may grow
    const bool hadSelection = hasSelection();
    const qsizetype from = text_.size();
    text_.append(text);
    layouts_.erase(changed);
    indexLines(from);
    anchor_ = caret_ = end();

    appending_ = true;
    static_cast<ScrollBar*>(verticalScrollBar())->showEnd(endTop());
    appending_ = false;
    trimLayouts(); // the window may not be painting: hidden or minimised

    // The lines above the changed one look as they did: move their pixels
    // and paint only from the changed line down.
    const qsizetype newTop = top();
    if (hadSelection || newTop < oldTop || newTop > changed || newTop - oldTop > KeptAround) {
        viewport()->update();
        return;
    }
    int shift = topY() - oldY;
    for (qsizetype i = oldTop; i < newTop; ++i)
        shift -= height(i);
    // The margin above the text stays blank: only what lies below it moves.
    if (shift != 0)
        viewport()->scroll(0, shift, QRect(0, Margin, viewport()->width(), viewport()->height() - Margin));
    int y = topY();
    for (qsizetype i = newTop; i < changed && y < viewport()->height(); ++i)
        y += height(i);
    if (y < viewport()->height())
        viewport()->update(0, y, viewport()->width(), viewport()->height() - y);
}

LogView::Spot LogView::end() const
{
    return {lineCount() - 1, lineText(lineCount() - 1).size()};
}

void LogView::select(Spot anchor, Spot caret)
{
    const auto clamp = [this](Spot spot) {
        spot.line = std::clamp<qsizetype>(spot.line, 0, lineCount() - 1);
        spot.column = std::clamp<qsizetype>(spot.column, 0, lineText(spot.line).size());
        return spot;
    };
    anchor_ = clamp(anchor);
    caret_ = clamp(caret);
    viewport()->update();
}

QString LogView::selectedText() const
{
    const Spot from = std::min(anchor_, caret_);
    const Spot to = std::max(anchor_, caret_);
    QString text;
    for (qsizetype line = from.line; line <= to.line; ++line) {
        const QString whole = lineText(line);
        const qsizetype start = line == from.line ? from.column : 0;
        const qsizetype stop = line == to.line ? to.column : whole.size();
        if (line != from.line)
            text += QLatin1Char('\n');
        text += whole.mid(start, stop - start);
    }
    return text;
}

void LogView::copy() const
{
    if (hasSelection())
        QGuiApplication::clipboard()->setText(selectedText());
}

void LogView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const QRect area = event->rect();
    const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
    painter.setPen(palette().color(group, QPalette::Text));
    const Spot from = std::min(anchor_, caret_);
    const Spot to = std::max(anchor_, caret_);
    int y = topY();
    for (qsizetype line = top(); line < lineCount() && y <= area.bottom(); ++line) {
        const int lineHeight = height(line);
        if (y + lineHeight > area.top()) {
            QTextLayout& laidOut = layout(line);
            QList<QTextLayout::FormatRange> selection;
            if (hasSelection() && from.line <= line && line <= to.line) {
                QTextLayout::FormatRange range;
                range.start = static_cast<int>(line == from.line ? from.column : 0);
                range.length = static_cast<int>(line == to.line ? to.column : laidOut.text().size()) - range.start;
                range.format.setBackground(palette().brush(group, QPalette::Highlight));
                range.format.setForeground(palette().brush(group, QPalette::HighlightedText));
                selection.append(range);
            }
            laidOut.draw(&painter, QPointF(Margin, y), selection);
        }
        y += lineHeight;
    }
    trimLayouts();
}

void LogView::resizeEvent(QResizeEvent* event)
{
    const bool atEnd = verticalScrollBar()->value() == verticalScrollBar()->maximum();
    QAbstractScrollArea::resizeEvent(event);
    if (event->oldSize().width() != event->size().width())
        forgetLayouts();
    updateRange();
    if (atEnd)
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void LogView::scrollContentsBy(int, int)
{
    if (!appending_)
        viewport()->update();
}

void LogView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    caret_ = spotAt(event->position().toPoint());
    if (!(event->modifiers() & Qt::ShiftModifier))
        anchor_ = caret_;
    viewport()->update();
}

void LogView::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return QAbstractScrollArea::mouseMoveEvent(event);
    // Dragging past the top or bottom scrolls that way.
    const QPoint point = event->position().toPoint();
    if (point.y() < 0)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (point.y() >= viewport()->height())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    caret_ = spotAt(point);
    viewport()->update();
}

void LogView::mouseReleaseEvent(QMouseEvent* event)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (event->button() == Qt::LeftButton && hasSelection() && clipboard->supportsSelection())
        clipboard->setText(selectedText(), QClipboard::Selection);
    event->accept();
}

void LogView::keyPressEvent(QKeyEvent* event)
{
    if (event == QKeySequence::Copy)
        copy();
    else if (event == QKeySequence::SelectAll)
        select({}, end());
    else if (event == QKeySequence::MoveToStartOfDocument)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
    else if (event == QKeySequence::MoveToEndOfDocument)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    else
        QAbstractScrollArea::keyPressEvent(event);
}

// What is selected shows in the focus colours only while the box has the focus.
void LogView::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void LogView::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void LogView::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        const bool atEnd = verticalScrollBar()->value() == verticalScrollBar()->maximum();
        forgetLayouts();
        updateRange();
        if (atEnd)
            verticalScrollBar()->setValue(verticalScrollBar()->maximum());
        viewport()->update();
    }
}

QByteArrayView LogView::lineBytes(qsizetype line) const
{
    const auto index = static_cast<std::size_t>(line);
    const qsizetype start = starts_[index];
    qsizetype stop = index + 1 < starts_.size() ? starts_[index + 1] - 1 : text_.size();
    if (stop > start && text_[stop - 1] == '\r')
        --stop;
    return QByteArrayView(text_).sliced(start, stop - start);
}

QString LogView::lineText(qsizetype line) const
{
    return toQString(lineBytes(line));
}

QTextLayout& LogView::layout(qsizetype line) const
{
    std::unique_ptr<QTextLayout>& laidOut = layouts_[line];
    if (!laidOut) {
        laidOut = std::make_unique<QTextLayout>(lineText(line), font());
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        laidOut->setTextOption(option);
        laidOut->setCacheEnabled(true);
        laidOut->beginLayout();
        qreal y = 0;
        for (QTextLine row = laidOut->createLine(); row.isValid(); row = laidOut->createLine()) {
            row.setLineWidth(qMax(1, viewport()->width() - 2 * Margin));
            row.setPosition(QPointF(0, y));
            y += row.height();
        }
        laidOut->endLayout();
    }
    return *laidOut;
}

void LogView::forgetLayouts()
{
    layouts_.clear();
}

// Keeps only the laid-out lines near the view.
void LogView::trimLayouts() const
{
    if (static_cast<qsizetype>(layouts_.size()) <= 4 * KeptAround)
        return;
    const qsizetype first = top() - KeptAround;
    const qsizetype last = top() + verticalScrollBar()->pageStep() + KeptAround;
    std::erase_if(layouts_, [&](const auto& entry) { return entry.first < first || entry.first > last; });
}

void LogView::indexLines(qsizetype from)
{
    const char* const first = text_.constData();
    const char* const stop = first + text_.size();
    for (const char* at = first + from; at < stop;) {
        const auto* feed = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(stop - at)));
        if (!feed)
            break;
        starts_.push_back(feed + 1 - first);
        at = feed + 1;
    }
}

// The scroll bar's largest value is the first line from which the rest fit
// in the view: found from the end, laying out only those lines.
int LogView::endTop() const
{
    const int view = viewport()->height();
    qsizetype first = lineCount() - 1;
    int used = 2 * Margin;
    for (qsizetype line = lineCount() - 1; line >= 0; --line) {
        used += height(line);
        if (used > view)
            break;
        first = line;
    }
    return static_cast<int>(std::min<qsizetype>(first, std::numeric_limits<int>::max()));
}

void LogView::updateRange()
{
    const int lineSpacing = qMax(1, fontMetrics().lineSpacing());
    verticalScrollBar()->setPageStep(qMax(1, (viewport()->height() - 2 * Margin) / lineSpacing));
    verticalScrollBar()->setRange(0, endTop());
}

qsizetype LogView::top() const
{
    return verticalScrollBar()->value();
}

int LogView::topY() const
{
    const qsizetype last = lineCount() - 1;
    if (top() == last) {
        const int lineHeight = height(last);
        if (2 * Margin + lineHeight > viewport()->height())
            return viewport()->height() - Margin - lineHeight;
    }
    return Margin;
}

LogView::Spot LogView::spotAt(QPoint point) const
{
    int y = topY();
    if (point.y() < y)
        return {top(), 0};
    for (qsizetype line = top(); line < lineCount(); ++line) {
        const int lineHeight = height(line);
        if (point.y() < y + lineHeight) {
            const QTextLayout& laidOut = layout(line);
            for (int r = 0; r < laidOut.lineCount(); ++r) {
                const QTextLine row = laidOut.lineAt(r);
                if (point.y() < y + row.rect().bottom() || r == laidOut.lineCount() - 1)
                    return {line, row.xToCursor(point.x() - Margin)};
            }
        }
        y += lineHeight;
    }
    return end();
}
