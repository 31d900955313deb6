// The item form's tabs as data: each tab's controls in order with their prompt, field, picture,
// tip, place in the grid and the category switch that leaves them out. The item form is built
// from it; the client's read-only item view, the item information report and the blank input
// forms print the same fields and are meant to be built from it too, so it holds no widgets.
#pragma once

#include <vector>

#include "model/dictionary.h"
#include "model/managers.h"
#include "model/item_rules.h"

namespace inventory::layout {

enum class Kind {
    Entry,          // a typed field
    ReadOnlyEntry,  // a field shown but not typed into
    Display,        // a value worked out from other fields, not stored
    DropList,       // a field chosen from a reference file
    Check,          // a yes/no field; the prompt is its caption
    Radios,         // a field with fixed choices; the prompt is the group's caption
    Calendar,       // picks the field's date from a calendar
    Today,          // puts today's date into the field
    Lookup,         // runs the look-up procedure and takes the chosen record's value
    Clear,          // blanks the field (a drop list or a picture path)
    PictureFor,     // echoes the field (the description) beside a picture
    PicturePath,    // the path of a picture file
    PictureChoose,  // chooses the picture file for the field
    PictureArea,    // the area the field's picture is fitted into
    Memo,           // the item's memo
};

// The reference file a drop list is filled from, in the order of one of its keys.
struct Drop {
    const rt::TableDef *file;
    rt::FileManager *const *manager;  // the open file, once the program has opened it
    const char *key;
    std::vector<const char *> fields;   // the columns shown; the first is the value taken
    std::vector<const char *> headers;
    const char *limitedBy = nullptr;    // item field whose value the rows must have (same name in the file)
};

struct Control {
    Kind kind;
    const char *prompt = nullptr;   // the label before the control, or its caption
    const char *field = nullptr;    // the item field, or the field a button acts on
    const char *picture = nullptr;  // display picture of an entry
    const char *tip = nullptr;
    int row = 0, col = 0;           // the control's cell; a separate prompt sits in the column before
    int rowSpan = 1, colSpan = 1;
    const char *name = nullptr;     // object name when it is not the field (buttons: not the tip)
    const Drop *drop = nullptr;
    std::vector<const char *> choices = {};  // radio choices, four to a row
    const char *procedure = nullptr;    // look-up procedure
    const char *focus = nullptr;        // Clear of a drop list: the list the cursor goes to
    bool HiddenControls::*hiddenBy = nullptr;  // the category switch that leaves it out
    int userTitle = 0;                  // 1-4: the prompt is that user field's title
    bool readOnly = false;              // picture path that only the chooser fills
    bool fileSelector = false;          // picture chooser of an image (not receipt or warranty)
    const char *dialog = nullptr;       // picture chooser: the file dialog's title
};

// A grid of controls; with a caption it is framed as a group.
struct Section {
    const char *caption = nullptr;
    std::vector<Control> controls;
    std::vector<int> stretchColumns;
    int stretchRow = -1;
    int gapColumn = -1;  // a narrow empty column between two halves
};

struct Tab {
    const char *title;
    const char *heading = nullptr;  // text above the grids
    std::vector<Section> sections;
};

const std::vector<Tab> &itemTabs();

// True for the kinds that show or change a stored field of the item.
bool holdsField(Kind kind);

}  // namespace inventory::layout
