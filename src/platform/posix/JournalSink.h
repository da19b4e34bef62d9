#pragma once
// Events into the systemd journal, through libsystemd's native socket. With
// no journal (no journald, a container) sending fails silently and nothing
// else changes.

#include "platform/EventSink.h"

namespace tamrel {

class JournalSink final : public EventSink {
public:
    void Send(const Event& event) noexcept override;
};

}  // namespace tamrel
