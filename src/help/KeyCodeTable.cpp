#include "help/KeyCodeTable.h"

namespace tamrel {

namespace {

// Two blanks, the code, blanks to the second column, the key.
constexpr const char* kRows[] = {
    "  8                                       [backspace]",
    "  9                                               [tab]",
    "  13                                      [enter] or [return]",
    "  27                                          [esc]",
    "  32                                        [space bar]",
    "  49                                              [1]",
    "  50                                              [2]",
    "  51                                              [3]",
    "  52                                              [4]",
    "  53                                              [5]",
    "  54                                              [6]",
};

constexpr ui::Twips kLeft = 240;
constexpr ui::Twips kTop = 240;
constexpr ui::Twips kTableWidth = 6000;
constexpr ui::Twips kColumn = 1800;  // where the second column begins
constexpr ui::Twips kRow = 300;
constexpr int kRowCount = static_cast<int>(std::size(kRows));
constexpr ui::Twips kThin = 15;  // a pixel at 96 dots per inch

}  // namespace

KeyCodeTable::KeyCodeTable(Platform& platform, Navigator& navigator)
    : HelpWindow(platform, navigator, "KeyCodeTable", "Some common keyboard ASCII codes", kLeft + kTableWidth + 2040,
                 kTop + (kRowCount + 2) * kRow + 480) {
    const ui::Twips height = (kRowCount + 1) * kRow;
    AddLabel("codeHeading", "Code number:", {kLeft + 60, kTop + 30, kColumn - 120, kRow - 60});
    AddLabel("keyHeading", "Keyboard key:", {kLeft + kColumn + 60, kTop + 30, kTableWidth - kColumn - 120, kRow - 60});
    // In the window's own font the run of blanks carries each key's name
    // into the second column.
    for (int row = 0; row < kRowCount; ++row) {
        AddLabel("row" + std::to_string(row + 1), kRows[row], {kLeft, kTop + (row + 1) * kRow + 30, kTableWidth, kRow - 60});
    }
    // The frame: the outer edges, the line between the columns, and a line
    // under the headings and under every row.
    int line = 0;
    const auto draw = [&](const ui::Rect& bounds) {
        window_->AddControl(ui::ControlKind::Line, "line" + std::to_string(++line), nullptr, bounds);
    };
    draw({kLeft, kTop, kTableWidth, kThin});
    draw({kLeft, kTop, kThin, height});
    draw({kLeft + kTableWidth, kTop, kThin, height + kThin});
    draw({kLeft, kTop + height, kTableWidth, kThin});
    draw({kLeft + kColumn, kTop, kThin, height});
    for (int row = 1; row <= kRowCount; ++row) draw({kLeft, kTop + row * kRow, kTableWidth, kThin});
    AddLabel("buttonNote", "Joystick buttons have no code: press one in the key box.",
             {kLeft, kTop + height + 90, kTableWidth, kRow - 60});
    AddButton("close", "Close", {kLeft + kTableWidth + 360, kTop + height - 420, 1320, 420}, [this] { Close(); });
    Show();
}

}  // namespace tamrel
