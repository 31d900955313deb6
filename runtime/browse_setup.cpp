#include "runtime/browse_setup.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "runtime/file_manager.h"
#include "runtime/gui.h"
#include "runtime/picture.h"

namespace rt {

const char *const PhonePicture = "@p(###) ###-####p";

namespace {

int chars(int dialogUnits) { return (dialogUnits + 3) / 4; }

void tip(QWidget *w, const char *text)
{
    if (!text)
        return;
    w->setToolTip(text);
    w->setStatusTip(text);
}

}  // namespace

// Widths are given in dialog units: a quarter of the font's average letter, measured over the
// alphabet as the dialog units themselves are.
int dialogUnitsToPixels(const QWidget *w, int dialogUnits)
{
    static const QString letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    const int base = w->fontMetrics().horizontalAdvance(letters);
    return (dialogUnits * base + 4 * 52 - 1) / (4 * 52);
}

void addColumns(Browse &b, const ColumnSet &columns)
{
    for (const ListColumn &c : columns)
        b.addColumn(c.title, c.field, c.picture, chars(c.width));
}

void sizeColumns(Browse &b, const ColumnSet &columns)
{
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (columns[i].width > 0)
            b.view()->horizontalHeader()->resizeSection(
                static_cast<int>(i), std::max(dialogUnitsToPixels(b.view(), columns[i].width) + 8,
                                              pictureMinimumPixels(b.view()->fontMetrics(), columns[i].picture)));
}

// ---------------------------------------------------------------------------------------------

SetupBrowse::SetupBrowse(const BrowseSetup &setup, RelationManager &primary, int req)
    : BrowseWindow(setup.procedure, primary, req), setup_(setup)
{
    setWindowTitle(setup.caption);
    setHelpContext(setup.help);
    list()->setStatusTip("Browsing Records");
    updateProcedure = setup.update;
    if (setup.printText) {
        print_ = new QPushButton(setup.printText);
        tip(print_, setup.printTip);
        buttonRow()->addWidget(print_);
        connect(print_, &QPushButton::clicked, this, [this] { print(); });
    }
    setupWindow = [this] { return build(); };
}

int SetupBrowse::build()
{
    // The default rows are in place before the list is first read.
    if (int level = prepare())
        return level;
    if (setup_.heading)
        body()->insertWidget(0, new QLabel(setup_.heading));
    const TableDef &def = browse()->manager().file.def();
    addColumns(*browse(), setup_.columns);
    for (const OrderSetup &o : setup_.orders) {
        SortOrder order;
        order.key = def.key(o.key);
        order.locator = o.locator;
        if (o.locatorField)
            order.locatorField = def.fieldIndex(o.locatorField);
        QLineEdit *entry = addTab(o.tab, addOrder(order));
        locators_.push_back(entry);
        if (entry) {
            tip(entry, o.locatorTip);
            if (o.locatorWidth)
                entry->setMaxLength(o.locatorWidth);
            if (!locator_)
                locator_ = entry;
        }
    }
    if (locator_)
        list()->installEventFilter(this);
    browse()->onRefilled = [this] {
        if (!sized_) {
            sized_ = true;
            sizeColumns(*browse(), setup_.columns);
        }
    };
    int width = 0;
    for (const ListColumn &c : setup_.columns)
        width += dialogUnitsToPixels(list(), c.width > 0 ? c.width : 40) + 8;
    resize(std::min(1100, std::max(560, width + 60)), setup_.height);
    addControls();
    return 0;
}

int SetupBrowse::init()
{
    int level = BrowseWindow::init();
    if (level == 0 && afterOpen)
        afterOpen();
    return level;
}

void SetupBrowse::print()
{
    std::int64_t keep = browse()->model().position(browse()->currentRow());
    setup_.printReport();
    // The window starts afresh after a report: the locators are empty and the list read again.
    for (QLineEdit *l : locators_)
        if (l)
            l->clear();
    browse()->refill(keep);
}

bool SetupBrowse::eventFilter(QObject *watched, QEvent *event)
{
    // A printable key typed in the list starts the current tab's text locator with that character.
    if (watched == list() && locator_ && event->type() == QEvent::KeyPress) {
        auto *k = static_cast<QKeyEvent *>(event);
        const bool plain = !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        const int tab = tabs() ? tabs()->currentIndex() : 0;
        QLineEdit *entry = tab >= 0 && tab < static_cast<int>(locators_.size())
                               ? locators_[static_cast<std::size_t>(tab)]
                               : nullptr;
        if (entry && plain && !k->text().isEmpty() && k->text()[0].isPrint()) {
            entry->setFocus();
            entry->setText(k->text());
            return true;
        }
    }
    return BrowseWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------

SetupForm::SetupForm(const FormSetup &setup, RelationManager &primary, int req)
    : UpdateForm(setup.procedure, primary, req, {}), setup_(setup)
{
    setHelpContext(setup.help);
    setCaptions(setup.insertCaption, setup.changeCaption);
    setWindowTitle(setup.resourceCaption);
    setupWindow = [this] { return build(); };
}

int SetupForm::build()
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
    for (const FormEntry &e : setup_.entries) {
        auto *entry = new QLineEdit;
        entry->setObjectName(e.field);
        tip(entry, e.tip);
        Picture pic = Picture::parse(e.picture);
        if (pic.kind == Picture::Number)
            entry->setMaxLength(pic.width);
        auto *prompt = new QLabel(e.prompt);
        prompt->setBuddy(entry);
        grid->addWidget(prompt, row, 0);
        grid->addWidget(entry, row, 1);
        bindEntry(entry, e.field, e.picture);
        // An owner's name that comes from the parent form is not typed.
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

}  // namespace rt
