#pragma once
// Whether the settings file can keep the path of a file chosen in an Open
// dialog, and in which form.

#include <optional>
#include <string>

#include "platform/Toolkit.h"

namespace tamrel {

// The path as it is, or the system's short form where the code page cannot
// hold it; nothing, and in `refusal` why and what to do, where neither
// serves.
struct StoredPath {
    std::string path;
    std::string refusal;
};
StoredPath PathToStore(const ui::ChosenFile& chosen);

// The path to keep; nothing after Cancel, or once a refusal was shown in a
// box of this title.
std::optional<std::string> KeepChosenPath(ui::Toolkit& ui, const ui::ChosenFile& chosen, const std::string& title);

}  // namespace tamrel
