#include "model/item_rules.h"

#include "runtime/picture.h"
#include "runtime/text.h"

namespace inventory {

namespace {

bool refuse(ItemOkHost &host, ItemControl control, const std::string &text, const std::string &title, int buttons)
{
    host.beep();
    host.ask({text, title, rt::Icon::Exclamation, buttons, buttons});
    host.focus(control);
    return false;
}

bool askYes(ItemOkHost &host, const std::string &text, const std::string &title)
{
    return host.ask({text, title, rt::Icon::Question, rt::BUTTON_YES | rt::BUTTON_NO, rt::BUTTON_YES}) ==
           rt::BUTTON_YES;
}

}  // namespace

ItemSettings ItemSettings::from(const MainSystemFileRecord &settings)
{
    return ItemSettings{settings.AUTOADD.str(), settings.USEMEMORYWIZARD == 1};
}

bool extendedValueFits(std::int64_t cents) { return rt::Dec92::fits(cents); }

void primeNewItem(MasterInventoryRecord &item, Variant variant, const std::string &word,
                  const std::string &lastLocation, std::int32_t today)
{
    // The kitchen rule stays inside this item: the remembered location that the other windows
    // prime with changes only when an item is saved.
    const bool kitchen = variant == Variant::Category && rt::equalClipped(word, "Kitchen");
    item.STATUS = "Have";
    item.QUANTITY = 1;
    item.DATEENTERED = today;
    item.HOWPURCHASED = "???";
    item.LOCATION = variant == Variant::Location ? word : kitchen ? std::string("Kitchen") : lastLocation;
    if (variant == Variant::Category)
        item.CATEGORY = word;
}

bool checkItemBeforeSave(MasterInventoryRecord &item, bool newItem, const ItemSettings &settings, ItemOkHost &host)
{
    // 1. The appraisal, complete or not at all; its value is the least the item is worth.
    if (item.APPRAISED == 1) {
        if (item.APPRAISALDATE.get() == 0 || item.APPRAISEDVALUE.cents() == 0 || item.APPRAISER.blank())
            return refuse(host, ItemControl::AppraisalDate, "Please enter the appraisal information for this item",
                          "Incomplete Data", rt::BUTTON_RETRY);
        if (item.MARKETVALUE.cents() < item.APPRAISEDVALUE.cents() &&
            !item.MARKETVALUE.setCents(item.APPRAISEDVALUE.cents()))
            // The appraised value has two more digits than the market value can hold.
            return refuse(host, ItemControl::AppraisedValue,
                          "The appraised value " + rt::formatNumber("@n12.2", item.APPRAISEDVALUE.cents(), 2) +
                              " is too large for the market value of this item.",
                          "Invalid Entry", rt::BUTTON_OK);
    } else if (item.MARKETVALUE.cents() == 0) {
        item.MARKETVALUE.setCents(item.ORIGINALCOST.cents());
    }
    // 2. The extended value must fit where it is shown and totalled.
    if (!extendedValueFits(extendedValue(item)))
        return refuse(host, ItemControl::Quantity,
                      "The extended value (quantity times market value) of this item is too large.",
                      "Invalid Entry", rt::BUTTON_OK);
    // 3, 4. The required fields.
    if (item.CATEGORY.blank())
        return refuse(host, ItemControl::Category, "You must enter the category for this item", "Required Field",
                      rt::BUTTON_OK);
    if (item.LOCATION.blank())
        return refuse(host, ItemControl::Location, "You must enter the location for this item", "Required Field",
                      rt::BUTTON_OK);
    // 5. A missing market value is allowed once the user says so.
    if (item.MARKETVALUE.cents() == 0 &&
        askYes(host, "You have not yet entered a market value for this item.||Do you wish to enter a market value now?",
               "Market Value Warning")) {
        host.focus(ItemControl::MarketValue);
        return false;
    }
    // 6. Replacement cost: the larger of market value and original cost.
    if (item.REPLACEMENTCOST.cents() == 0)
        item.REPLACEMENTCOST.setCents(item.MARKETVALUE.cents() > item.ORIGINALCOST.cents() ? item.MARKETVALUE.cents()
                                                                                           : item.ORIGINALCOST.cents());
    // 7. Vendors and manufacturers new to their tables, for new items only. A failing add is
    // not reported: the item is what matters here.
    const bool always = rt::equalClipped(settings.autoAdd, "Always");
    const bool prompt = rt::equalClipped(settings.autoAdd, "Prompt");
    if (newItem && (always || prompt)) {
        const std::string vendor = item.PURCHASEDFROM.str();
        if (!vendor.empty() && !host.vendorExists(vendor)) {
            bool add = always;
            if (prompt) {
                host.beep();
                add = askYes(host, "Would you like to add the vendor: " + vendor + "|" + "to the vendors file?",
                             "Auto Add");
            }
            if (add)
                host.addVendor(vendor);
        }
        const std::string maker = item.MANUFACTURER.str();
        if (!maker.empty() && !host.manufacturerExists(maker)) {
            bool add = always;
            if (prompt) {
                host.beep();
                add = askYes(host,
                             "Would you like to add the manufacturer: |" + maker + "|" + "to the manufacturers file?",
                             "Auto Add");
            }
            if (add)
                host.addManufacturer(maker);
        }
    }
    return true;
}

std::string locationToRemember(const MasterInventoryRecord &item, const ItemSettings &settings)
{
    return settings.memory ? item.LOCATION.str() : std::string();
}

HiddenControls hiddenForCategory(const std::string &category)
{
    HiddenControls h;
    auto is = [&](const char *c) { return rt::equalClipped(category, c); };
    if (!is("Audio") && !is("Book") && !is("Video")) {
        h.subject = true;
        h.starArtist = true;
    }
    const char *artist = "Artist / Antique";
    if (is("Appliances")) {
        h.box = h.weights = true;
        h.tabs = {artist};
    } else if (is("Antiques")) {
        h.serial = true;
    } else if (is("Art")) {
        h.weights = true;
    } else if (is("Clothing")) {
        h.serial = h.model = h.weights = true;
        h.tabs = {artist, "Warranty"};
    } else if (is("Electronics")) {
        h.weights = true;
        h.tabs = {artist};
    } else if (is("Food")) {
        h.serial = h.model = h.weights = true;
        h.tabs = {"Heirs / Appraisal", artist, "Receipt", "Warranty"};
    } else if (is("Furniture")) {
        h.serial = h.box = h.weights = true;
        h.tabs = {artist};
    } else if (is("Holiday Decor") || is("Interior Decor")) {
        h.serial = h.weights = true;
    } else if (is("Jewelry")) {
        h.serial = h.model = true;
        h.tabs = {artist};
    } else if (is("Kitchen") || is("Office") || is("Shop")) {
        h.weights = true;
        h.tabs = {artist};
    } else if (is("Linens")) {
        h.serial = h.weights = true;
        h.tabs = {artist, "Warranty"};
    } else if (is("Outdoor")) {
        h.weights = true;
    }
    return h;
}

}  // namespace inventory
