#include "tables/maintenance.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "model/client_files.h"
#include "model/dictionary.h"
#include "model/file_errors.h"
#include "model/globals.h"
#include "runtime/file_manager.h"
#include "runtime/gui.h"
#include "runtime/help.h"
#include "runtime/message.h"
#include "runtime/picture.h"

namespace tables {

std::function<int(int)> updateBy(void (*form)())
{
    return [form](int req) { return rt::callWithRequest(form, req); };
}

std::function<int()> seedsBefore(seeding::Point point, bool waitCursor)
{
    return [point, waitCursor] { return seedForBrowse(point, waitCursor); };
}

// ---------------------------------------------------------------------------------------------

int seedForBrowse(seeding::Point point, bool waitCursor)
{
    MainSystemFileRecord settings;
    if (!readSettingsCopy(settings)) {
        rt::beep();
        rt::message("Error reading Main System File", "File Error", rt::Icon::Exclamation, rt::BUTTON_ABORT);
        return rt::LevelFatal;
    }
    if (settings.DISABLEAUTOBUILD != 0)
        return 0;
    if (waitCursor)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    seeding::Outcome outcome = seeding::seed(point, settings.DISABLEAUTOBUILD);
    if (waitCursor)
        QApplication::restoreOverrideCursor();
    if (outcome.error)
        reportStoppedSeeding(outcome);
    return 0;
}

void reportStoppedSeeding(const seeding::Outcome &outcome)
{
    seeding::restoreError(outcome);
    rt::beep();
    StandardFileError(35, outcome.label);
}

// ---------------------------------------------------------------------------------------------

void startBrowse(const rt::BrowseSetup &setup, rt::RelationManager &primary)
{
    (new rt::SetupBrowse(setup, primary, rt::takeRequest()))->start();
}

// ---------------------------------------------------------------------------------------------

void runForm(const rt::FormSetup &setup, rt::RelationManager &primary, std::function<void()> prime)
{
    rt::SetupForm form(setup, primary, rt::takeRequest());
    form.primeRecord = std::move(prime);
    rt::setResponse(form.run());
}

// ---------------------------------------------------------------------------------------------

ParentForm::ParentForm(const rt::FormSetup &setup, rt::RelationManager &parent, rt::FileManager &child, int req,
                       const ChildList &list, rt::FixedString<20> &parentName)
    : rt::SetupForm(setup, parent, req), child_(child), list_(list), parentName_(parentName)
{
}

void ParentForm::addTabs()
{
    // The name as stored: blank for a parent that is being added.
    name_ = formRequest() == rt::InsertRecord ? std::string() : parentName_.str();
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *view = new QTableView;
    view->setObjectName("children");
    view->setStatusTip("Browsing Records");
    view->setMinimumSize(480, 200);
    layout->addWidget(view, 1);
    auto *row = new QHBoxLayout;
    auto *insert = new QPushButton("&Insert");
    auto *change = new QPushButton("&Change");
    auto *remove = new QPushButton("&Delete");
    row->addStretch(1);
    row->addWidget(insert);
    row->addWidget(change);
    row->addWidget(remove);
    layout->addLayout(row);
    tabs()->addTab(page, list_.tab);

    children_ = new rt::Browse(view, child_, this);
    rt::addColumns(*children_, list_.columns);
    const rt::TableDef &def = child_.file.def();
    rt::SortOrder order;
    order.key = def.key(list_.key);
    order.filter = {rt::Condition::equalsLive(def, list_.linkField, [this] { return name_; })};
    order.locator = rt::LocatorKind::Step;
    order.locatorField = def.fieldIndex(list_.locatorField);
    children_->addSortOrder(order);
    children_->setButtons(insert, change, remove);
    void (*form)() = list_.form;
    children_->updateProcedure = updateBy(form);
    // The child form takes its owner from the parent's buffer: it gets the stored name for the
    // time of the call, whatever a refused OK left in the buffer.
    children_->beforeUpdate = [this](int) {
        saved_ = parentName_.str();
        parentName_ = name_;
    };
    children_->afterUpdate = [this](int, int) { parentName_ = saved_; };
    children_->setOrder(0);
    rt::sizeColumns(*children_, list_.columns);
    // A child of a parent that is not saved yet would stay behind without it on Cancel.
    if (formRequest() == rt::InsertRecord)
        insert->setEnabled(false);
}

}  // namespace tables
