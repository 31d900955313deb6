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

#include "core/clients.h"
#include "core/dictionary.h"
#include "core/file_errors.h"
#include "core/globals.h"
#include "runtime/file_manager.h"
#include "runtime/gui.h"
#include "runtime/help.h"
#include "runtime/message.h"
#include "runtime/picture.h"

namespace tables {

namespace {

// Widths are given in dialog units: a quarter of the font's average letter, measured over the
// alphabet as the dialog units themselves are.
int pixels(const QWidget *w, int dialogUnits)
{
    static const QString letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    const int base = w->fontMetrics().horizontalAdvance(letters);
    return (dialogUnits * base + 4 * 52 - 1) / (4 * 52);
}
int chars(int dialogUnits) { return (dialogUnits + 3) / 4; }

void addColumns(rt::Browse *b, const std::vector<Column> &columns)
{
    for (const Column &c : columns)
        b->addColumn(c.title, c.field, c.picture, chars(c.width));
}

// The list's header knows its sections only once the list has been read.
void sizeColumns(rt::Browse *b, const std::vector<Column> &columns)
{
    for (std::size_t i = 0; i < columns.size(); ++i)
        b->view()->horizontalHeader()->resizeSection(static_cast<int>(i), pixels(b->view(), columns[i].width) + 8);
}

void tip(QWidget *w, const char *text)
{
    if (!text)
        return;
    w->setToolTip(text);
    w->setStatusTip(text);
}

}  // namespace

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

MaintenanceBrowse::MaintenanceBrowse(const BrowseSetup &setup, rt::RelationManager &primary)
    : rt::BrowseWindow(setup.procedure, primary), setup_(setup)
{
    request = rt::takeRequest();
    setWindowTitle(setup.caption);
    setHelpContext(setup.help);
    list()->setStatusTip("Browsing Records");
    if (setup.form) {
        void (*form)() = setup.form;
        updateProcedure = [form](int req) { return rt::callWithRequest(form, req); };
    }
    if (setup.printText) {
        print_ = new QPushButton(setup.printText);
        tip(print_, setup.printTip);
        buttonRow()->addWidget(print_);
        connect(print_, &QPushButton::clicked, this, [this] { print(); });
    }
    setupWindow = [this] { return build(); };
}

int MaintenanceBrowse::build()
{
    // The default rows are in place before the list is first read.
    if (setup_.seeds) {
        int level = seedForBrowse(setup_.point, setup_.waitCursor);
        if (level != 0)
            return level;
    }
    const rt::TableDef &def = browse()->manager().file.def();
    addColumns(browse(), setup_.columns);
    rt::SortOrder order;
    order.key = def.key(setup_.key);
    order.locator = setup_.locator;
    order.locatorField = def.fieldIndex(setup_.locatorField);
    locator_ = addTab(setup_.tab, addOrder(order));
    if (locator_) {
        tip(locator_, setup_.locatorTip);
        locator_->setMaxLength(setup_.locatorWidth);
        list()->installEventFilter(this);
    }
    browse()->onRefilled = [this] {
        if (!sized_) {
            sized_ = true;
            sizeColumns(browse(), setup_.columns);
        }
    };
    int width = 0;
    for (const Column &c : setup_.columns)
        width += pixels(list(), c.width) + 8;
    resize(std::min(1100, std::max(560, width + 60)), 460);
    return 0;
}

void MaintenanceBrowse::print()
{
    std::int64_t keep = browse()->model().position(browse()->currentRow());
    rt::runProcedure(setup_.printProcedure);
    // The window starts afresh after a report: the locator is empty and the list read again.
    if (locator_)
        locator_->clear();
    browse()->refill(keep);
}

bool MaintenanceBrowse::eventFilter(QObject *watched, QEvent *event)
{
    // A printable key typed in the list starts the text locator's entry with that character.
    if (watched == list() && locator_ && event->type() == QEvent::KeyPress) {
        auto *k = static_cast<QKeyEvent *>(event);
        const bool plain = !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (plain && !k->text().isEmpty() && k->text()[0].isPrint()) {
            locator_->setFocus();
            locator_->setText(k->text());
            return true;
        }
    }
    return rt::BrowseWindow::eventFilter(watched, event);
}

void startBrowse(const BrowseSetup &setup, rt::RelationManager &primary)
{
    (new MaintenanceBrowse(setup, primary))->start();
}

// ---------------------------------------------------------------------------------------------

MaintenanceForm::MaintenanceForm(const FormSetup &setup, rt::RelationManager &primary, int req)
    : rt::UpdateForm(setup.procedure, primary, req, {}), setup_(setup)
{
    setHelpContext(setup.help);
    setCaptions(setup.insertCaption, setup.changeCaption);
    setWindowTitle(setup.resourceCaption);
    setupWindow = [this] { return build(); };
}

int MaintenanceForm::build()
{
    auto *outer = new QVBoxLayout(this);
    tabs_ = new QTabWidget;
    auto *general = new QWidget;
    auto *grid = new QGridLayout(general);
    int row = 0;
    if (setup_.text) {
        auto *text = new QLabel(setup_.text);
        text->setWordWrap(true);
        grid->addWidget(text, row++, 0, 1, 2);
    }
    for (const Entry &e : setup_.entries) {
        auto *entry = new QLineEdit;
        entry->setObjectName(e.field);
        tip(entry, e.tip);
        rt::Picture pic = rt::Picture::parse(e.picture);
        if (pic.kind == rt::Picture::Number)
            entry->setMaxLength(pic.width);
        auto *prompt = new QLabel(e.prompt);
        prompt->setBuddy(entry);
        grid->addWidget(prompt, row, 0);
        grid->addWidget(entry, row, 1);
        bindEntry(entry, e.field, e.picture);
        // The owner's name comes from the parent form and is not typed.
        if (e.readOnly)
            entry->setEnabled(false);
        ++row;
    }
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(row, 1);
    tabs_->addTab(general, "General");
    addTabs();
    outer->addWidget(tabs_);
    addStandardButtons(outer);
    resize(std::max(sizeHint().width(), 460), sizeHint().height());
    return 0;
}

void runForm(const FormSetup &setup, rt::RelationManager &primary, std::function<void()> prime)
{
    MaintenanceForm form(setup, primary, rt::takeRequest());
    form.primeRecord = std::move(prime);
    rt::setResponse(form.run());
}

// ---------------------------------------------------------------------------------------------

ParentForm::ParentForm(const FormSetup &setup, rt::RelationManager &parent, rt::FileManager &child, int req,
                       const ChildList &list, rt::FixedString<20> &parentName)
    : MaintenanceForm(setup, parent, req), child_(child), list_(list), parentName_(parentName)
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
    addColumns(children_, list_.columns);
    const rt::TableDef &def = child_.file.def();
    rt::SortOrder order;
    order.key = def.key(list_.key);
    order.filter = {rt::Condition::equalsLive(def, list_.linkField, [this] { return name_; })};
    order.locator = rt::LocatorKind::Step;
    order.locatorField = def.fieldIndex(list_.locatorField);
    children_->addSortOrder(order);
    children_->setButtons(insert, change, remove);
    void (*form)() = list_.form;
    children_->updateProcedure = [form](int req) { return rt::callWithRequest(form, req); };
    // The child form takes its owner from the parent's buffer: it gets the stored name for the
    // time of the call, whatever a refused OK left in the buffer.
    children_->beforeUpdate = [this](int) {
        saved_ = parentName_.str();
        parentName_ = name_;
    };
    children_->afterUpdate = [this](int, int) { parentName_ = saved_; };
    children_->setOrder(0);
    sizeColumns(children_, list_.columns);
    // A child of a parent that is not saved yet would stay behind without it on Cancel.
    if (formRequest() == rt::InsertRecord)
        insert->setEnabled(false);
}

}  // namespace tables
