#include "platform/posix/EpollSet.h"

#include <sys/epoll.h>

#include <cerrno>

#include "platform/posix/PosixError.h"

namespace tamrel {

EpollSet::EpollSet() : epoll_(::epoll_create1(EPOLL_CLOEXEC)) {
    if (!epoll_) throw PosixError(errno, "epoll");
}

void EpollSet::Add(int fd, std::uint64_t tag) {
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u64 = tag;
    if (::epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, fd, &event) != 0) throw PosixError(errno, "epoll");
}

void EpollSet::Remove(int fd) { ::epoll_ctl(epoll_.get(), EPOLL_CTL_DEL, fd, nullptr); }

std::vector<EpollSet::Ready> EpollSet::Take() {
    epoll_event events[32];
    std::vector<Ready> ready;
    int count = 0;
    do {
        count = ::epoll_wait(epoll_.get(), events, 32, 0);
    } while (count < 0 && errno == EINTR);
    for (int i = 0; i < count; ++i)
        ready.push_back({events[i].data.u64, (events[i].events & (EPOLLERR | EPOLLHUP)) != 0});
    return ready;
}

}  // namespace tamrel
