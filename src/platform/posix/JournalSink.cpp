#include "platform/posix/JournalSink.h"

#include <pthread.h>
#include <sys/uio.h>

#include <chrono>
#include <csignal>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <string>
#include <system_error>
#include <vector>

// The caller's file and line say nothing to a fleet.
#define SD_JOURNAL_SUPPRESS_LOCATION
#include <systemd/sd-journal.h>

#include "platform/posix/JournalFields.h"

namespace tamrel {

namespace {

// A journal stuck for the whole run costs at most this many entries' memory.
constexpr std::size_t kMostQueued = 1000;
constexpr auto kLastWordsTime = std::chrono::milliseconds(500);

void SendFields(const std::vector<std::string>& fields) {
    std::vector<iovec> parts;
    parts.reserve(fields.size());
    for (const std::string& field : fields) parts.push_back({const_cast<char*>(field.data()), field.size()});
    // A failure here is no failure of the run: the files have the line.
    static_cast<void>(sd_journal_sendv(parts.data(), static_cast<int>(parts.size())));
}

}  // namespace

struct JournalSink::Queue {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::vector<std::string>> entries;
    bool sending = false;
    bool closing = false;

    void SendAll() {
        std::unique_lock lock(mutex);
        while (true) {
            changed.wait(lock, [this] { return closing || !entries.empty(); });
            if (entries.empty()) return;
            const std::vector<std::string> fields = std::move(entries.front());
            entries.pop_front();
            sending = true;
            lock.unlock();
            SendFields(fields);
            lock.lock();
            sending = false;
            changed.notify_all();
        }
    }
};

JournalSink::JournalSink() : queue_(std::make_shared<Queue>()) {
    // The thread takes no signal: they are the main thread's to wait for.
    sigset_t all;
    sigset_t before;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &before);
    try {
        sender_ = std::thread([queue = queue_] { queue->SendAll(); });
    } catch (const std::system_error&) {
        // No thread, no journal: the files still have every line.
    }
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
}

JournalSink::~JournalSink() {
    {
        std::unique_lock lock(queue_->mutex);
        queue_->closing = true;
        queue_->changed.notify_all();
        queue_->changed.wait_for(lock, kLastWordsTime, [this] { return queue_->entries.empty() && !queue_->sending; });
    }
    // A send that still waits for the journal ends with the process.
    if (sender_.joinable()) sender_.detach();
}

void JournalSink::Send(const Event& event) noexcept {
    try {
        std::vector<std::string> fields = JournalFields(event);
        const std::lock_guard lock(queue_->mutex);
        if (queue_->entries.size() >= kMostQueued) return;
        queue_->entries.push_back(std::move(fields));
        queue_->changed.notify_all();
    } catch (const std::exception&) {
    }
}

}  // namespace tamrel
