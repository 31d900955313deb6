// How the reference tables are maintained: each table's browse and form are descriptions over the
// runtime's described windows; a parent form lists its child rows (a location's boxes, a
// category's types) on a second tab.
#pragma once

#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "runtime/browse_setup.h"
#include "model/seeding.h"

class QTabWidget;

namespace tables {

using Column = rt::ListColumn;

// A maintenance browse as a window of its own; the request it was started with is taken.
void startBrowse(const rt::BrowseSetup &setup, rt::RelationManager &primary);
// The update form of a browse, called with the request and giving back its response.
std::function<int(int request)> updateBy(void (*form)());
// A browse's seeding as the step before its list is first read.
std::function<int()> seedsBefore(seeding::Point point, bool waitCursor = false);

// Runs a form on the caller's thread for the request it was called with, priming a new record with
// `prime`; the form's response is left for the caller.
void runForm(const rt::FormSetup &setup, rt::RelationManager &primary, std::function<void()> prime = {});

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
class ParentForm : public rt::SetupForm {
public:
    ParentForm(const rt::FormSetup &setup, rt::RelationManager &parent, rt::FileManager &child, int request,
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
