#include "platform/posix/JournalFields.h"

#include <algorithm>
#include <iterator>

namespace tamrel {

namespace {

// syslog(3)'s numbers.
constexpr int kError = 3;
constexpr int kNotice = 5;
constexpr int kInfo = 6;

struct KindInJournal {
    EventKind kind;
    const char* messageId;  // fixed for good: collectors' filters name it
    int priority;
};

// Plain lines have no id of their own.
constexpr KindInJournal kKinds[] = {
    {EventKind::Line, "", kInfo},
    {EventKind::ProgramStarted, "ea7277eec0454527b98d2c78232916ab", kInfo},
    {EventKind::ProgramEnded, "3926b301fb14425095274f62f088f240", kInfo},
    {EventKind::CountdownStarted, "e465c7eda1a841f39c5c1d308db9c5fd", kInfo},
    {EventKind::Cancelled, "462985cdf4e44ce18796d59ce816432e", kNotice},
    {EventKind::Restarted, "3da8b8fd22e74714b13de9fb3499d6df", kNotice},
    {EventKind::PowerOffRequested, "93aed922122c42dcb0106c0313689871", kNotice},
    {EventKind::PowerOffRefused, "537a218c60f64e6ea0d9c4674dbd4804", kNotice},
    {EventKind::Guard, "ea66eef91b8c4e9895ed3dc024710f60", kNotice},
    {EventKind::Idle, "8b6a183c56104710b6800721ea68afab", kInfo},
    {EventKind::ClosingTime, "930438ad95f944f798204c028d43ca4d", kInfo},
    {EventKind::Error, "6b9b4e1aea8a48efbbb17f50e9c2abd2", kError},
};

const KindInJournal& InJournal(EventKind kind) {
    const auto found = std::find_if(std::begin(kKinds), std::end(kKinds), [&](const auto& k) { return k.kind == kind; });
    return found == std::end(kKinds) ? kKinds[0] : *found;
}

}  // namespace

std::vector<std::string> JournalFields(const Event& event) {
    const KindInJournal& kind = InJournal(event.kind);
    std::vector<std::string> fields{"MESSAGE=" + event.text, "PRIORITY=" + std::to_string(kind.priority),
                                    "SYSLOG_IDENTIFIER=tamrel"};
    if (*kind.messageId) fields.push_back("MESSAGE_ID=" + std::string(kind.messageId));
    if (!event.program.empty()) fields.push_back("TAMREL_PROGRAM=" + event.program);
    if (event.exitStatus) fields.push_back("TAMREL_EXIT_STATUS=" + std::to_string(*event.exitStatus));
    if (event.signal) fields.push_back("TAMREL_SIGNAL=" + std::to_string(*event.signal));
    if (event.runSeconds) fields.push_back("TAMREL_RUN_SECONDS=" + std::to_string(*event.runSeconds));
    if (!event.action.empty()) fields.push_back("TAMREL_ACTION=" + event.action);
    return fields;
}

}  // namespace tamrel
