#pragma once
// A failure that the error-catching handlers report by number and description.
// Backends raise it for failed file, folder, process and picture operations;
// the core raises it for values that do not convert.

#include <stdexcept>
#include <string>

namespace tamrel {

class RuntimeError : public std::runtime_error {
public:
    RuntimeError(long number, const std::string& description)
        : std::runtime_error(description), number_(number) {}
    long Number() const noexcept { return number_; }
    std::string Description() const { return what(); }

private:
    long number_;
};

// Numbers of the failures the core itself detects; the backends use the
// system's own numbers (errno, GetLastError) for theirs.
namespace error {
inline constexpr long kOverflow = 6;
inline constexpr long kTypeMismatch = 13;
inline constexpr long kFileNotFound = 53;
inline constexpr long kInvalidPropertyValue = 380;
inline constexpr long kInvalidPicture = 481;
}  // namespace error

inline RuntimeError Overflow() { return RuntimeError(error::kOverflow, "Overflow"); }
inline RuntimeError TypeMismatch() { return RuntimeError(error::kTypeMismatch, "Type mismatch"); }

}  // namespace tamrel
