#pragma once
// A form's window on Qt: a top-level widget with its controls, timers, menu
// bar and dialogs. A full-screen or maximised window covers the primary
// screen (its free part, for a maximised one) with or without a window
// manager.

#include <QPointer>
#include <memory>
#include <vector>

#include "platform/Toolkit.h"
#include "platform/qt/QtControls.h"
#include "platform/qt/QtMenus.h"
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
    void BringToFront() override;
    void Close() override;
    ui::Twips Width() const override;
    ui::Twips Height() const override;
    void SetPicture(const std::string& bitmapPath) override;
    void ClearPicture() override;
    void Refresh() override;
    void TakeFocus() override;
    void OnKeyPress(std::function<void(int& code)> handler) override;
    void OnClick(std::function<void()> handler) override;

    void OnCloseRequest(std::function<void()> handler) override;
    void SetMenuBar(const std::vector<ui::MenuDef>& menus) override;
    void SetMenuCaption(ui::MenuId id, const std::string& caption) override;
    std::string MenuCaption(ui::MenuId id) const override;
    void SetMenuEnabled(ui::MenuId id, bool enabled) override;
    bool MenuEnabled(ui::MenuId id) const override;
    void OnMenu(std::function<void(ui::MenuId id)> handler) override;
    ui::ChosenFile ShowOpenDialog(const ui::OpenFileRequest& request) override;
    ui::Font ShowFontDialog(const ui::Font& start) override;
    ui::Color ShowColorDialog(ui::Color start) override;
    ui::TimeAnswer ShowTimeDialog(const ui::TimeRequest& request) override;
    void BeginDrag(ui::Control& control) override;
    void OnDragDrop(std::function<void(ui::Twips x, ui::Twips y)> handler) override;

    QWidget* widget() const { return widget_; }

private:
    void StartDrag(QPoint hotSpot);

    QtToolkit& toolkit_;
    ui::WindowSpec spec_;
    Units units_;
    QPointer<WindowWidget> widget_;
    std::vector<std::unique_ptr<QtControl>> controls_;
    std::vector<std::unique_ptr<QtTimer>> timers_;
    MenuTable menus_;
    std::function<void(ui::MenuId)> onMenu_;
    QPointer<QWidget> dragging_;  // asked for by the running mouse-down handler
    bool closed_ = false;
};

}  // namespace tamrel::qt
