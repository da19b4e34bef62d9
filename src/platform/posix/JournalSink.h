#pragma once
// Events into the systemd journal, through libsystemd's native socket. With
// no journal (no journald, a container) sending fails silently and nothing
// else changes. libsystemd's send waits while the journal's queue is full (a
// journald that hangs or is restarting): a thread of its own sends, so the
// run never waits for the journal.

#include <memory>
#include <thread>

#include "platform/EventSink.h"

namespace tamrel {

class JournalSink final : public EventSink {
public:
    JournalSink();
    // Gives what is queued a moment to go, then leaves the thread behind.
    ~JournalSink() override;
    JournalSink(const JournalSink&) = delete;
    JournalSink& operator=(const JournalSink&) = delete;

    void Send(const Event& event) noexcept override;

private:
    struct Queue;  // shared with the thread, which may outlive the sink
    std::shared_ptr<Queue> queue_;
    std::thread sender_;
};

}  // namespace tamrel
