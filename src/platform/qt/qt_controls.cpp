// The Qt widgets of the control kinds: one per table row, with the looks
// that the backend draws itself so that they match the table on any style.
#include "platform/qt/qt_log_view.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/qt_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleOption>
#include <QTextLayout>

#include <limits>

namespace {

// The thickness of a sunken 3-D edge on the desktop the program was drawn
// for; a single-line box leaves room for two of them around its line.
constexpr int EdgeThickness = 2;

// What a box has selected shows only while it has the focus.
void hideSelectionWithoutFocus(QPalette& palette, const QColor& text)
{
    palette.setColor(QPalette::Inactive, QPalette::Highlight, Qt::white);
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText, text);
}

// A group box drawn as a plain frame on white: the caption sits on the top
// line at the left, and the inside stays white.
class GroupBox : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QFontMetrics metrics = fontMetrics();
        const int line = metrics.height() / 2;
        painter.setPen(QColor(0xA0, 0xA0, 0xA0));
        painter.drawRect(0, line, width() - 1, height() - line - 1);
        if (title().isEmpty())
            return;
        const QRect caption(8, 0, metrics.horizontalAdvance(title()) + 4, metrics.height());
        painter.fillRect(caption, palette().color(QPalette::Window));
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(caption, Qt::AlignCenter, title());
    }
};

// A wrapping label: breaks its caption at word and line breaks, from the
// top, one line per character height of its font, as the desktop the
// program was drawn for spaces them (the prize rules fill their label).
class WrappingLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::WindowText));
        const int advance = font().pixelSize() > 0 ? font().pixelSize() : fontMetrics().height();
        qreal top = 0;
        for (const QString& paragraph : text().split(QLatin1Char('\n'))) {
            QTextLayout layout(paragraph, font());
            QTextOption option;
            option.setWrapMode(QTextOption::WordWrap);
            layout.setTextOption(option);
            layout.beginLayout();
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLineWidth(width());
                line.setPosition(QPointF(0, top));
                top += advance;
            }
            layout.endLayout();
            layout.draw(&painter, QPointF(0, 0));
        }
    }
};

// The single-line boxes' look: a one-pixel grey border on white, the text
// right inside it. One style object shared by every box: a style sheet per
// box costs a style object each at start-up, and one on the window changes
// the palette the push buttons inherit (their outline darkens).
class EditBoxStyle : public QProxyStyle {
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override
    {
        if (element != PE_PanelLineEdit)
            return QProxyStyle::drawPrimitive(element, option, painter, widget);
        painter->fillRect(option->rect, Qt::white);
        painter->setPen(QColor(0x7a, 0x7a, 0x7a));
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
    }
    QRect subElementRect(SubElement element, const QStyleOption* option, const QWidget* widget) const override
    {
        if (element == SE_LineEditContents)
            return option->rect.adjusted(1, 1, -1, -1);
        return QProxyStyle::subElementRect(element, option, widget);
    }
};

QStyle* editBoxStyle()
{
    // Never deleted: boxes may use it until the very end of the process.
    static QStyle* const style = new EditBoxStyle;
    return style;
}

QWidget* makeEditBox(const ControlSpec& entry, QWidget* parent)
{
    QPalette palette;
    palette.setColor(QPalette::Text, QColor(QRgb(entry.color)));
    palette.setColor(QPalette::Base, Qt::white);
    hideSelectionWithoutFocus(palette, QColor(QRgb(entry.color)));
    if (entry.multiLine) {
        // Only the log box is multi-line and read-only.
        auto* box = new LogView(parent);
        box->setPalette(palette);
        box->setBytes(entry.text);
        return box;
    }
    auto* box = new QLineEdit(parent);
    box->setMaxLength(std::numeric_limits<int>::max()); // no length limit
    box->setReadOnly(entry.readOnly);
    box->setAlignment((entry.align == Align::Center ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
    box->setPalette(palette);
    box->setFrame(false);
    box->setTextMargins(0, 0, 0, 0);
    box->setStyle(editBoxStyle());
    box->setText(toQString(entry.text));
    return box;
}

} // namespace

namespace qtwindow {

QFont fontFor(const ControlSpec& entry)
{
    QFont font = QApplication::font();
    if (entry.fontPixels > 0)
        font.setPixelSize(entry.fontPixels);
    font.setWeight(QFont::Normal);
    return font;
}

void paintWhite(QWidget* widget)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(widget->backgroundRole(), Qt::white); // Button for a tick box
    palette.setColor(QPalette::WindowText, Qt::black);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// A single-line box is never shorter than one line of its font: the height
// of a Chinese character (the font's pixel height) and two edges.
int editBoxHeight(const ControlSpec& entry, const QFont& font, int height)
{
    if (entry.multiLine)
        return height;
    const int character = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    return qMax(height, character + 2 * EdgeThickness);
}

QWidget* createControl(const ControlSpec& entry, QWidget* parent)
{
    switch (entry.kind) {
    case ControlKind::EditBox:
        return makeEditBox(entry, parent);
    case ControlKind::Label:
    case ControlKind::TransparentLabel: {
        auto* label = entry.wraps ? new WrappingLabel(toDisplayLines(entry.text), parent)
                                 : new QLabel(toDisplayLines(entry.text), parent);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(entry.wraps);
        label->setAlignment(entry.wraps ? (Qt::AlignLeft | Qt::AlignTop) : (Qt::AlignLeft | Qt::AlignVCenter));
        if (entry.kind == ControlKind::Label)
            paintWhite(label);
        label->setProperty(CaptionProperty, QByteArray(entry.text));
        return label;
    }
    case ControlKind::TickBox: {
        auto* box = new QCheckBox(toQString(entry.text), parent);
        box->setChecked(entry.ticked);
        paintWhite(box);
        return box;
    }
    case ControlKind::GroupBox: {
        auto* box = new GroupBox(toQString(entry.text), parent);
        paintWhite(box);
        return box;
    }
    case ControlKind::Panel: {
        auto* panel = new QFrame(parent);
        panel->setFrameStyle(QFrame::Box | QFrame::Plain);
        panel->setLineWidth(1);
        QPalette palette;
        palette.setColor(QPalette::Window, Qt::white);
        palette.setColor(QPalette::WindowText, Qt::white); // the outline
        panel->setPalette(palette);
        panel->setAutoFillBackground(true);
        return panel;
    }
    case ControlKind::PushButton:
        return new QPushButton(toQString(entry.text), parent);
    case ControlKind::Window:
        break;
    }
    return nullptr;
}

bool dragsWindow(ControlKind kind)
{
    return kind == ControlKind::GroupBox || kind == ControlKind::Label || kind == ControlKind::TransparentLabel ||
           kind == ControlKind::Panel;
}

} // namespace qtwindow
