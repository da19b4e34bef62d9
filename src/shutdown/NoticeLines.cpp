#include "shutdown/NoticeLines.h"

#include <algorithm>
#include <cmath>

#include "settings/Text.h"

namespace tamrel {

namespace {

// Where the backend cannot measure: a few lines of the notice's font.
constexpr int kRowsUnmeasured = 7;

}  // namespace

std::string NoticeLines(const ui::Control& label, const std::vector<std::string>& lines) {
    const ui::Rect room = label.Bounds();
    const ui::Twips rowHeight = label.MeasureText("Wg").height;
    const int rows = rowHeight > 0 ? static_cast<int>(room.height / rowHeight) : kRowsUnmeasured;
    const auto rowsOf = [&](const std::string& line) {
        const ui::Twips width = label.MeasureText(line).width;
        return room.width > 0 && width > room.width ? static_cast<int>(std::ceil(width / room.width)) : 1;
    };
    int needed = 0;
    for (const std::string& line : lines) needed += rowsOf(line);
    // One row is kept for the count when not all fit.
    const int free = needed <= rows ? rows : std::max(rows - 1, 0);
    std::string text;
    std::size_t shown = 0;
    // The first is shown whatever its length: the label cuts it.
    for (int used = 0; shown < lines.size() && (shown == 0 || used + rowsOf(lines[shown]) <= free); ++shown) {
        used += rowsOf(lines[shown]);
        text += (text.empty() ? "" : "\n") + lines[shown];
    }
    if (shown < lines.size()) text += "\nand " + PlainNumber(static_cast<long>(lines.size() - shown)) + " more";
    return text;
}

}  // namespace tamrel
