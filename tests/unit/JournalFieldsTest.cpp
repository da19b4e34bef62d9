// The events as the journal keeps them: what collectors' filters and the
// fleet page rely on.

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/posix/JournalFields.h"

namespace tamrel {
namespace {

std::string FieldOf(const std::vector<std::string>& fields, const std::string& name) {
    for (const std::string& field : fields) {
        if (field.rfind(name + "=", 0) == 0) return field.substr(name.size() + 1);
    }
    return {};
}

TEST(JournalFields, EachKindHasItsOwnFixedIdAndPriorityAndTheFleetPageListsThem) {
    std::ifstream file(std::string(TAMREL_SOURCE_DIR) + "/docs/fleet.md");
    std::stringstream page;
    page << file.rdbuf();
    std::set<std::string> ids;
    for (int kind = static_cast<int>(EventKind::Line); kind <= static_cast<int>(EventKind::Error); ++kind) {
        const auto fields = JournalFields(Event::Of(static_cast<EventKind>(kind)));
        EXPECT_EQ(FieldOf(fields, "SYSLOG_IDENTIFIER"), "tamrel");
        const std::string id = FieldOf(fields, "MESSAGE_ID");
        const std::string priority = FieldOf(fields, "PRIORITY");
        if (kind == static_cast<int>(EventKind::Line)) {
            EXPECT_EQ(id, "");
            continue;
        }
        EXPECT_EQ(id.find_first_not_of("0123456789abcdef"), std::string::npos) << kind;
        EXPECT_EQ(id.size(), 32u) << kind;
        EXPECT_TRUE(ids.insert(id).second) << kind;
        EXPECT_NE(page.str().find(id), std::string::npos) << "docs/fleet.md lacks " << id;
        if (kind == static_cast<int>(EventKind::Error)) {
            EXPECT_EQ(priority, "3");
        } else {
            EXPECT_TRUE(priority == "5" || priority == "6") << kind;  // notice or info
        }
    }
    EXPECT_EQ(ids.size(), 11u);
}

TEST(JournalFields, OnlyTheFactsAnEventHasAreSent) {
    Event event = Event::Of(EventKind::ProgramEnded);
    event.text = "Program ended with exit status 0 after 1 min 0 s.";
    event.program = "front.sh";
    event.exitStatus = 0;
    event.runSeconds = 60;
    const auto ended = JournalFields(event);
    EXPECT_EQ(ended, (std::vector<std::string>{"MESSAGE=Program ended with exit status 0 after 1 min 0 s.", "PRIORITY=6",
                                               "SYSLOG_IDENTIFIER=tamrel", "MESSAGE_ID=3926b301fb14425095274f62f088f240",
                                               "TAMREL_PROGRAM=front.sh", "TAMREL_EXIT_STATUS=0",
                                               "TAMREL_RUN_SECONDS=60"}));
    Event refusal = Event::Of(EventKind::PowerOffRefused, "power-off");
    refusal.signal = 9;
    const auto refused = JournalFields(refusal);
    EXPECT_EQ(FieldOf(refused, "TAMREL_SIGNAL"), "9");
    EXPECT_EQ(FieldOf(refused, "TAMREL_ACTION"), "power-off");
    EXPECT_EQ(FieldOf(refused, "TAMREL_PROGRAM"), "");
    EXPECT_EQ(FieldOf(refused, "TAMREL_EXIT_STATUS"), "");
}

}  // namespace
}  // namespace tamrel
