#pragma once
// The processes a program's job holds, and asking them to close.

#include <vector>

#include "platform/win32/Win32Api.h"

namespace tamrel::win32 {

// The ids of the processes in the job; none when the system does not tell.
std::vector<DWORD> ProcessesInJob(HANDLE job);

// Posts WM_CLOSE to every top-level window of these processes, as closing
// them by hand would: posted, so a hung window cannot hold the caller.
void CloseWindowsOf(const std::vector<DWORD>& processes);

}  // namespace tamrel::win32
