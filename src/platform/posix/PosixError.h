#pragma once

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/RuntimeError.h"

namespace tamrel {

// The system's number and text for a failed call, naming what it was done to.
inline RuntimeError PosixError(int number, const std::string& subject) {
    return RuntimeError(number, std::string(std::strerror(number)) + ": " + subject);
}

}  // namespace tamrel
