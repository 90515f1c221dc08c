#include "platform/qt/qt_window.h"

#include "platform/qt/qt_log_view.h"
#include "platform/qt/qt_text.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

#include <array>

using namespace qtwindow;

namespace {

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
            const QFont font = fontFor(entry);
            QWidget* control = createControl(entry, parent);
            control->setFont(font);
            control->setGeometry(entry.left, entry.top, entry.width,
                                 entry.kind == ControlKind::EditBox ? editBoxHeight(entry, font, entry.height)
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

void runMessageLoop()
{
    QApplication::exec();
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
                        entry.kind == ControlKind::EditBox ? editBoxHeight(entry, control->font(), height) : height);
    }
}

void setControlVisible(ControlId id, bool visible)
{
    if (QWidget* control = qtwindow::widget(id))
        control->setVisible(visible);
}

} // namespace platform
