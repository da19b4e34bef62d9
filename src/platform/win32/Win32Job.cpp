#include "platform/win32/Win32Job.h"

#include <algorithm>

namespace tamrel::win32 {

namespace {

BOOL CALLBACK PostClose(HWND window, LPARAM processes) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    const auto& wanted = *reinterpret_cast<const std::vector<DWORD>*>(processes);
    if (std::find(wanted.begin(), wanted.end(), owner) != wanted.end()) ::PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

}  // namespace

std::vector<DWORD> ProcessesInJob(HANDLE job) {
    // The list's two counts, then its ids; room for more as the job grows.
    for (std::size_t room = 16;; room *= 2) {
        std::vector<ULONG_PTR> buffer(room + 2);
        auto* list = reinterpret_cast<JOBOBJECT_BASIC_PROCESS_ID_LIST*>(buffer.data());
        const auto bytes = static_cast<DWORD>(buffer.size() * sizeof(ULONG_PTR));
        if (!::QueryInformationJobObject(job, JobObjectBasicProcessIdList, list, bytes, nullptr) &&
            ::GetLastError() != ERROR_MORE_DATA) {
            return {};
        }
        if (list->NumberOfAssignedProcesses <= list->NumberOfProcessIdsInList || room > 65536) {
            std::vector<DWORD> ids;
            for (DWORD i = 0; i < list->NumberOfProcessIdsInList; ++i) {
                ids.push_back(static_cast<DWORD>(list->ProcessIdList[i]));
            }
            return ids;
        }
    }
}

void CloseWindowsOf(const std::vector<DWORD>& processes) {
    ::EnumWindows(PostClose, reinterpret_cast<LPARAM>(&processes));
}

}  // namespace tamrel::win32
