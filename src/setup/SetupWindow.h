#pragma once
// The setup window. Until setup mode is built, opening it is a seam: the
// opening is recorded and the program ends.

namespace tamrel {

class Application;

class SetupWindow {
public:
    explicit SetupWindow(Application& app) : app_(app) {}
    void Show();
    bool IsOpen() const { return false; }

private:
    Application& app_;
};

}  // namespace tamrel
