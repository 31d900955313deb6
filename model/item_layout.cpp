#include "model/item_layout.h"

#include "model/item_fields.h"

namespace inventory::layout {

namespace {

using K = Kind;
using H = HiddenControls;

// The drop lists' files; the type and box lists show only the rows of the item's category and
// location.
const Drop kCategory{&dict::CategoryDef, &Access::Category, "CATEGORYKEY", {"CATEGORY"}, {"Category"}};
const Drop kType{&dict::TypeDef, &Access::Type, "CATEGORYTYPEKEY", {"TYPE", "DESCRIPTION"}, {"Type", "Description"}, "CATEGORY"};
const Drop kSubject{&dict::QORSubjectDef, &Access::QORSubject, "SUBJECTKEY", {"SUBJECT"}, {"Subject"}};
const Drop kLocation{&dict::LocationDef, &Access::Location, "LOCATIONKEY", {"LOCATION"}, {"Location"}};
const Drop kBox{&dict::BoxNumberDef, &Access::BoxNumber, "BOXKEY", {"BOXNUMBER", "DESCRIPTION"}, {"Box Number", "Description"}, "LOCATION"};
const Drop kCondition{&dict::ConditionsDef, &Access::Conditions, "DISPLAYKEY", {"CONDITION"}, {"Condition"}};

// Given as a control's tip: the field's own tip, from the item fields' table.
const char kOwnTip[] = "";
const char *tipOf(const char *field, const char *tip) { return tip == kOwnTip ? model::itemFieldTip(field) : tip; }

Control entry(const char *prompt, const char *field, const char *picture, int row, int col, const char *tip = nullptr,
              bool HiddenControls::*hiddenBy = nullptr)
{
    return {.kind = K::Entry, .prompt = prompt, .field = field, .picture = picture, .tip = tipOf(field, tip), .row = row,
            .col = col, .hiddenBy = hiddenBy};
}

Control drop(const char *prompt, const char *field, const Drop &d, int row, const char *tip = nullptr,
             bool HiddenControls::*hiddenBy = nullptr)
{
    return {.kind = K::DropList, .prompt = prompt, .field = field, .tip = tipOf(field, tip), .row = row, .col = 1, .drop = &d,
            .hiddenBy = hiddenBy};
}

Control clearDrop(const char *field, const char *tip, const char *focus, int row,
                  bool HiddenControls::*hiddenBy = nullptr)
{
    return {.kind = K::Clear, .prompt = "X", .field = field, .tip = tip, .row = row, .col = 2, .focus = focus,
            .hiddenBy = hiddenBy};
}

Control check(const char *caption, const char *field, int row, int col, const char *tip = nullptr, int colSpan = 1)
{
    return {.kind = K::Check, .prompt = caption, .field = field, .tip = tipOf(field, tip), .row = row, .col = col,
            .colSpan = colSpan};
}

Control lookup(const char *field, const char *tip, const char *procedure, int row, int col)
{
    return {.kind = K::Lookup, .prompt = "...", .field = field, .tip = tip, .row = row, .col = col,
            .procedure = procedure};
}

Control calendar(const char *field, int row, int col)
{
    return {.kind = K::Calendar, .prompt = "...", .field = field, .tip = "Pick the date from a calendar", .row = row,
            .col = col, .name = nullptr};
}

struct PictureTexts {
    const char *clearName, *forName, *field, *forText, *pathText, *buttonText, *clearTip, *dialog;
    bool fileSelector;
};

// The for-line, the path with its chooser and clear button, and the area; the warranty has its
// expiry and switch between the for-line and the path.
Section pictureSection(const PictureTexts &t, std::vector<Control> extra = {})
{
    Section s;
    s.controls.push_back({.kind = K::PictureFor, .prompt = t.forText, .field = "DESCRIPTION", .row = 0, .col = 1,
                          .colSpan = 2, .name = t.forName});
    int r = 1;
    for (Control &c : extra) {
        c.row = r + c.row;
        s.controls.push_back(c);
    }
    for (const Control &c : extra)
        r = std::max(r, c.row + 1);
    s.controls.push_back({.kind = K::PicturePath, .prompt = t.pathText, .field = t.field, .picture = "@s120",
                          .row = r, .col = 1, .readOnly = t.fileSelector});
    s.controls.push_back({.kind = K::PictureChoose, .prompt = t.buttonText, .field = t.field, .row = r, .col = 2,
                          .name = t.buttonText, .fileSelector = t.fileSelector, .dialog = t.dialog});
    s.controls.push_back({.kind = K::Clear, .prompt = "X", .field = t.field, .tip = t.clearTip, .row = r, .col = 2,
                          .name = t.clearName});
    ++r;
    s.controls.push_back({.kind = K::PictureArea, .field = t.field, .row = r, .col = 1, .colSpan = 2});
    s.stretchColumns = {1};
    s.stretchRow = r + 1;
    return s;
}

std::vector<Tab> build()
{
    std::vector<Tab> tabs;

    Section g;
    g.controls = {
        {.kind = K::ReadOnlyEntry, .prompt = "Asset Number:", .field = "ASSETNUMBER", .picture = "@n_7", .row = 0,
         .col = 1},
        drop("Category:", "CATEGORY", kCategory, 1, kOwnTip),
        drop("Type:", "TYPE", kType, 2),
        clearDrop("TYPE", "Clear the type field", "CATEGORY", 2),
        drop("Subject:", "SUBJECT", kSubject, 3, nullptr, &H::subject),
        clearDrop("SUBJECT", "Cleat the subject field", "SUBJECT", 3, &H::subject),
        drop("Location:", "LOCATION", kLocation, 4),
        drop("Box Number:", "BOXNUMBER", kBox, 5, nullptr, &H::box),
        clearDrop("BOXNUMBER", "Clear the box field", "LOCATION", 5, &H::box),
        entry("Serial Number:", "SERIALNUMBER", "@s20", 6, 1, nullptr, &H::serial),
        entry("Model Number:", "MODELNUMBER", "@s20", 7, 1, nullptr, &H::model),
        entry("Description:", "DESCRIPTION", "@s60", 8, 1),
        entry("Manufacturer:", "MANUFACTURER", "@s20", 9, 1),
        lookup("MANUFACTURER", "Select a manufacturer", "LookupMfg", 9, 2),
        drop("Condition:", "CONDITION", kCondition, 10),
        entry("Color:", "COLOR", "@s20", 11, 1),
        entry("Star/Artist/Author:", "STARARTISTAUTHOR", "@s40", 12, 1, nullptr, &H::starArtist),
        entry("CoStar/Artist/Author:", "COSTARARTISTAUTHOR", "@s40", 13, 1, nullptr, &H::starArtist),
        // The right-hand half: purchase, weights and money.
        entry("Date Purchased:", "DATEPURCHASED", "@d1b", 0, 5),
        calendar("DATEPURCHASED", 0, 6),
        {.kind = K::Today, .prompt = "Today", .field = "DATEPURCHASED", .tip = "Today", .row = 0, .col = 6},
        entry("Purchased From:", "PURCHASEDFROM", "@s20", 1, 5, kOwnTip),
        lookup("PURCHASEDFROM", "Select a vendor", "LookupVendor", 1, 6),
        entry("Carat Weight:", "CARATWEIGHT", "@n5.2b", 2, 5, kOwnTip, &H::weights),
        entry("Total Weight:", "TOTALWEIGHT", "@n5.2b", 3, 5, nullptr, &H::weights),
        entry("Quantity:", "QUANTITY", "@n5", 4, 5),
        entry("Original cost:", "ORIGINALCOST", "@n9.2", 5, 5),
        entry("Replacement cost:", "REPLACEMENTCOST", "@n9.2", 6, 5),
        entry("MSRP:", "MSRP", "@n9.2", 7, 5, kOwnTip),
        entry("Market Value:", "MARKETVALUE", "@n9.2", 8, 5),
        {.kind = K::Display, .prompt = "Extended Value:", .picture = "@n12.2", .row = 9, .col = 5,
         .name = "Extended Value"},
        check("Insured", "INSURED", 10, 5, kOwnTip),
        check("Business Use", "BUSINESSUSE", 10, 5),
        {.kind = K::ReadOnlyEntry, .prompt = "Date Entered:", .field = "DATEENTERED", .picture = "@d1b", .row = 11,
         .col = 5},
        {.kind = K::Radios, .prompt = "How was this item purchased?", .field = "HOWPURCHASED", .row = 12, .col = 4,
         .rowSpan = 3, .colSpan = 3, .choices = {"Cash", "Check", "Credit Card", "Loan", "Gift", "Other", "???"}},
    };
    g.stretchColumns = {1, 5};
    g.stretchRow = 14;
    g.gapColumn = 3;
    tabs.push_back({"General", nullptr, {g}});

    Section appraisal;
    appraisal.controls = {
        check("Appraised", "APPRAISED", 0, 0, nullptr, 2),
        entry("Appraisal Date:", "APPRAISALDATE", "@d1b", 1, 1),
        calendar("APPRAISALDATE", 1, 2),
        entry("Appraised Value:", "APPRAISEDVALUE", "@n12.2", 2, 1),
        entry("Appraiser:", "APPRAISER", "@s25", 3, 1, kOwnTip),
    };
    appraisal.stretchColumns = {1};
    Section heirs;
    heirs.caption = "Heir for this item";
    heirs.controls = {
        check("Family Heirloom", "FAMILYHEIRLOOM", 0, 0, nullptr, 2),
        check("Engraved", "ENGRAVED", 1, 0, nullptr, 2),
        entry("Heir:", "HEIR", "@s40", 2, 1),
        lookup("HEIR", "Select an heir", "LookupHeir", 2, 2),
    };
    heirs.stretchColumns = {1};
    tabs.push_back({"Heirs / Appraisal", "Please enter the appraisal information", {appraisal, heirs}});

    Section artist;
    artist.controls = {
        entry("Artist:", "ARTIST", "@s30", 0, 1),
        check("Signed", "SIGNED", 1, 1, kOwnTip),
        // A year shows without thousands grouping: 1962, never 1,962 (which is too wide for it).
        entry("Year Origin:", "YEARORIGIN", "@n_4b", 2, 1, kOwnTip),
        check("Limited Edition", "LIMITEDEDITION", 3, 1),
        entry("Edition Number:", "EDITIONNUMBER", "@s20", 4, 1),
        entry("Total Number:", "TOTALNUMBER", "@n10b", 5, 1),
    };
    artist.stretchColumns = {1};
    tabs.push_back({"Artist / Antique", "Use these fields for the artist and/or antique information", {artist}});

    Section user;
    for (int i = 0; i < 4; ++i) {
        static const char *const fields[] = {"USERFIELD1", "USERFIELD2", "USERFIELD3", "USERFIELD4"};
        Control c = entry("", fields[i], "@s40", i, 1, kOwnTip);
        c.userTitle = i + 1;
        user.controls.push_back(c);
    }
    user.stretchColumns = {1};
    tabs.push_back({"User Fields", "Use these fields for any additional information you wish", {user}});

    const char *const clearImage = "Clear the path to image";
    tabs.push_back({"Image 1", nullptr,
                    {pictureSection({"Clear Image 1", "Image 1 for", "IMAGE", "Image 1 for:", "Path to Image 1:", "Select image 1",
                                     clearImage, "Select An Image", true})}});
    tabs.push_back({"Image 2", nullptr,
                    {pictureSection({"Clear Image 2", "Image 2 for", "IMAGE2", "Image 2 for:", "Path to Image 2:", "Select image 2",
                                     clearImage, "Select An Image", true})}});
    tabs.push_back({"Receipt", nullptr,
                    {pictureSection({"Clear Receipt", "Receipt for", "RECEIPTIMAGE", "Receipt for:", "Path to receipt:",
                                     "Lookup path to receipt", "Clear receipt", "Select A Receipt", false})}});
    tabs.push_back({"Warranty", nullptr,
                    {pictureSection({"Clear Warranty", "Warranty for", "WARRANTYIMAGE", "Warranty for:", "Path to warranty:",
                                     "Lookup the path to the warranty", "Clear the warranty",
                                     "Select Warranty File", false},
                                    {entry("Warranty Expiration:", "WARRANTYEXPIRATION", "@d1b", 0, 1),
                                     calendar("WARRANTYEXPIRATION", 0, 2),
                                     check("Warranty", "WARRANTY", 1, 1, "Does this item have a warranty?")})}});

    Section memo;
    memo.controls = {{.kind = K::Memo, .field = "MEMO"}};
    tabs.push_back({"Memo", "Enter any notes, additional description, or memos here", {memo}});
    return tabs;
}

}  // namespace

const std::vector<Tab> &itemTabs()
{
    static const std::vector<Tab> tabs = build();
    return tabs;
}

bool holdsField(Kind kind)
{
    switch (kind) {
    case K::Entry:
    case K::ReadOnlyEntry:
    case K::DropList:
    case K::Check:
    case K::Radios:
    case K::PicturePath:
    case K::Memo: return true;
    default: return false;
    }
}

}  // namespace inventory::layout
