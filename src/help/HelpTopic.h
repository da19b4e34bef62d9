#pragma once
// A help topic window, for any topic of the table: its text, and buttons to
// its neighbours in the chain, to the key-code table where the topic is
// about keys, and to close it.

#include <cstddef>

#include "help/HelpWindow.h"

namespace tamrel {

class HelpTopic : public HelpWindow {
public:
    // Loads and shows the topic; the skin topic measures the screen now.
    HelpTopic(Platform& platform, Navigator& navigator, std::size_t topic);

    std::size_t topic() const { return topic_; }

private:
    std::size_t topic_;
};

}  // namespace tamrel
