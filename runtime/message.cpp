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
