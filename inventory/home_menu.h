// The home-inventory menu of both programs: the same buttons by category, by room and for the
// whole inventory; what the programs do differently is said by the `HomeMenuProgram` each gives.
#pragma once

#include <functional>
#include <vector>

namespace inventory {

struct HomeMenuButton {
    const char *text;
    const char *tip;  // empty: no tool tip
    std::function<void()> starts;
};

struct HomeMenuProgram {
    const char *help;
    // Run before the menu shows (a new client's default rooms and user-field titles).
    std::function<void()> beforeShow;
    // The menu's end is its caller's response.
    bool answersCaller = false;
    // "Select Category" is an icon, named by its tip, rather than a text button.
    bool selectCategoryIcon = false;
    // The location button whose browse keeps the menu from taking any input until it closes.
    const char *heldBy = nullptr;
    // "Entire database" stands above the setup group, in the third column, rather than under
    // the locations.
    bool entireBesideSetup = false;
    std::vector<HomeMenuButton> setup;
};

// Starts the menu of that program.
void openHomeMenu(const HomeMenuProgram &program);

}  // namespace inventory
