#include "runtime/message.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace rt {

namespace {
MessageHandler &handler()
{
    static MessageHandler h;
    return h;
}
std::function<void()> &beeper()
{
    static std::function<void()> b;
    return b;
}
std::function<void(const std::string &)> &halter()
{
    static std::function<void(const std::string &)> h;
    return h;
}
std::vector<std::function<void()>> &cleanups()
{
    static std::vector<std::function<void()>> c;
    return c;
}
}  // namespace

MessageHandler setMessageHandler(MessageHandler h)
{
    MessageHandler old = std::move(handler());
    handler() = std::move(h);
    return old;
}

int firstButton(int buttons)
{
    for (int b = 1; b <= 128; b <<= 1)
        if (buttons & b)
            return b;
    return BUTTON_OK;
}

std::string messageLines(std::string_view text)
{
    std::string r;
    for (char c : text)
        r += c == '|' ? '\n' : c;
    return r;
}

std::string breakableWords(std::string_view text, std::size_t longest)
{
    static const std::string kBreak = "\xE2\x80\x8B";  // U+200B ZERO WIDTH SPACE
    auto isSpace = [](char c) { return c == ' ' || c == '\n' || c == '\t' || c == '|'; };
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (std::size_t at = 0; at < text.size();) {
        if (isSpace(text[at])) {
            out += text[at++];
            continue;
        }
        std::size_t end = at;
        while (end < text.size() && !isSpace(text[end]))
            ++end;
        const std::string_view word = text.substr(at, end - at);
        if (word.size() <= longest) {
            out += word;
        } else {
            std::size_t run = 0;  // bytes since the last place to break
            for (std::size_t i = 0; i < word.size(); ++i) {
                const char c = word[i];
                // Never inside a UTF-8 character: only before a byte that starts one.
                if (run >= longest && (static_cast<unsigned char>(c) & 0xC0) != 0x80) {
                    out += kBreak;
                    run = 0;
                }
                out += c;
                ++run;
                if ((c == '/' || c == '\\' || c == '.' || c == '-' || c == '_') && i + 1 < word.size()) {
                    out += kBreak;
                    run = 0;
                }
            }
        }
        at = end;
    }
    return out;
}

int message(std::string_view text, std::string_view title, Icon icon, int buttons, int defaultButton)
{
    MessageRequest req{std::string(text), std::string(title), icon, buttons ? buttons : BUTTON_OK,
                       defaultButton ? defaultButton : firstButton(buttons ? buttons : BUTTON_OK)};
    if (handler())
        return handler()(req);
    std::fprintf(stderr, "[%s] %s\n", req.title.c_str(), messageLines(req.text).c_str());
    return req.defaultButton;
}

void beep()
{
    if (beeper())
        beeper()();
}

void setBeepHandler(std::function<void()> h) { beeper() = std::move(h); }

void setHaltHandler(std::function<void(const std::string &)> h) { halter() = std::move(h); }

void addHaltCleanup(std::function<void()> cleanup) { cleanups().push_back(std::move(cleanup)); }

void halt(std::string_view text)
{
    std::string t(text);
    for (auto &c : cleanups())
        c();
    if (halter())
        halter()(t);  // a test's handler throws
    if (!t.empty())
        std::fprintf(stderr, "%s\n", t.c_str());
    std::exit(1);
}

namespace {
std::function<void(bool)> &busyHandler()
{
    static std::function<void(bool)> h;
    return h;
}
}  // namespace

BusyWait::BusyWait()
{
    if (busyHandler())
        busyHandler()(true);
}

BusyWait::~BusyWait()
{
    if (busyHandler())
        busyHandler()(false);
}

void setBusyHandler(std::function<void(bool)> handler) { busyHandler() = std::move(handler); }

}  // namespace rt
