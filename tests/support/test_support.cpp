#include "tests/support/test_support.h"

#include <cstdlib>
#include <filesystem>

namespace testing_support {

TempHome::TempHome()
{
    std::string tmpl = (std::filesystem::temp_directory_path() / "orvane-test-XXXXXX").string();
    char *dir = ::mkdtemp(tmpl.data());
    path_ = std::string(dir ? dir : tmpl.c_str()) + "/";
    const char *old = std::getenv("ZENVIK_HOME");
    hadHome_ = old != nullptr;
    if (old)
        oldHome_ = old;
    ::setenv("ZENVIK_HOME", path_.c_str(), 1);
}

TempHome::~TempHome()
{
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(path_, ec);
    if (hadHome_)
        ::setenv("ZENVIK_HOME", oldHome_.c_str(), 1);
    else
        ::unsetenv("ZENVIK_HOME");
}

ScriptedMessages::ScriptedMessages()
{
    previous_ = rt::setMessageHandler([this](const rt::MessageRequest &r) {
        shown_.push_back(r);
        if (whileShown_)
            whileShown_(r);
        if (answers_.empty())
            return r.defaultButton;
        int a = answers_.front();
        answers_.pop_front();
        return a;
    });
    rt::setBeepHandler([this] { ++beeps_; });
}

ScriptedMessages::~ScriptedMessages()
{
    rt::setMessageHandler(previous_);
    rt::setBeepHandler(nullptr);
}

bool ScriptedMessages::sawTitle(const std::string &title) const
{
    for (const auto &m : shown_)
        if (m.title == title)
            return true;
    return false;
}

bool ScriptedMessages::sawText(const std::string &text) const
{
    for (const auto &m : shown_)
        if (m.text == text)
            return true;
    return false;
}

ThrowingHalt::ThrowingHalt()
{
    rt::setHaltHandler([](const std::string &t) { throw rt::Halt{t}; });
}

ThrowingHalt::~ThrowingHalt() { rt::setHaltHandler(nullptr); }

}  // namespace testing_support
