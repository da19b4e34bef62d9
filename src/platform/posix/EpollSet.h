#pragma once
// Several descriptors behind one: readable while any of them is. A source
// keeps its one descriptor for the whole wait this way, even when what is
// behind it comes and goes (a device unplugged, a display connection lost,
// which would otherwise stay readable for ever and spin the wait).

#include <cstdint>
#include <vector>

#include "platform/posix/OwnedFd.h"

namespace tamrel {

class EpollSet {
public:
    EpollSet();  // raises when the system has no descriptor to spare
    int Descriptor() const { return epoll_.get(); }
    void Add(int fd, std::uint64_t tag);
    void Remove(int fd);
    struct Ready {
        std::uint64_t tag;
        bool hangUp;  // an error or the other end gone
    };
    // What is readable now, without waiting.
    std::vector<Ready> Take();

private:
    OwnedFd epoll_;
};

}  // namespace tamrel
