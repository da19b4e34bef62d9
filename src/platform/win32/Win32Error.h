#pragma once
// Failed system calls as run-time errors: the system's number and its own
// description, with the file or program the call was about.

#include <string>

#include "platform/RuntimeError.h"

namespace tamrel::win32 {

// The system's text for an error number, without its line end and final
// full stop; a number the system has no text for is named as such.
std::string SystemMessage(unsigned long number);

RuntimeError SystemError(unsigned long number, const std::string& subject);
// GetLastError of the call that just failed.
RuntimeError LastError(const std::string& subject);
// errno of the C runtime call that just failed.
RuntimeError RuntimeLibraryError(int number, const std::string& subject);

}  // namespace tamrel::win32
