#include "platform/qt/QtControls.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QFontInfo>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <cmath>

namespace tamrel::qt {

// Reports the control's mouse presses, and its clicks: a left press and
// release on it. With `clicksFromMouse` false the control reports its clicks
// itself (a button, which the keyboard can click too).
class ClickRelay : public QObject {
public:
    ClickRelay(QWidget* control, QWidget* mouseTarget, bool clicksFromMouse)
        : QObject(control), control_(control), clicksFromMouse_(clicksFromMouse) {
        mouseTarget->installEventFilter(this);
    }

    void Fire() {
        if (!handler || !control_->isVisible() || !control_->isEnabled()) return;
        auto copy = handler;  // the handler may destroy the window
        copy();
    }

    std::function<void()> handler;
    std::function<void(int buttons, QPoint at)> pressed;
    std::function<void(QPoint at)> afterPressed;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick: {
                auto& mouse = static_cast<QMouseEvent&>(*event);
                if (mouse.button() == Qt::LeftButton) leftDown_ = true;
                Pressed(mouse);
                return false;
            }
            case QEvent::MouseButtonRelease: {
                auto& mouse = static_cast<QMouseEvent&>(*event);
                if (mouse.button() != Qt::LeftButton) return false;
                const bool pressedHere = leftDown_;
                leftDown_ = false;
                auto* widget = static_cast<QWidget*>(watched);
                if (clicksFromMouse_ && pressedHere && widget->rect().contains(mouse.position().toPoint())) Fire();
                return false;
            }
            default: return false;
        }
    }

private:
    void Pressed(const QMouseEvent& mouse) {
        if (!control_->isEnabled()) return;
        const QPoint at = mouse.position().toPoint();
        int buttons = 0;
        if (mouse.buttons() & Qt::LeftButton) buttons |= ui::kLeftButton;
        if (mouse.buttons() & Qt::RightButton) buttons |= ui::kRightButton;
        if (mouse.buttons() & Qt::MiddleButton) buttons |= ui::kMiddleButton;
        // Copies, and the members looked at again after each call: the
        // handler may destroy the control, which clears them.
        if (pressed) {
            auto copy = pressed;
            copy(buttons, at);
        }
        if (afterPressed) {
            auto copy = afterPressed;
            copy(at);
        }
        // A drag started there took the release for itself.
        if (!(QGuiApplication::mouseButtons() & Qt::LeftButton)) leftDown_ = false;
    }

    QWidget* control_;
    bool clicksFromMouse_;
    bool leftDown_ = false;
};

namespace {

QWidget* MakeWidget(ui::ControlKind kind, QWidget* parent) {
    switch (kind) {
        case ui::ControlKind::Label: {
            auto* label = new QLabel(parent);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setWordWrap(true);
            return label;
        }
        case ui::ControlKind::Frame: {
            auto* frame = new QGroupBox(parent);
            // Opaque, like a panel: it hides the picture behind it.
            frame->setAutoFillBackground(true);
            return frame;
        }
        case ui::ControlKind::Button: return new QPushButton(parent);
        case ui::ControlKind::TextBox: {
            auto* box = new QPlainTextEdit(parent);
            box->setReadOnly(true);
            // Tab leaves the box, where the window lets it move the focus.
            box->setTabChangesFocus(true);
            return box;
        }
        case ui::ControlKind::Line: {
            auto* line = new QFrame(parent);
            line->setFrameShape(QFrame::NoFrame);
            line->setAutoFillBackground(true);
            line->setBackgroundRole(QPalette::WindowText);
            return line;
        }
    }
    return new QWidget(parent);
}

QString StandInFamily(const QString& family) {
    const QFontInfo choice{QFont(family)};
    if (choice.fixedPitch()) return choice.family();
    return QFontInfo(QFont(QStringLiteral("Arial"))).family();
}

QPalette::ColorRole TextRole(ui::ControlKind kind) {
    switch (kind) {
        case ui::ControlKind::Button: return QPalette::ButtonText;
        case ui::ControlKind::TextBox: return QPalette::Text;
        default: return QPalette::WindowText;
    }
}

}  // namespace

ui::Color WindowsColor(const QColor& color) { return color.red() + 256 * color.green() + 65536 * color.blue(); }

QColor QtColor(ui::Color color) {
    const auto value = static_cast<std::uint32_t>(color);
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

QFont ResolvedFont(const ui::Font& font, const QFont& base) {
    QFont resolved = base;
    QString family = QString::fromLocal8Bit(font.name);
    if (!family.isEmpty()) {
        if (!QFontDatabase::hasFamily(family)) family = StandInFamily(family);
        resolved.setFamilies({family});
    }
    if (font.size > 0) resolved.setPointSizeF(font.size);
    resolved.setBold(font.bold);
    resolved.setItalic(font.italic);
    return resolved;
}

QtControl::QtControl(ui::ControlKind kind, const std::string& name, QWidget* parent, const Units& units,
                     const ui::Rect& bounds)
    : kind_(kind), name_(name), units_(units), widget_(MakeWidget(kind, parent)) {
    widget_->setObjectName(QString::fromLocal8Bit(name));
    // Whatever the control does with a mouse event, the window behind it
    // never sees it.
    widget_->setAttribute(Qt::WA_NoMousePropagation);
    auto* button = qobject_cast<QPushButton*>(widget_);
    QWidget* mouseTarget = widget_.data();
    if (auto* box = qobject_cast<QPlainTextEdit*>(widget_)) mouseTarget = box->viewport();
    clicks_ = new ClickRelay(widget_, mouseTarget, button == nullptr);
    if (button) {
        QObject::connect(button, &QPushButton::clicked, clicks_, [relay = clicks_.data()] { relay->Fire(); });
    }
    SetBounds(bounds);
    // Shown explicitly, so that it appears with its window and reports its
    // own flag before the window is shown.
    widget_->show();
}

QtControl::~QtControl() {
    if (!clicks_) return;
    clicks_->handler = nullptr;
    clicks_->pressed = nullptr;
    clicks_->afterPressed = nullptr;
}

void QtControl::SetText(const std::string& text) {
    if (!widget_) return;
    const QString value = QString::fromLocal8Bit(text);
    if (auto* label = qobject_cast<QLabel*>(widget_)) label->setText(value);
    if (auto* frame = qobject_cast<QGroupBox*>(widget_)) frame->setTitle(value);
    if (auto* button = qobject_cast<QPushButton*>(widget_)) button->setText(value);
    if (auto* box = qobject_cast<QPlainTextEdit*>(widget_)) box->setPlainText(value);
}

std::string QtControl::Text() const {
    if (!widget_) return {};
    QString value;
    if (auto* label = qobject_cast<QLabel*>(widget_)) value = label->text();
    if (auto* frame = qobject_cast<QGroupBox*>(widget_)) value = frame->title();
    if (auto* button = qobject_cast<QPushButton*>(widget_)) value = button->text();
    if (auto* box = qobject_cast<QPlainTextEdit*>(widget_)) value = box->toPlainText();
    return value.toLocal8Bit().toStdString();
}

void QtControl::SetBounds(const ui::Rect& bounds) {
    if (widget_) widget_->setGeometry(units_.Pixels(bounds));
}

ui::Rect QtControl::Bounds() const { return widget_ ? units_.Twips(widget_->geometry()) : ui::Rect{}; }

void QtControl::SetVisible(bool visible) {
    visible_ = visible;
    if (widget_) widget_->setVisible(visible);
}

void QtControl::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (widget_) widget_->setEnabled(enabled);
}

void QtControl::SetFont(const ui::Font& font) {
    if (widget_) widget_->setFont(ResolvedFont(font, widget_->font()));
}

ui::Font QtControl::GetFont() const {
    if (!widget_) return {};
    const QFontInfo info(widget_->font());
    return {info.family().toLocal8Bit().toStdString(), info.pointSizeF(), info.bold(), info.italic()};
}

void QtControl::SetForeColor(ui::Color color) {
    foreColor_ = color;
    if (!widget_) return;
    QPalette palette = widget_->palette();
    palette.setColor(TextRole(kind_), QtColor(color));
    widget_->setPalette(palette);
}

ui::Color QtControl::ForeColor() const {
    if (foreColor_) return *foreColor_;
    return widget_ ? WindowsColor(widget_->palette().color(TextRole(kind_))) : 0;
}

void QtControl::SetToolTip(const std::string& tip) {
    if (widget_) widget_->setToolTip(QString::fromLocal8Bit(tip));
}

ui::TextSize QtControl::MeasureText(const std::string& text) const {
    if (!widget_) return {};
    // One line, as the widget lays it out; whole pixels, rounded up, so
    // that a control of this size never wraps or clips the text.
    const QFontMetricsF metrics(widget_->font(), widget_);
    const qreal width = metrics.horizontalAdvance(QString::fromLocal8Bit(text));
    return {units_.Twips(static_cast<int>(std::ceil(width))),
            units_.Twips(static_cast<int>(std::ceil(metrics.height())))};
}

void QtControl::OnClick(std::function<void()> handler) {
    if (clicks_) clicks_->handler = std::move(handler);
}

void QtControl::OnMouseDown(std::function<void(int buttons, ui::Twips x, ui::Twips y)> handler) {
    if (!clicks_) return;
    if (!handler) {
        clicks_->pressed = nullptr;
        return;
    }
    clicks_->pressed = [handler = std::move(handler), units = units_](int buttons, QPoint at) {
        handler(buttons, units.Twips(at.x()), units.Twips(at.y()));
    };
}

void QtControl::AfterMouseDown(std::function<void(QPoint at)> step) {
    if (clicks_) clicks_->afterPressed = std::move(step);
}

}  // namespace tamrel::qt
