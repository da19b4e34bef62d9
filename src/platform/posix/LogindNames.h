#pragma once
// Where systemd-logind answers on the system bus.

namespace tamrel::logind {

inline constexpr const char* kService = "org.freedesktop.login1";
inline constexpr const char* kPath = "/org/freedesktop/login1";
inline constexpr const char* kManager = "org.freedesktop.login1.Manager";

}  // namespace tamrel::logind
