#include "platform/qt/qt_log_view.h"

#include "platform/qt/qt_text.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QStyleHints>
#include <QTextBoundaryFinder>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QtMath>

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>
#include <utility>

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

// What a screen reader gets from the log: a read-only multi-line text box
// with its text, selection and caret, as it gets from Qt's own text boxes.
class LogViewAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit LogViewAccessible(LogView* view) : QAccessibleWidget(view, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.multiLine = true;
        state.selectableText = true;
        state.focusable = true;
        return state;
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value)
            return view()->textRange(0, view()->characterCount());
        return QAccessibleWidget::text(kind);
    }

    void selection(int index, int* start, int* end) const override
    {
        *start = *end = 0;
        if (index != 0 || !view()->hasSelection())
            return;
        const auto [from, to] = ordered();
        *start = offset(from);
        *end = offset(to);
    }
    int selectionCount() const override { return view()->hasSelection() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int index) override
    {
        if (index == 0)
            view()->select(view()->caret(), view()->caret());
    }
    void setSelection(int index, int start, int end) override
    {
        if (index == 0)
            view()->select(view()->spotAt(qsizetype(start)), view()->spotAt(qsizetype(end)));
    }
    int cursorPosition() const override { return offset(view()->caret()); }
    void setCursorPosition(int position) override
    {
        const LogView::Spot spot = view()->spotAt(qsizetype(position));
        view()->select(spot, spot);
    }
    QString text(int start, int end) const override { return view()->textRange(start, end); }
    int characterCount() const override { return clampInt(view()->characterCount()); }
    QRect characterRect(int offset) const override
    {
        const QRect inView = view()->characterRect(offset);
        if (inView.isEmpty())
            return {};
        return QRect(view()->viewport()->mapToGlobal(inView.topLeft()), inView.size());
    }
    int offsetAtPoint(const QPoint& point) const override
    {
        const QPoint local = view()->viewport()->mapFromGlobal(point);
        if (!view()->viewport()->rect().contains(local))
            return -1;
        return offset(view()->spotAt(local));
    }
    void scrollToSubstring(int start, int) override { view()->scrollToLine(view()->spotAt(qsizetype(start)).line); }
    // One run without attributes: the whole log has a single look.
    QString attributes(int, int* start, int* end) const override
    {
        *start = 0;
        *end = characterCount();
        return {};
    }

private:
    LogView* view() const { return static_cast<LogView*>(widget()); }
    std::pair<LogView::Spot, LogView::Spot> ordered() const
    {
        const LogView::Spot anchor = view()->anchor();
        const LogView::Spot caret = view()->caret();
        return {std::min(anchor, caret), std::max(anchor, caret)};
    }
    static int clampInt(qsizetype value) { return int(std::min<qsizetype>(value, std::numeric_limits<int>::max())); }
    int offset(LogView::Spot spot) const { return clampInt(view()->offsetOf(spot)); }
};

QAccessibleInterface* logViewAccessible(const QString&, QObject* object)
{
    if (auto* view = dynamic_cast<LogView*>(object))
        return new LogViewAccessible(view);
    return nullptr;
}

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
    static const bool accessible = [] {
        QAccessible::installFactory(logViewAccessible);
        return true;
    }();
    Q_UNUSED(accessible);
}

LogView::~LogView() = default;

void LogView::setBytes(QByteArrayView text)
{
    const QString before = QAccessible::isActive() ? textRange(0, characterCount()) : QString();
    text_ = text.toByteArray();
    offsets_.clear();
    starts_.assign(1, 0);
    starts_.shrink_to_fit();
    indexLines(0);
    forgetLayouts();
    anchor_ = caret_ = Spot{};
    updateRange();
    verticalScrollBar()->setValue(0);
    viewport()->update();
    if (QAccessible::isActive()) {
        QAccessibleTextUpdateEvent changed(this, 0, before, textRange(0, characterCount()));
        QAccessible::updateAccessibility(&changed);
        notifySelection();
    }
}

void LogView::appendBytes(QByteArrayView text)
{
    const qsizetype oldTop = top();
    const int oldY = topY();
    const qsizetype changed = lineCount() - 1; // the last line may grow
    const bool hadSelection = hasSelection();
    const qsizetype from = text_.size();
    const qsizetype charactersBefore = QAccessible::isActive() ? characterCount() : 0;
    text_.append(text);
    layouts_.erase(changed);
    if (offsets_.size() > static_cast<std::size_t>(changed + 1))
        offsets_.resize(static_cast<std::size_t>(changed + 1));
    indexLines(from);
    anchor_ = caret_ = end();
    if (QAccessible::isActive()) {
        const qsizetype charactersAfter = characterCount();
        QAccessibleTextInsertEvent inserted(this, int(charactersBefore), textRange(charactersBefore, charactersAfter));
        QAccessible::updateAccessibility(&inserted);
        notifySelection();
    }

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
    notifySelection();
}

void LogView::selectAll()
{
    select({}, end());
}

QString LogView::selectedText() const
{
    return textRange(offsetOf(std::min(anchor_, caret_)), offsetOf(std::max(anchor_, caret_)));
}

QMenu* LogView::createContextMenu()
{
    auto* menu = new QMenu(this);
    QAction* copying = menu->addAction(toQString("复制"), this, &LogView::copy);
    copying->setShortcut(QKeySequence::Copy);
    copying->setEnabled(hasSelection());
    menu->addSeparator();
    QAction* all = menu->addAction(toQString("全选"), this, &LogView::selectAll);
    all->setShortcut(QKeySequence::SelectAll);
    all->setEnabled(end() != Spot{});
    return menu;
}

qsizetype LogView::characterCount() const
{
    return offsetOf(end());
}

qsizetype LogView::offsetOf(Spot spot) const
{
    indexOffsets();
    return offsets_[static_cast<std::size_t>(spot.line)] + spot.column;
}

LogView::Spot LogView::spotAt(qsizetype offset) const
{
    indexOffsets();
    offset = std::clamp<qsizetype>(offset, 0, characterCount());
    const auto after = std::upper_bound(offsets_.begin(), offsets_.end(), offset);
    const qsizetype line = (after - offsets_.begin()) - 1;
    return {line, std::min(offset - offsets_[static_cast<std::size_t>(line)], lineText(line).size())};
}

QString LogView::textRange(qsizetype fromOffset, qsizetype toOffset) const
{
    const qsizetype count = characterCount();
    fromOffset = std::clamp<qsizetype>(fromOffset, 0, count);
    toOffset = std::clamp<qsizetype>(toOffset, 0, count);
    if (fromOffset >= toOffset)
        return {};
    const Spot from = spotAt(fromOffset);
    const Spot to = spotAt(toOffset);
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

QRect LogView::characterRect(qsizetype offset) const
{
    const Spot spot = spotAt(offset);
    if (spot.line < top())
        return {};
    int y = topY();
    for (qsizetype line = top(); line < spot.line; ++line) {
        y += height(line);
        if (y >= viewport()->height())
            return {};
    }
    const QTextLayout& laidOut = layout(spot.line);
    const QTextLine row = laidOut.lineForTextPosition(int(spot.column));
    if (!row.isValid())
        return {};
    const qreal left = row.cursorToX(int(spot.column));
    qreal right = spot.column < laidOut.text().size() ? row.cursorToX(int(spot.column) + 1) : left;
    if (right <= left)
        right = left + fontMetrics().averageCharWidth();
    return QRectF(Margin + left, y + row.y(), right - left, row.height()).toAlignedRect();
}

void LogView::scrollToLine(qsizetype line)
{
    const qsizetype shown = verticalScrollBar()->pageStep();
    if (line < top() || line >= top() + shown)
        verticalScrollBar()->setValue(int(std::min<qsizetype>(line, verticalScrollBar()->maximum())));
}

void LogView::notifySelection() const
{
    if (!QAccessible::isActive())
        return;
    auto* self = const_cast<LogView*>(this);
    const int caret = int(offsetOf(caret_));
    if (hasSelection()) {
        QAccessibleTextSelectionEvent selected(self, int(offsetOf(std::min(anchor_, caret_))),
                                               int(offsetOf(std::max(anchor_, caret_))));
        selected.setCursorPosition(caret);
        QAccessible::updateAccessibility(&selected);
    } else {
        QAccessibleTextCursorEvent moved(self, caret);
        QAccessible::updateAccessibility(&moved);
    }
}

void LogView::indexOffsets() const
{
    if (offsets_.empty())
        offsets_.push_back(0);
    for (auto line = static_cast<qsizetype>(offsets_.size()); line < lineCount(); ++line)
        offsets_.push_back(offsets_.back() + lineText(line - 1).size() + 1);
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
    const QPoint point = event->position().toPoint();
    const auto doubleClick = std::exchange(doubleClick_, std::nullopt);
    if (doubleClick && event->timestamp() - doubleClick->first < quint64(QGuiApplication::styleHints()->mouseDoubleClickInterval())
        && (point - doubleClick->second).manhattanLength() < QApplication::startDragDistance()) {
        // The third click: the whole line, as it was written (not the row
        // it wraps to).
        const qsizetype line = spotAt(point).line;
        select({line, 0}, {line, lineText(line).size()});
        return;
    }
    caret_ = spotAt(point);
    if (!(event->modifiers() & Qt::ShiftModifier))
        anchor_ = caret_;
    viewport()->update();
    notifySelection();
}

void LogView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mouseDoubleClickEvent(event);
    const QPoint point = event->position().toPoint();
    const Spot spot = spotAt(point, QTextLine::CursorOnCharacter);
    const QString text = lineText(spot.line);
    doubleClick_ = std::pair{event->timestamp(), point};
    if (text.isEmpty())
        return;
    // The word (or the run of spaces or the sign) under the pointer; past
    // the end of a line, its last one.
    QTextBoundaryFinder words(QTextBoundaryFinder::Word, text);
    const qsizetype at = std::min(spot.column, text.size() - 1);
    words.setPosition(at);
    qsizetype start = at;
    if (!words.isAtBoundary()) {
        const qsizetype previous = words.toPreviousBoundary();
        start = previous < 0 ? 0 : previous;
    }
    words.setPosition(at);
    const qsizetype next = words.toNextBoundary();
    select({spot.line, start}, {spot.line, next < 0 ? text.size() : next});
}

void LogView::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
    event->accept();
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
    notifySelection();
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
        selectAll();
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

LogView::Spot LogView::spotAt(QPoint point, QTextLine::CursorPosition edge) const
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
                    return {line, row.xToCursor(point.x() - Margin, edge)};
            }
        }
        y += lineHeight;
    }
    return end();
}
