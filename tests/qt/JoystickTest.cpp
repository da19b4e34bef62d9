// Joysticks through the real SDL, with its virtual joysticks standing in
// for a USB encoder board: the same open, hot-plug and button path.

#include <SDL.h>

#include "QtTestSupport.h"
#include "platform/JoystickPresses.h"
#include "platform/qt/QtJoysticks.h"

namespace tamrel::qt::test {
namespace {

// The test's own hold on SDL, so that it can plug boards of 12 buttons in
// before and after Tamrel listens.
struct VirtualJoysticks {
    VirtualJoysticks() { SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1"); }
    ~VirtualJoysticks() {
        for (SDL_Joystick* board : plugged) SDL_JoystickClose(board);
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    }
    SDL_Joystick* Plug() {
        const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_ARCADE_STICK, 0, 12, 0);
        return plugged.emplace_back(SDL_JoystickOpen(index));
    }
    static void Unplug(SDL_Joystick* board) {
        const SDL_JoystickID id = SDL_JoystickInstanceID(board);
        for (int index = 0; index < SDL_NumJoysticks(); ++index) {
            if (SDL_JoystickGetDeviceInstanceID(index) == id) SDL_JoystickDetachVirtual(index);
        }
    }
    // `button` numbered from 1, as the settings number it.
    static void Set(SDL_Joystick* board, int button, bool down) {
        SDL_JoystickSetVirtualButton(board, button - 1, down ? 1 : 0);
        SDL_JoystickUpdate();
    }

    std::vector<SDL_Joystick*> plugged;
};

TEST_F(QtBackendTest, ButtonsArriveFromEveryBoardAndOneHeldAtOpenCountsOnlyOnceLetGo) {
    std::vector<int> presses;
    JoystickPresses presses_(toolkit, [&](int button) { presses.push_back(button); }, [](const std::string&) {});
    {
        VirtualJoysticks boards;
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
        SDL_Joystick* panel = boards.Plug();
        boards.Set(panel, 5, true);  // held from the game
        presses_.Start();
        boards.Set(panel, 3, true);
        ASSERT_TRUE(WaitFor([&] { return presses == std::vector<int>{3}; }));
        boards.Set(panel, 5, false);
        boards.Set(panel, 5, true);
        ASSERT_TRUE(WaitFor([&] { return presses == std::vector<int>{3, 5}; }));

        // Plugged in while listening; pulled out without a word.
        SDL_Joystick* second = boards.Plug();
        QuietFor(100);  // till Tamrel has opened it: a button down before counts as held
        boards.Set(second, 1, true);
        ASSERT_TRUE(WaitFor([&] { return presses == std::vector<int>{3, 5, 1}; }));
        boards.Unplug(second);
        QuietFor(100);
        boards.Set(panel, 12, true);
        ASSERT_TRUE(WaitFor([&] { return presses.size() == 4u && presses.back() == 12; }));
        presses_.Stop();
    }
    // Nothing of SDL's stays open once nobody listens.
    EXPECT_EQ(SDL_WasInit(SDL_INIT_JOYSTICK), 0u);
}

TEST(QtJoysticksWithoutSdl, EveryListenSaysWhatToInstallAndWhy) {
    QtJoysticks joysticks("libtamrel-absent-sdl.so.0");
    std::vector<std::pair<std::string, std::string>> told;
    for (int listen = 0; listen < 2; ++listen) {
        const auto listener = joysticks.Listen(
            {nullptr, nullptr, [&](const std::string& need, const std::string& why) { told.emplace_back(need, why); }});
        EXPECT_NE(listener, nullptr);
    }
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[0].first, "Joystick buttons need the SDL 2 library (package libsdl2-2.0-0).");
    EXPECT_NE(told[0].second.find("libtamrel-absent-sdl.so.0"), std::string::npos) << told[0].second;
    EXPECT_EQ(told[1], told[0]);
}

}  // namespace
}  // namespace tamrel::qt::test
