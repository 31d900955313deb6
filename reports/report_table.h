// The one list of the reports of both programs: every report procedure (or portrait and wide
// pair) with its menu texts, whether it asks for its selection, the programs that offer it, and
// how it is made. Registration, the reports menus and the frames' Reports menus and toolbars
// are all read from it.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/edition.h"
#include "reports/frame.h"
#include "reports/options.h"

namespace reports {

// Programs as a set.
enum Programs : unsigned {
    kNone = 0,
    kProfessional = 1u << static_cast<unsigned>(model::Program::Professional),
    kClient = 1u << static_cast<unsigned>(model::Program::Client),
    kBoth = kProfessional | kClient,
};
unsigned programBit(model::Program program);

// Each entry of the table, in its order: callers name a report by this, never by its procedure.
enum class Report : unsigned char {
    InventoryValuation, CategoryInventory, LocationInventory, ReceiptList, Inheritance, CatalogOptions,
    CustomReportOptions, PictureList, WarrantyList, Insurance, AppraisedItems, BoxPackingList, ItemInformation,
    CatalogByDescription, CatalogByCategory, CatalogByLocation, CustomReport, DataFormsOptions, ClothingForm,
    ElectronicsForm, FurnitureForm, MiscellaneousForm, ClientListOptions, ReportsMenu, ClientList,
    LocationBoxList, CategoryTypesList, ManufacturerList, VendorList,
};

// Where a frame's Reports menu shows an entry.
enum class FrameMenu : unsigned char { None, Reports, HomeInventoryReports };

struct ReportEntry {
    Report id;
    const char *portrait;         // the procedure, or the portrait one of a pair
    const char *wide = nullptr;   // the wide one of a pair
    const char *button = nullptr; // the reports menus' button text
    const char *tip = nullptr;    // its tool tip and status-bar message
    FrameMenu frameMenu = FrameMenu::None;
    const char *menuText = nullptr;  // the frames' menu entry
    // It asks for its selection (a category, a location, a box) before it runs; a caller that
    // starts it from a menu clears Glo:SelectionPreset first so that it asks.
    bool asks = false;
    unsigned offeredBy = kNone;
    // A report: its definition made from its inputs (the layout among them).
    std::function<ReportDefinition(const ReportInputs &)> definition = {};
    // A window (a menu or an options window), started rather than run.
    void (*window)() = nullptr;
    // The frames' toolbar button and its tip in each program (nullptr: none).
    const char *toolbar = nullptr;
    const char *toolbarTip = nullptr, *clientToolbarTip = nullptr;
    // Reads the selected client's items (the professional frame enables it with a client).
    bool ofClient = true;

    bool offered(model::Program p) const { return (offeredBy & programBit(p)) != 0; }
    bool pair() const { return wide != nullptr; }
    // The procedure of this layout; an entry without a wide one has only its portrait one.
    const char *procedure(bool wideLayout) const { return wideLayout && wide ? wide : portrait; }
};

// Every entry, in the order of the professional reports menu's buttons, then the others.
std::span<const ReportEntry> reportTable();
// The entry naming this procedure (portrait or wide), or nullptr.
const ReportEntry *findReport(std::string_view procedure);
// The entry of this report.
const ReportEntry &report(Report id);
// Whether the edition's report format in force selects the wide layouts: "Portrait" compared
// as stored, a blank-padded case-sensitive string; any other value, a blank one too, is wide.
// The one place the choice is made.
bool wideFormat();
// The procedure of the entry that the edition's report format selects.
std::string formatProcedure(const ReportEntry &entry);
// Starts a report by its procedure, in the format in force, without touching the selection: a
// caller that chose it already says so in Glo:SelectionPreset.
void startReport(Report id);
// Starts a report with its inputs, as its options window (or a caller holding them) gives them:
// made from these values, whatever the globals hold.
void startReport(Report id, const ReportInputs &inputs);
// Runs an entry from a reports menu: a window is started; a report that asks for its selection
// asks (the preset cleared) and runs in the format in force.
void runEntry(const ReportEntry &entry);
// Runs an entry from a frame's Reports menu: the preset is cleared before every report, not
// only before those that ask, so that nothing a browse chose earlier carries into a report
// started from the frame.
void runFrameEntry(const ReportEntry &entry);
// The entries of a frame's menu for the program, in menu order (alphabetical, as the frames
// list them).
std::vector<const ReportEntry *> frameMenuEntries(model::Program program, FrameMenu menu);
// The entries with a toolbar button for the program, in table order.
std::vector<const ReportEntry *> toolbarEntries(model::Program program);

}  // namespace reports
