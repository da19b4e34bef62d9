#pragma once
// The one way this backend includes the Windows headers: ANSI functions,
// no min/max macros, and none of the macros that collide with the names of
// the platform interfaces.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0601
#endif

#include <windows.h>

// FileSystem::ReplaceFile is ours; the system's function of that name is not
// used.
#undef ReplaceFile
