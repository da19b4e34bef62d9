#pragma once
// A form's window on Qt: a top-level widget with its controls and timers.
// A full-screen window covers the primary screen with or without a window
// manager.

#include <QPointer>
#include <memory>
#include <vector>

#include "platform/Toolkit.h"
#include "platform/qt/QtControls.h"
#include "platform/qt/QtTimer.h"
#include "platform/qt/QtUnits.h"
#include "platform/qt/QtWindowWidget.h"

namespace tamrel::qt {

class QtToolkit;

class QtWindow : public ui::Window {
public:
    QtWindow(QtToolkit& toolkit, const ui::WindowSpec& spec);
    ~QtWindow() override;
    QtWindow(const QtWindow&) = delete;
    QtWindow& operator=(const QtWindow&) = delete;

    ui::Control& AddControl(ui::ControlKind kind, const std::string& name, ui::Control* parent,
                            const ui::Rect& bounds) override;
    ui::Timer& AddTimer(int intervalMs) override;
    void SetCaption(const std::string& caption) override;
    void Show() override;
    void Close() override;
    ui::Twips Width() const override;
    ui::Twips Height() const override;
    void SetPicture(const std::string& bitmapPath) override;
    void ClearPicture() override;
    void Refresh() override;
    void OnKeyPress(std::function<void(int& code)> handler) override;
    void OnClick(std::function<void()> handler) override;

    // Menus, dialogs, drag and close requests: not built on this backend yet.
    void OnCloseRequest(std::function<void()>) override {}
    void SetMenuBar(const std::vector<ui::MenuDef>&) override {}
    void SetMenuCaption(ui::MenuId, const std::string&) override {}
    std::string MenuCaption(ui::MenuId) const override { return {}; }
    void SetMenuEnabled(ui::MenuId, bool) override {}
    bool MenuEnabled(ui::MenuId) const override { return true; }
    void OnMenu(std::function<void(ui::MenuId)>) override {}
    std::string ShowOpenDialog(const ui::OpenFileRequest& request) override { return request.fileName; }
    ui::Font ShowFontDialog(const ui::Font& start) override { return start; }
    ui::Color ShowColorDialog(ui::Color start) override { return start; }
    void BeginDrag(ui::Control&) override {}
    void OnDragDrop(std::function<void(ui::Twips, ui::Twips)>) override {}

    QWidget* widget() const { return widget_; }

private:
    QtToolkit& toolkit_;
    ui::WindowSpec spec_;
    Units units_;
    QPointer<WindowWidget> widget_;
    std::vector<std::unique_ptr<QtControl>> controls_;
    std::vector<std::unique_ptr<QtTimer>> timers_;
    bool closed_ = false;
};

}  // namespace tamrel::qt
