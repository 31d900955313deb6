// The rules of an inventory item that do not need a window: priming a new item, the checks and
// derived values of OK, the automatic adding of vendors and manufacturers, the location that the
// next new item remembers, and which controls a category leaves out. The item forms call them;
// tests run them over a plain record with scripted answers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/dictionary.h"
#include "model/valuation.h"
#include "runtime/message.h"

namespace inventory {

// The three members of each family of windows: all items, one category, one location.
enum class Variant { All, Category, Location };

// The controls that a refused OK puts the cursor into.
enum class ItemControl { AppraisalDate, AppraisedValue, Category, Location, MarketValue, Quantity };

// What the OK checks need from around them: message boxes, the cursor, and the vendor and
// manufacturer tables. The form answers with real boxes and record files.
class ItemOkHost {
public:
    virtual ~ItemOkHost() = default;
    virtual void beep() = 0;
    // Shows a message box; returns the button pressed.
    virtual int ask(const rt::MessageRequest &m) = 0;
    virtual void focus(ItemControl c) = 0;
    virtual bool vendorExists(const std::string &name) = 0;
    virtual void addVendor(const std::string &name) = 0;
    virtual bool manufacturerExists(const std::string &name) = 0;
    virtual void addManufacturer(const std::string &name) = 0;
};

// The two switches of the settings record that the item forms follow.
struct ItemSettings {
    std::string autoAdd;      // "Always", "Prompt" or "Never"
    bool memory = false;      // remember the last location for the next new item
    static ItemSettings from(const MainSystemFileRecord &settings);
};

// Quantity times market value in exact cents: the valuation's own rule.
using valuation::extendedValue;
// True when a value in cents fits the extended value's field (9 digits, 2 of them cents).
bool extendedValueFits(std::int64_t cents);

// A new item: status "Have", quantity 1, entered today, "???" as how purchased, and the
// location (and in the category form the category) of the window it is added from; the
// all-items form takes the remembered location, and so does the category form, except that a
// new kitchen item is always put in the kitchen.
void primeNewItem(MasterInventoryRecord &item, Variant variant, const std::string &word,
                  const std::string &lastLocation, std::int32_t today);

// The checks and derived values of OK, in their order, up to the save. False when OK is refused
// (the host has shown why and put the cursor into the control); the record then keeps every
// value as entered apart from the derived ones.
bool checkItemBeforeSave(MasterInventoryRecord &item, bool newItem, const ItemSettings &settings, ItemOkHost &host);

// The location that the next new item is primed with after this one was saved.
std::string locationToRemember(const MasterInventoryRecord &item, const ItemSettings &settings);

// The controls of the item form that a category leaves out (hidden fields keep their values).
struct HiddenControls {
    bool subject = false;       // "Subject:" and its list
    bool starArtist = false;    // the two Star/Artist/Author entries
    bool serial = false;
    bool model = false;
    bool box = false;           // "Box Number:", its list and its clear button
    bool weights = false;       // "Carat Weight:" and "Total Weight:"
    std::vector<std::string> tabs;  // whole tabs by their titles
};
HiddenControls hiddenForCategory(const std::string &category);

}  // namespace inventory
