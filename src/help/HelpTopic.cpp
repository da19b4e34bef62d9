#include "help/HelpTopic.h"

#include <string>

#include "help/HelpTopics.h"
#include "platform/Paths.h"

namespace tamrel {

namespace {

constexpr ui::Twips kWidth = 8400;
constexpr ui::Twips kHeight = 6240;
constexpr ui::Twips kButtonTop = 5640;
constexpr ui::Twips kButtonHeight = 420;
}  // namespace

HelpTopic::HelpTopic(Platform& platform, Navigator& navigator, std::size_t topic)
    : HelpWindow(platform, navigator, "HelpTopic", help::HelpTopics(platform.ui.desktop())[topic].title, kWidth,
                 kHeight),
      topic_(topic) {
    const std::vector<help::HelpTopicDef>& topics = help::HelpTopics(platform.ui.desktop());
    const help::HelpTopicDef& def = topics[topic];
    ui::Twips textHeight = kButtonTop - 360;
    if (def.resolution) textHeight -= 840;
    const FileSystem& files = platform.files;
    const bool windows = platform.ui.desktop() == ui::Desktop::Windows;
    // The folder a standard user can write to, where c:\ needs an administrator.
    const help::Places places{FolderWording(files, files.SettingsFolder()), FolderWording(files, files.LogFolder()),
                              windows ? InProgramFolder(files, "holdmark.tes") : files.MarkerFilePaths().front(),
                              platform.autostart.EntryPath(), platform.autostart.Executable()};
    AddLabel("topicText", help::WithPlaces(def.text, places), {240, 240, kWidth - 480, textHeight});

    if (def.resolution) {
        ui::Toolkit& ui = platform.ui;
        const ui::Twips row = 240 + textHeight + 120;
        AddLabel("resolutionCaption", "Here is your screen resolution:", {240, row, 4000, 300});
        AddLabel("widthCaption", "Width=", {240, row + 360, 900, 300});
        // Device pixels: the skin is shown one picture pixel on each.
        AddLabel("screenWidth", std::to_string(ui.ScreenPixelWidth()), {1140, row + 360, 1200, 300});
        AddLabel("heightCaption", "Height=", {2640, row + 360, 900, 300});
        AddLabel("screenHeight", std::to_string(ui.ScreenPixelHeight()), {3540, row + 360, 1200, 300});
    }

    ui::Twips left = 240;
    if (topic > 0) {
        AddButton("previousTopic", "Previous Topic", {left, kButtonTop, 1560, kButtonHeight}, [this] {
            navigator_.ShowHelpTopic(topic_ - 1);
            Close();
        });
        left += 1680;
    }
    if (topic + 1 < topics.size()) {
        AddButton("nextTopic", "Next Topic", {left, kButtonTop, 1560, kButtonHeight}, [this] {
            navigator_.ShowHelpTopic(topic_ + 1);
            Close();
        });
        left += 1680;
    }
    AddButton("close", "Close", {left, kButtonTop, 1200, kButtonHeight}, [this] { Close(); });
    if (def.keyCodes) {
        AddButton("showKeyCodes", "Show some common ASCII codes", {5160, kButtonTop - 240, 3000, kButtonHeight},
                  [this] { navigator_.ShowKeyCodeTable(); });
    }
    Show();
}

}  // namespace tamrel
