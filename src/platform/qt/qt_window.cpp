#include "platform/qt/qt_window.h"

#include "platform/qt/qt_log_view.h"
#include "platform/qt/qt_text.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTextLayout>

#include <array>
#include <limits>

namespace {

// The property that keeps a caption's exact bytes where the widget shows
// them changed (line breaks).
constexpr const char* CaptionProperty = "tavrelleCaption";

class MainWindow : public QWidget {
public:
    explicit MainWindow(const platform::WindowEvents& events) : events_(events) {}

    bool isOpen() const { return open_; }

    // The outer size the program asked for; the client area is that less
    // the frame, which is only known once the window manager has framed it.
    void setOuterSize(int width, int height)
    {
        outerWidth_ = width;
        outerHeight_ = height;
        applyOuterSize();
    }
    int outerWidth() const { return outerWidth_; }
    int outerHeight() const { return outerHeight_; }

    void applyOuterSize()
    {
        const QRect frame = frameGeometry();
        const QRect client = geometry();
        const int frameWidth = isVisible() ? frame.width() - client.width() : 0;
        const int frameHeight = isVisible() ? frame.height() - client.height() : 0;
        setFixedSize(qMax(0, outerWidth_ - frameWidth), qMax(0, outerHeight_ - frameHeight));
    }

protected:
    void closeEvent(QCloseEvent* event) override
    {
        if (open_) {
            events_.closing();
            open_ = false;
        }
        event->accept();
    }

    // A window manager frames the window after it is shown and may change
    // the frame later (theme, title font): the client area follows so that
    // the outer size stays what the program asked for.
    void showEvent(QShowEvent* event) override
    {
        QWidget::showEvent(event);
        applyOuterSize();
    }
    void moveEvent(QMoveEvent* event) override
    {
        QWidget::moveEvent(event);
        applyOuterSize();
    }
    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        applyOuterSize();
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Pressing on the background, a group box, a label or the panel
        // and moving drags the window.
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) {
                dragOffset_ = mouse->globalPosition().toPoint() - frameGeometry().topLeft();
                dragging_ = true;
                return true;
            }
            break;
        }
        case QEvent::MouseMove:
            if (dragging_ && (static_cast<QMouseEvent*>(event)->buttons() & Qt::LeftButton)) {
                move(static_cast<QMouseEvent*>(event)->globalPosition().toPoint() - dragOffset_);
                return true;
            }
            break;
        case QEvent::MouseButtonRelease:
            dragging_ = false;
            break;
        default:
            break;
        }
        return QWidget::eventFilter(watched, event);
    }

private:
    platform::WindowEvents events_;
    bool open_ = true;
    int outerWidth_ = MainWindowWidth;
    int outerHeight_ = MainWindowHeight;
    bool dragging_ = false;
    QPoint dragOffset_;
};

MainWindow* window = nullptr;
std::array<QWidget*, ControlCount> widgets{};

QFont fontOf(const ControlSpec& entry)
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

// The thickness of a sunken 3-D edge on the desktop the program was drawn
// for; a single-line box leaves room for two of them around its line.
constexpr int EdgeThickness = 2;

// A single-line box is never shorter than one line of its font: the height
// of a Chinese character (the font's pixel height) and two edges.
int editHeight(const ControlSpec& entry, const QFont& font, int height)
{
    if (entry.multiLine)
        return height;
    const int character = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    return qMax(height, character + 2 * EdgeThickness);
}

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

QWidget* makeEditBox(const ControlSpec& entry, QWidget* parent, const QFont& font)
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
    (void)font;
    return box;
}

QWidget* makeControl(const ControlSpec& entry, QWidget* parent, const QFont& font)
{
    switch (entry.kind) {
    case ControlKind::EditBox:
        return makeEditBox(entry, parent, font);
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

void connectClicks(ControlId id, QWidget* widget, void (*clicked)(ControlId))
{
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        QObject::connect(button, &QAbstractButton::clicked, button, [id, clicked] { clicked(id); });
}

} // namespace

namespace qtwindow {

QWidget* widget(ControlId id)
{
    if (!window || id < 0 || id >= ControlCount)
        return nullptr;
    return widgets[static_cast<std::size_t>(id)];
}

QWidget* mainWindow()
{
    return window;
}

} // namespace qtwindow

namespace platform {

bool buildMainWindow(const WindowEvents& events)
{
    const ControlSpec& self = controlSpec(WindowSelf);
    window = new MainWindow(events);
    window->setWindowTitle(toQString(self.text));
    window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    paintWhite(window);
    window->setOuterSize(self.width, self.height);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        window->move(area.x() + (area.width() - self.width) / 2, area.y() + (area.height() - self.height) / 2);
    }
    widgets[WindowSelf] = window;
    window->setProperty(CaptionProperty, QByteArray(self.text));

    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    escape->setContext(Qt::WindowShortcut);
    QObject::connect(escape, &QShortcut::activated, window, &QWidget::close);

    // Created in table order (the tab order); the containers come later in
    // the table than what they hold, so they are made first.
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 1; i < ControlCount; ++i) {
            const ControlSpec& entry = controlSpec(static_cast<ControlId>(i));
            const bool container = entry.kind == ControlKind::GroupBox || entry.kind == ControlKind::Panel;
            if ((pass == 0) != container)
                continue;
            QWidget* parent = widgets[static_cast<std::size_t>(entry.container)];
            const QFont font = fontOf(entry);
            QWidget* control = makeControl(entry, parent, font);
            control->setFont(font);
            control->setGeometry(entry.left, entry.top, entry.width,
                                 entry.kind == ControlKind::EditBox ? editHeight(entry, font, entry.height)
                                                                   : entry.height);
            control->setFocusPolicy(entry.isTabStop() ? Qt::StrongFocus : Qt::NoFocus);
            control->setVisible(entry.visible);
            if (dragsWindow(entry.kind))
                control->installEventFilter(window);
            connectClicks(entry.id, control, events.clicked);
            widgets[static_cast<std::size_t>(i)] = control;
        }
    }
    window->installEventFilter(window);

    // Earlier in the table lies on top: raise from the last entry to the first.
    for (int i = ControlCount - 1; i >= 1; --i)
        widgets[static_cast<std::size_t>(i)]->raise();
    // Tab order follows the table.
    QWidget* previous = nullptr;
    for (int i = 1; i < ControlCount; ++i) {
        QWidget* control = widgets[static_cast<std::size_t>(i)];
        if (!controlSpec(static_cast<ControlId>(i)).isTabStop())
            continue;
        if (previous)
            QWidget::setTabOrder(previous, control);
        previous = control;
    }

    events.created();

    window->show();
    window->activateWindow();
    window->raise();
    return true;
}

bool mainWindowOpen()
{
    return window && window->isOpen();
}

Text controlText(ControlId id)
{
    QWidget* control = qtwindow::widget(id);
    if (auto* line = qobject_cast<QLineEdit*>(control))
        return fromQString(line->text());
    if (auto* log = dynamic_cast<LogView*>(control))
        return log->bytes().toStdString();
    if (auto* tick = qobject_cast<QCheckBox*>(control))
        return fromQString(tick->text());
    if (auto* button = qobject_cast<QPushButton*>(control))
        return fromQString(button->text());
    if (auto* group = qobject_cast<QGroupBox*>(control))
        return fromQString(group->title());
    const QVariant caption = control ? control->property(CaptionProperty) : QVariant();
    return caption.isValid() ? caption.toByteArray().toStdString() : Text();
}

void setControlText(ControlId id, const Text& text)
{
    QWidget* control = qtwindow::widget(id);
    if (auto* line = qobject_cast<QLineEdit*>(control)) {
        line->setText(toQString(text));
    } else if (auto* log = dynamic_cast<LogView*>(control)) {
        log->setBytes(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(toQString(text));
    } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
        group->setTitle(toQString(text));
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(toDisplayLines(text));
        label->setProperty(CaptionProperty, QByteArray::fromStdString(text));
    } else if (control == window) {
        window->setWindowTitle(toQString(text));
        window->setProperty(CaptionProperty, QByteArray::fromStdString(text));
    }
}

bool controlTicked(ControlId id)
{
    auto* tick = qobject_cast<QCheckBox*>(qtwindow::widget(id));
    return tick && tick->isChecked();
}

void appendControlText(ControlId id, const Text& text)
{
    QWidget* control = qtwindow::widget(id);
    if (auto* log = dynamic_cast<LogView*>(control)) {
        log->appendBytes(text);
    } else if (auto* line = qobject_cast<QLineEdit*>(control)) {
        line->setText(line->text() + toQString(text));
        line->end(false);
    }
}

void setControlLeft(ControlId id, int left)
{
    if (QWidget* control = qtwindow::widget(id))
        control->move(left, control == window ? window->frameGeometry().top() : control->y());
}

void setControlTop(ControlId id, int top)
{
    if (QWidget* control = qtwindow::widget(id))
        control->move(control == window ? window->frameGeometry().left() : control->x(), top);
}

void setControlWidth(ControlId id, int width)
{
    QWidget* control = qtwindow::widget(id);
    if (control == window)
        window->setOuterSize(width, window->outerHeight());
    else if (control)
        control->resize(width, control->height());
}

void setControlHeight(ControlId id, int height)
{
    QWidget* control = qtwindow::widget(id);
    if (control == window) {
        window->setOuterSize(window->outerWidth(), height);
    } else if (control) {
        const ControlSpec& entry = controlSpec(id);
        control->resize(control->width(),
                        entry.kind == ControlKind::EditBox ? editHeight(entry, control->font(), height) : height);
    }
}

void setControlVisible(ControlId id, bool visible)
{
    if (QWidget* control = qtwindow::widget(id))
        control->setVisible(visible);
}

} // namespace platform
