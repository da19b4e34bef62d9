#pragma once
// Everything the core needs from the platform, handed around as one bundle.

#include "platform/Autostart.h"
#include "platform/EventSink.h"
#include "platform/FileSystem.h"
#include "platform/Power.h"
#include "platform/Processes.h"
#include "platform/Toolkit.h"

namespace tamrel {

struct Platform {
    FileSystem& files;
    Processes& processes;
    Clock& clock;
    Power& power;
    ui::Toolkit& ui;
    Autostart& autostart;
    EventSink& events;
};

}  // namespace tamrel
