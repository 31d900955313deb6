// Shared test helpers: a temporary home folder per test, a scripted message-box answerer that
// records what was shown, and a halt that throws instead of ending the test process.
#pragma once

#include <deque>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "runtime/message.h"

namespace testing_support {

inline std::string readBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class TempHome {
public:
    TempHome();
    ~TempHome();
    const std::string &path() const { return path_; }
    std::string file(const std::string &name) const { return path_ + name; }

private:
    std::string path_;
    std::string oldHome_;
    bool hadHome_ = false;
};

class ScriptedMessages {
public:
    ScriptedMessages();
    ~ScriptedMessages();
    // Answers given in order; when they run out, the default button answers.
    void answer(int button) { answers_.push_back(button); }
    // Runs while each box is shown, before it is answered: what happens while the user reads.
    void whileShown(std::function<void(const rt::MessageRequest &)> action) { whileShown_ = std::move(action); }
    const std::vector<rt::MessageRequest> &shown() const { return shown_; }
    bool sawTitle(const std::string &title) const;
    bool sawText(const std::string &text) const;
    int beeps() const { return beeps_; }
    void clear() { shown_.clear(); }

private:
    std::deque<int> answers_;
    std::vector<rt::MessageRequest> shown_;
    std::function<void(const rt::MessageRequest &)> whileShown_;
    rt::MessageHandler previous_;
    int beeps_ = 0;
};

// rt::halt throws rt::Halt while one of these lives.
class ThrowingHalt {
public:
    ThrowingHalt();
    ~ThrowingHalt();
};

}  // namespace testing_support
