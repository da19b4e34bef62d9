#include "TestPlatform.h"

#ifdef _WIN32
#include "platform/win32/Win32FileSystem.h"
#else
#include "platform/posix/PosixFileSystem.h"
#endif

namespace tamrel::test {

std::unique_ptr<FileSystem> MakeNativeFiles(const std::string& programFolder, const std::string& marker) {
#ifdef _WIN32
    return std::make_unique<Win32FileSystem>(programFolder, marker);
#else
    return std::make_unique<PosixFileSystem>(programFolder, marker);
#endif
}

}  // namespace tamrel::test
