// The message-box service. The GUI installs real boxes; tests install a scripted answerer;
// without either, messages go to the error stream and the default button is the answer.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace rt {

enum Button : int {
    BUTTON_OK = 1,
    BUTTON_YES = 2,
    BUTTON_NO = 4,
    BUTTON_ABORT = 8,
    BUTTON_RETRY = 16,
    BUTTON_IGNORE = 32,
    BUTTON_CANCEL = 64,
    BUTTON_HELP = 128,
};

enum class Icon { None, Exclamation, Question, Information, Hand, Asterisk };

struct MessageRequest {
    std::string text;   // "|" starts a new line, "||" leaves an empty one
    std::string title;
    Icon icon = Icon::None;
    int buttons = BUTTON_OK;
    int defaultButton = 0;  // 0: the first button of the set
};

using MessageHandler = std::function<int(const MessageRequest &)>;

// Installs a handler and returns the one it replaces.
MessageHandler setMessageHandler(MessageHandler handler);

// Shows a message; returns the button pressed.
int message(std::string_view text, std::string_view title = {}, Icon icon = Icon::None, int buttons = BUTTON_OK,
            int defaultButton = 0);

// The message text with "|" turned into line breaks.
std::string messageLines(std::string_view text);
// The first button of a set, in the order of the bits.
int firstButton(int buttons);

// A wait the user must see while it lasts (a locked file waited for): the GUI shows the busy
// cursor from construction to destruction; without a GUI nothing shows.
class BusyWait {
public:
    BusyWait();
    ~BusyWait();
    BusyWait(const BusyWait &) = delete;
    BusyWait &operator=(const BusyWait &) = delete;
};
// Called with true when a wait begins and false when it ends.
void setBusyHandler(std::function<void(bool)> handler);

// The system's asterisk sound that precedes most error messages.
void beep();
void setBeepHandler(std::function<void()> handler);

// Ending the program at once (the runtime's HALT): every record file is closed first, then the
// process ends with a non-zero status. Tests install a handler that throws instead.
struct Halt {
    std::string text;
};
[[noreturn]] void halt(std::string_view text);
void setHaltHandler(std::function<void(const std::string &)> handler);
// Cleanups run by halt before the process ends (closing the record files).
void addHaltCleanup(std::function<void()> cleanup);

}  // namespace rt
