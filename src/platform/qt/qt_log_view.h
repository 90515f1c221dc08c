// The multi-line read-only log box of the Linux build.
#pragma once

#include <QAbstractScrollArea>
#include <QByteArray>
#include <QTextLayout>

class QMenu;

#include <compare>
#include <memory>
#include <optional>
#include <utility>
#include <unordered_map>
#include <vector>

// Keeps its text once, as the bytes it was given (CP936, CR LF line breaks),
// with the offset of each line, and lays out and paints only the lines in
// view: a log of 100,000 lines costs little more than its text, and an
// append moves the pixels already shown and paints only what it added.
// Long lines wrap at the box's width. The scroll bar counts lines (its value
// is the top line in view), so a line out of view is never laid out.
class LogView : public QAbstractScrollArea {
public:
    // A place in the text: a line and a UTF-16 column in it.
    struct Spot {
        qsizetype line = 0;
        qsizetype column = 0;
        auto operator<=>(const Spot&) const = default;
    };

    explicit LogView(QWidget* parent = nullptr);
    ~LogView() override;

    const QByteArray& bytes() const { return text_; }
    void setBytes(QByteArrayView text);
    // Adds at the end whatever the user selected, puts the caret at the end
    // and scrolls the end into view.
    void appendBytes(QByteArrayView text);

    qsizetype lineCount() const { return static_cast<qsizetype>(starts_.size()); }
    Spot caret() const { return caret_; }
    Spot anchor() const { return anchor_; }
    Spot end() const;
    bool hasSelection() const { return anchor_ != caret_; }
    void select(Spot anchor, Spot caret);
    // Lines joined with LF, as Qt's text boxes copy them.
    QString selectedText() const;
    void copy() const;
    void selectAll();
    // The right-click menu: 复制 and 全选, each enabled when it applies.
    QMenu* createContextMenu();

    // The text as a screen reader sees it: lines joined with LF, places as
    // offsets of UTF-16 characters from its start.
    qsizetype characterCount() const;
    qsizetype offsetOf(Spot spot) const;
    Spot spotAt(qsizetype offset) const;
    QString textRange(qsizetype from, qsizetype to) const;
    // Where a character shows in the box, or an empty rectangle when it is
    // out of view.
    QRect characterRect(qsizetype offset) const;
    void scrollToLine(qsizetype line);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QByteArrayView lineBytes(qsizetype line) const;
    QString lineText(qsizetype line) const;
    // The laid-out line (cached while near the view) and its height.
    QTextLayout& layout(qsizetype line) const;
    int height(qsizetype line) const { return qCeil(layout(line).boundingRect().height()); }
    void forgetLayouts();
    void trimLayouts() const;
    void indexLines(qsizetype from);
    int endTop() const;
    void updateRange();
    qsizetype top() const;
    // Where the top line starts: the margin, or above the view when the
    // last line alone is taller than it and the end is in view.
    int topY() const;
public:
    // The place under a point of the viewport: between the characters
    // nearest to it, or with CursorOnCharacter before the one under it.
    Spot spotAt(QPoint point, QTextLine::CursorPosition edge = QTextLine::CursorBetweenCharacters) const;

private:
    // Tells the accessibility bus what changed.
    void notifySelection() const;
    void indexOffsets() const;

    QByteArray text_;
    std::vector<qsizetype> starts_{0};
    mutable std::unordered_map<qsizetype, std::unique_ptr<QTextLayout>> layouts_;
    Spot anchor_;
    Spot caret_;
    bool appending_ = false;
    // The offset of the start of each line it covers: made when a screen
    // reader asks, kept while those lines do not change (an append changes
    // only the last line).
    mutable std::vector<qsizetype> offsets_;
    // A double click's time and place: a press soon after, nearby, is the
    // third click and selects the line.
    std::optional<std::pair<quint64, QPoint>> doubleClick_;
};
