#include "platform/posix/JournalSink.h"

#include <sys/uio.h>

#include <exception>
#include <string>
#include <vector>

// The caller's file and line say nothing to a fleet.
#define SD_JOURNAL_SUPPRESS_LOCATION
#include <systemd/sd-journal.h>

#include "platform/posix/JournalFields.h"

namespace tamrel {

void JournalSink::Send(const Event& event) noexcept {
    try {
        const std::vector<std::string> fields = JournalFields(event);
        std::vector<iovec> parts;
        parts.reserve(fields.size());
        for (const std::string& field : fields) parts.push_back({const_cast<char*>(field.data()), field.size()});
        // A failure here is no failure of the run: the files have the line.
        static_cast<void>(sd_journal_sendv(parts.data(), static_cast<int>(parts.size())));
    } catch (const std::exception&) {
    }
}

}  // namespace tamrel
