// Browses and update forms described as data: a browse by its caption, sort orders (each with
// its tab and locator), columns, print button and update form; a form by its captions and
// entries. Most list and maintenance windows of both programs are one of these descriptions
// over one of the two classes below.
#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "runtime/browse.h"
#include "runtime/browse_window.h"
#include "runtime/update_form.h"

class QTabWidget;

namespace rt {

// The picture of every ten-digit phone number the windows show.
extern const char *const PhonePicture;

// A list column: header, field, display picture and width in dialog units (0: from the picture).
struct ListColumn {
    const char *title;
    const char *field;
    const char *picture;
    int width;
};
using ColumnSet = std::vector<ListColumn>;

// A sort order of a browse: its key (ascending), its tab and its locator.
struct OrderSetup {
    const char *tab;
    const char *key;
    LocatorKind locator = LocatorKind::Text;
    const char *locatorField = nullptr;  // the key's first component when none
    const char *locatorTip = nullptr;    // the text locator's entry
    int locatorWidth = 0;
};

struct BrowseSetup {
    const char *procedure;  // also the INI section of the window's position
    const char *caption;
    const char *help;
    std::vector<OrderSetup> orders;  // tabs in this order
    ColumnSet columns;
    const char *heading = nullptr;      // a line above the tabs
    const char *printText = nullptr;    // the print button, when the window has one
    const char *printTip = nullptr;
    std::function<void()> printReport;
    // Runs before the list is first read (a table's default rows); non-zero keeps the window shut.
    std::function<int()> prepare;
    // The update form, given the request; none for a look-up or a read-only list.
    std::function<int(int request)> update;
    int height = 460;
};

class SetupBrowse : public BrowseWindow {
public:
    // `request` is SelectRecord for a look-up.
    SetupBrowse(const BrowseSetup &setup, RelationManager &primary, int request = 0);
    QPushButton *printButton() const { return print_; }
    // The text locator entry of the first tab that has one.
    QLineEdit *locatorEntry() const { return locator_; }
    // Runs once the window has opened and its list was read.
    std::function<void()> afterOpen;

    int init() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // The step before the list is first read: the description's, unless a window has its own.
    virtual int prepare() { return setup_.prepare ? setup_.prepare() : 0; }
    // Controls of a window's own, added once the described ones are there and before the list
    // is first read.
    virtual void addControls() {}

private:
    int build();
    void print();

    const BrowseSetup &setup_;
    QPushButton *print_ = nullptr;
    QLineEdit *locator_ = nullptr;
    std::vector<QLineEdit *> locators_;
    bool sized_ = false;
};

// Columns of a browse from a description; widths in dialog units.
void addColumns(Browse &browse, const ColumnSet &columns);
// The list's header knows its sections only once the list has been read.
void sizeColumns(Browse &browse, const ColumnSet &columns);
int dialogUnitsToPixels(const QWidget *w, int dialogUnits);

// An entry of a form: prompt, field, picture and tip (also the status-bar message).
struct FormEntry {
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
    std::vector<FormEntry> entries;
    const char *text = nullptr;  // an explanation above the entries
};

class SetupForm : public UpdateForm {
public:
    SetupForm(const FormSetup &setup, RelationManager &primary, int request);
    QTabWidget *tabs() const { return tabs_; }

protected:
    // Tabs after "General", added once the record is primed or read.
    virtual void addTabs() {}

private:
    int build();
    const FormSetup &setup_;
    QTabWidget *tabs_ = nullptr;
};

}  // namespace rt
