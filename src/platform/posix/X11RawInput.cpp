#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <cstdlib>

#include "platform/posix/DisplaySources.h"
#include "platform/posix/EpollSet.h"

namespace tamrel {

namespace {

struct ConnectionCloser {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};
using Connection = std::unique_ptr<xcb_connection_t, ConnectionCloser>;

template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

// Raw events reach the root window whatever has the focus, and programs
// cannot reset them as they reset the screen saver's idle time.
class X11RawInput : public InputSource {
public:
    X11RawInput(Connection connection, std::uint8_t opcode)
        : connection_(std::move(connection)), opcode_(opcode) {
        set_.Add(xcb_get_file_descriptor(connection_.get()), 0);
    }
    int Descriptor() const override { return set_.Descriptor(); }

    void Read(ProgramWatch& watch, SteadyMs now) override {
        if (lost_) return;
        set_.Take();
        bool input = false;
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_.get())) {
            input = input || IsRawInput(*event);
            std::free(event);
        }
        if (input) watch.InputSeen(now);
        if (xcb_connection_has_error(connection_.get())) {
            // Its descriptor would stay readable for ever.
            set_.Remove(xcb_get_file_descriptor(connection_.get()));
            lost_ = true;
            watch.Note("The X display was lost: keys and mice are no longer watched.");
            watch.SourceIdle(false, now);
        }
    }

private:
    bool IsRawInput(const xcb_generic_event_t& event) const {
        if ((event.response_type & 0x7f) != XCB_GE_GENERIC) return false;
        const auto& generic = reinterpret_cast<const xcb_ge_generic_event_t&>(event);
        if (generic.extension != opcode_) return false;
        if (generic.event_type == XCB_INPUT_RAW_KEY_PRESS) {
            // A held key repeating is nobody new at the keys: a stuck button
            // of a keyboard encoder must not keep a cabinet on.
            const auto& key = reinterpret_cast<const xcb_input_raw_key_press_event_t&>(event);
            return (key.flags & XCB_INPUT_KEY_EVENT_FLAGS_KEY_REPEAT) == 0;
        }
        return generic.event_type == XCB_INPUT_RAW_BUTTON_PRESS || generic.event_type == XCB_INPUT_RAW_MOTION;
    }

    Connection connection_;
    std::uint8_t opcode_;
    EpollSet set_;
    bool lost_ = false;
};

}  // namespace

DisplaySource OpenX11RawInput(const std::string& display) {
    DisplaySource result;
    Connection connection(xcb_connect(display.c_str(), nullptr));
    if (xcb_connection_has_error(connection.get())) {
        result.why = "the X display " + display + " does not answer";
        return result;
    }
    result.reached = true;
    xcb_connection_t* c = connection.get();
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(c, &xcb_input_id);
    ReplyPtr<xcb_input_xi_query_version_reply_t> version(nullptr, &std::free);
    if (extension && extension->present)
        version.reset(xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr));
    if (!version || version->major_version < 2) {
        result.why = "the X display has no XInput 2";
        return result;
    }
    struct {
        xcb_input_event_mask_t head;
        std::uint32_t bits;
    } mask{};
    mask.head.deviceid = XCB_INPUT_DEVICE_ALL;
    mask.head.mask_len = 1;
    mask.bits = XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS |
                XCB_INPUT_XI_EVENT_MASK_RAW_MOTION;
    for (xcb_screen_iterator_t screen = xcb_setup_roots_iterator(xcb_get_setup(c)); screen.rem;
         xcb_screen_next(&screen)) {
        ReplyPtr<xcb_generic_error_t> error(
            xcb_request_check(c, xcb_input_xi_select_events_checked(c, screen.data->root, 1, &mask.head)), &std::free);
        if (error) {
            result.why = "the X display refuses raw input events";
            return result;
        }
    }
    result.source = std::make_unique<X11RawInput>(std::move(connection), extension->major_opcode);
    return result;
}

}  // namespace tamrel
