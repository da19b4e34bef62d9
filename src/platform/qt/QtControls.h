#pragma once
// The controls of a window: labels, frames, buttons and text boxes on Qt
// widgets. A click on a control is the control's own and never reaches the
// window behind it.

#include <QFont>
#include <QPointer>
#include <QWidget>
#include <optional>
#include <string>

#include "platform/Toolkit.h"
#include "platform/qt/QtUnits.h"

namespace tamrel::qt {

class ClickRelay;

class QtControl : public ui::Control {
public:
    // The widget is created as a child of `parent` and owned by it.
    QtControl(ui::ControlKind kind, const std::string& name, QWidget* parent, const Units& units,
              const ui::Rect& bounds);
    ~QtControl() override;
    QtControl(const QtControl&) = delete;
    QtControl& operator=(const QtControl&) = delete;

    const std::string& Name() const override { return name_; }
    void SetText(const std::string& text) override;
    std::string Text() const override;
    void SetBounds(const ui::Rect& bounds) override;
    ui::Rect Bounds() const override;
    void SetVisible(bool visible) override;
    bool Visible() const override { return visible_; }
    void SetEnabled(bool enabled) override;
    bool Enabled() const override { return enabled_; }
    void SetFont(const ui::Font& font) override;
    ui::Font GetFont() const override;
    void SetForeColor(ui::Color color) override;
    ui::Color ForeColor() const override;
    void SetToolTip(const std::string& tip) override;
    ui::TextSize MeasureText(const std::string& text) const override;
    void OnClick(std::function<void()> handler) override;
    void OnMouseDown(std::function<void(int buttons, ui::Twips x, ui::Twips y)> handler) override;

    QWidget* widget() const { return widget_; }
    // The window's own step after every mouse-down handler has returned
    // (where it starts a drag the handler asked for), with the press point.
    void AfterMouseDown(std::function<void(QPoint at)> step);

private:
    ui::ControlKind kind_;
    std::string name_;
    Units units_;
    QPointer<QWidget> widget_;
    QPointer<ClickRelay> clicks_;
    bool visible_ = true;
    bool enabled_ = true;
    std::optional<ui::Color> foreColor_;
};

// The font a control gets. For a family that is not installed fontconfig
// may pick a script face (for Comic Sans MS) or a wide one, and texts laid
// out for the Windows fonts then wrap; the font that stands in for Arial
// (same widths) replaces every missing proportional family, and fontconfig's
// own choice is kept for a monospaced one.
QFont ResolvedFont(const ui::Font& font, const QFont& base);

// Colour values (red + 256 * green + 65536 * blue) and Qt colours.
ui::Color WindowsColor(const QColor& color);
QColor QtColor(ui::Color color);

}  // namespace tamrel::qt
