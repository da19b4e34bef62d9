#pragma once
// Shell links (.lnk files): what one starts, read whole.

#include <optional>
#include <string>

namespace tamrel {

struct Shortcut {
    std::wstring target, arguments, folder;
};

// The name ends with ".lnk", in any letter case.
bool IsShortcut(const std::string& path);

// What a shell link starts; nothing when the link cannot be read or its
// target is gone or a folder.
std::optional<Shortcut> ReadShortcut(const std::wstring& path);

}  // namespace tamrel
