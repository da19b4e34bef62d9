#pragma once
// An event as the systemd journal keeps it: the text, its priority, a fixed
// MESSAGE_ID per kind and the TAMREL_* fields a fleet's collector filters on.

#include <string>
#include <vector>

#include "platform/EventSink.h"

namespace tamrel {

// "NAME=value" each, in the order they are sent.
std::vector<std::string> JournalFields(const Event& event);

}  // namespace tamrel
