#pragma once
// COM objects and the thread's apartment, each released by its owner.

#include "platform/win32/Win32Api.h"

#include <objbase.h>

namespace tamrel::win32 {

template <typename Interface>
struct ComTraits {
    using Type = Interface*;
    static Type Invalid() { return nullptr; }
    static void Close(Type object) { object->Release(); }
};

// COM for this thread for one scope, unless the thread already has it.
class ComApartment {
public:
    ComApartment() : joined_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (joined_) ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool joined_;
};

}  // namespace tamrel::win32
