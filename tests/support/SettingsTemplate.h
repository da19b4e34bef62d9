#pragma once
// Settings files for tests, made by the writer setup uses, so that every
// suite starts from the file a user really has.

#include <string>
#include <vector>

namespace tamrel::test {

// The writer's 64 lines for a cabinet that powers off after 10 seconds,
// Escape to cancel, no re-start key, the default look; each override
// "Key =value" replaces the line of that key (matched as the readers match
// it), "-Key =" removes it, and a line of no key is added at the end.
std::vector<std::string> SettingsTemplate(const std::vector<std::string>& overrides = {});

}  // namespace tamrel::test
