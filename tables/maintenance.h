// The two window shapes that maintain every reference table: the maintenance browse (one list
// over the table's unique key on one tab, Insert/Change/Delete, an optional print button) and
// the update form (the record's entries on a "General" tab, OK/Cancel/Help), plus a parent form
// that lists its child rows (a location's boxes, a category's types) on a second tab.
#pragma once

#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "runtime/browse.h"
#include "runtime/browse_window.h"
#include "runtime/update_form.h"
#include "tables/seeding.h"

class QTabWidget;

namespace tables {

// A list column: header, field, display picture and width in dialog units.
struct Column {
    const char *title;
    const char *field;
    const char *picture;
    int width;
};

struct BrowseSetup {
    const char *procedure;  // also the INI section of the window's position
    const char *caption;
    const char *help;
    const char *key;        // the one sort order: the file's unique key, ascending
    const char *tab;
    rt::LocatorKind locator;
    const char *locatorField;
    const char *locatorTip = nullptr;   // the text locator's entry
    int locatorWidth = 0;
    std::vector<Column> columns;
    const char *printText = nullptr;    // the print button, when the window has one
    const char *printTip = nullptr;
    const char *printProcedure = nullptr;
    bool seeds = false;                 // the browse is a seeding point
    seeding::Point point = seeding::Point::Locations;
    bool waitCursor = false;            // shown while the browse seeds
    void (*form)() = nullptr;           // the update form, called with the request in Glo.Request
};

class MaintenanceBrowse : public rt::BrowseWindow {
public:
    MaintenanceBrowse(const BrowseSetup &setup, rt::RelationManager &primary);
    QPushButton *printButton() const { return print_; }
    QLineEdit *locatorEntry() const { return locator_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int build();
    void print();

    const BrowseSetup &setup_;
    QPushButton *print_ = nullptr;
    QLineEdit *locator_ = nullptr;
    bool sized_ = false;
};

// Starts a maintenance browse as a window of its own.
void startBrowse(const BrowseSetup &setup, rt::RelationManager &primary);

// An entry of a form: prompt, field, picture and tip (also the status-bar message).
struct Entry {
    const char *prompt;
    const char *field;
    const char *picture;
    const char *tip;
    bool readOnly = false;
};

struct FormSetup {
    const char *procedure;
    const char *resourceCaption;
    const char *help;
    const char *insertCaption;
    const char *changeCaption;
    std::vector<Entry> entries;
    const char *text = nullptr;  // an explanation above the entries
};

class MaintenanceForm : public rt::UpdateForm {
public:
    MaintenanceForm(const FormSetup &setup, rt::RelationManager &primary, int request);
    QTabWidget *tabs() const { return tabs_; }

protected:
    // Tabs after "General", added once the record is primed or read.
    virtual void addTabs() {}

private:
    int build();
    const FormSetup &setup_;
    QTabWidget *tabs_ = nullptr;
};

// Runs a form on the caller's thread for the request in Glo.Request, priming a new record with
// `prime`; the response goes to Glo.Response.
void runForm(const FormSetup &setup, rt::RelationManager &primary, std::function<void()> prime = {});

// The child rows of a parent form: the rows whose link field holds the parent's name.
struct ChildList {
    const char *tab;
    const char *key;           // the child's unique key: link field, then the child's own name
    const char *linkField;
    const char *locatorField;
    std::vector<Column> columns;
    void (*form)();            // the child's update form
};

// A parent form (a location with its boxes, a category with its types). The child list is
// limited to the parent's name as it was stored when the form opened, and a new child takes
// that name: a rename reaches the children only through OK, and a child is never added for a
// parent that is not saved yet.
class ParentForm : public MaintenanceForm {
public:
    ParentForm(const FormSetup &setup, rt::RelationManager &parent, rt::FileManager &child, int request,
               const ChildList &list, rt::FixedString<20> &parentName);
    rt::Browse *children() const { return children_; }

protected:
    void addTabs() override;

private:
    rt::FileManager &child_;
    const ChildList &list_;
    rt::FixedString<20> &parentName_;
    std::string name_;
    std::string saved_;
    rt::Browse *children_ = nullptr;
};

// A browse's seeding: reads the settings into a copy of its own and seeds the point when
// MSY:DISABLEAUTOBUILD is 0. An unreadable settings record is reported and gives the level that
// keeps the browse from opening; a seeding that stopped is reported and the browse opens.
int seedForBrowse(seeding::Point point, bool waitCursor);
// The one message of a seeding point that stopped.
void reportStoppedSeeding(const seeding::Outcome &outcome);

}  // namespace tables
