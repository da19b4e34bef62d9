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

}  // namespace
}  // namespace tamrel
