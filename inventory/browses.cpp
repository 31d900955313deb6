#include "inventory/browses.h"

#include <QApplication>
#include <QCheckBox>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QEvent>
#include <QTableView>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "model/dictionary.h"
#include "model/globals.h"
#include "model/managers.h"
#include "inventory/item_form.h"
#include "model/valuation.h"
#include "reports/report_table.h"
#include "runtime/browse_window.h"
#include "runtime/errors.h"
#include "runtime/gui.h"
#include "runtime/picture.h"

namespace inventory {

namespace {

// The column of the item browses that takes the list's spare width: descriptions are the longest
// texts, and the heir, last, would otherwise take it all.
constexpr int kDescriptionColumn = 4;

// Keeps one column as wide as the list leaves room for beside the others (never narrower than
// it started), whenever the list is resized; the user may still size every column.
class SpareWidth : public QObject {
public:
    SpareWidth(QTableView *view, int column) : QObject(view), view_(view), column_(column)
    {
        minimum_ = view->horizontalHeader()->sectionSize(column);
        view->horizontalHeader()->setStretchLastSection(false);
        view->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Resize && watched == view_->viewport()) {
            QHeaderView *h = view_->horizontalHeader();
            int others = 0;
            for (int i = 0; i < h->count(); ++i)
                if (i != column_ && !h->isSectionHidden(i))
                    others += h->sectionSize(i);
            h->resizeSection(column_, std::max(minimum_, view_->viewport()->width() - others));
        }
        return false;
    }

private:
    QTableView *view_;
    int column_;
    int minimum_;
};

void giveSpareWidthTo(QTableView *view, int column) { new SpareWidth(view, column); }

const char *browseName(Variant v)
{
    switch (v) {
    case Variant::Category: return "BrowseOrvaneMasterSpec";
    case Variant::Location: return "BrowseOrvaneMasterLocation";
    case Variant::All: break;
    }
    return "BrowseOrvaneMaster";
}

QLabel *valueLabel(const QString &name)
{
    auto *l = new QLabel;
    l->setObjectName(name);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    l->setMinimumWidth(110);
    return l;
}

// A check box that shows a flag of the highlighted row and cannot be changed.
QCheckBox *flagBox(const QString &text)
{
    auto *c = new QCheckBox(text);
    c->setObjectName(text);
    c->setAttribute(Qt::WA_TransparentForMouseEvents);
    c->setFocusPolicy(Qt::NoFocus);
    return c;
}

class InventoryBrowse : public rt::BrowseWindow {
public:
    InventoryBrowse(const model::Edition &edition, Variant variant, const std::string &word)
        : rt::BrowseWindow(browseName(variant), *Relate::MasterInventory), edition_(edition), variant_(variant),
          word_(word)
    {
        setWindowTitle("Browse the Master Home Inventory File");
        setHelpContext("~BROWSE_HOME_INVENTORY");
        updateProcedure = [this](int req) {
            // The form gets this window's own word: another window may have changed the globals.
            return rt::callWithRequest([&] { rt::setResponse(runItemForm(variant_, word_, req, edition_)); }, req);
        };
        if (edition_.readOnly)
            updateProcedure = [](int req) {
                // Only a view of the highlighted item: nothing is inserted or deleted here.
                if (req != rt::ChangeRecord)
                    return static_cast<int>(rt::RequestCancelled);
                return rt::callWithRequest("UpdateMasterInventory", req);
            };
        browse()->afterUpdate = [this](int, int) {
            if (variant_ != Variant::All)
                Glo.MenuSelect = Glo.MenuCategory;
        };
        setupWindow = [this] { return setup(); };
    }

private:
    int setup()
    {
        Glo.LastLocation = "";
        rt::takeRequest();

        const rt::TableDef &def = dict::MasterInventoryDef;
        auto *heading = new QLabel(variant_ == Variant::All
                                       ? QString("All Home Inventory ")
                                       : QString::fromStdString(std::string(rt::cutUtf8(rt::clip(word_) + " Inventory", 30))));
        heading->setObjectName("heading");
        QFont f = heading->font();
        f.setPointSizeF(f.pointSizeF() * 1.4);
        f.setBold(true);
        heading->setFont(f);
        body()->insertWidget(0, heading);

        rt::Browse *b = browse();
        b->addColumn("Asset #", "ASSETNUMBER", "@n_7");
        b->addColumn("Category", "CATEGORY", "@s20", 14);
        b->addColumn("Type", "TYPE", "@s20", 14);
        b->addColumn("Location", "LOCATION", "@s20", 14);
        b->addColumn("Description", "DESCRIPTION", "@s60", 30);
        b->addColumn("Heir", "HEIR", "@s20", 20);

        // Every tab of a category or location browse lists only that category or location;
        // the comparison is case-blind, as the keys are.
        std::vector<rt::Condition> mine;
        if (variant_ == Variant::Category)
            mine.push_back(rt::Condition::equals(def, "CATEGORY", word_));
        else if (variant_ == Variant::Location)
            mine.push_back(rt::Condition::equals(def, "LOCATION", word_));
        std::vector<rt::Condition> heirs = mine;
        heirs.push_back(rt::Condition::notBlank(def, "HEIR"));
        auto order = [&](const char *key, const char *locator, const std::vector<rt::Condition> &filter) {
            return addOrder({def.key(key), filter, rt::LocatorKind::Text, def.fieldIndex(locator)});
        };
        auto tab = [this](const char *title, int order, const char *tip) {
            if (QLineEdit *locator = addTab(title, order))
                locator->setToolTip(tip);
        };
        tab("Asset", order("ASSETKEY", "ASSETNUMBER", mine), "Asset number");
        if (variant_ != Variant::Category)
            tab("Category", order("CATEGORYKEY", "CATEGORY", mine), "Category of item");
        if (variant_ != Variant::Location)
            tab("Location", order("LOCATIONKEY", "LOCATION", mine), "Location of item");
        tab("Description", order("DESCRIPTIONKEY", "DESCRIPTION", mine), "Description of item");
        tab("Inheritance", order("HEIRSKEY", "HEIR", heirs), "Heir for this item");
        giveSpareWidthTo(b->view(), kDescriptionColumn);

        if (edition_.readOnly) {
            insertButton()->hide();
            deleteButton()->hide();
            changeButton()->setText("&View");
            changeButton()->setObjectName("View");
        }
        buildPanel();
        buildButtons();
        b->onRowChanged = [this] { showPanel(); };
        b->onRefilled = [this] { showTotals(); };
        b->model().setTotals(valuation::itemTotals(def));
        b->model().onRowPatched = [this](const rt::BrowseRow *before, const rt::BrowseRow *after) {
            followTotals(before, after);
        };
        resize(900, 560);
        return 0;
    }

    void buildPanel()
    {
        auto *g = new QGridLayout;
        const char *names[] = {"Manufacturer:", "Model #:", "Serial #:", "Box #:", "Quantity:", "Value:", "Condition:"};
        for (int i = 0; i < 7; ++i) {
            QLabel *v = valueLabel(QString(names[i]).remove(':'));
            panel_.push_back(v);
            g->addWidget(new QLabel(names[i]), i % 4, (i / 4) * 2);
            g->addWidget(v, i % 4, (i / 4) * 2 + 1);
        }
        picture_ = flagBox("Picture On File");
        receipt_ = flagBox("Receipt On File");
        g->addWidget(picture_, 3, 2);
        g->addWidget(receipt_, 3, 3);
        g->addWidget(new QLabel("Memo:"), 0, 4, Qt::AlignTop);
        memo_ = new QPlainTextEdit;
        memo_->setObjectName("Memo");
        memo_->setReadOnly(true);
        memo_->setMaximumHeight(84);
        g->addWidget(memo_, 0, 5, 4, 1);
        g->setColumnStretch(5, 1);
        body()->addLayout(g);
    }

    void buildButtons()
    {
        auto *valuation = new QPushButton("Inventory Valuation");
        valuation->setObjectName("Inventory Valuation");
        valuation->setToolTip(variant_ == Variant::Category ? "Print an inventory valuation/list for this category"
                                                            : "Print inventory valuation/list report");
        auto *allInfo = new QPushButton("All Info");
        allInfo->setObjectName("All Info");
        allInfo->setToolTip("Print all information regarding the highlighted item");
        buttonRow()->insertWidget(0, valuation);
        buttonRow()->insertWidget(1, allInfo);
        connect(valuation, &QPushButton::clicked, this, [this] { printValuation(); });
        connect(allInfo, &QPushButton::clicked, this, [this] { printItem(); });

        count_ = valueLabel("Number of items");
        value_ = valueLabel("Value of items");
        count_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        bottomRow()->insertWidget(0, new QLabel("Number of items:"));
        bottomRow()->insertWidget(1, count_);
        bottomRow()->insertWidget(2, new QLabel("Value of items:"));
        bottomRow()->insertWidget(3, value_);
    }

    void showPanel()
    {
        const rt::BrowseRow *row = browse()->current();
        if (!row) {
            for (QLabel *l : panel_)
                l->clear();
            memo_->clear();
            picture_->setChecked(false);
            receipt_->setChecked(false);
            return;
        }
        const auto *m = reinterpret_cast<const MasterInventoryRecord *>(row->record.data());
        const std::string values[] = {m->MANUFACTURER.str(),
                                      m->MODELNUMBER.str(),
                                      m->SERIALNUMBER.str(),
                                      m->BOXNUMBER.str(),
                                      rt::formatNumber("@n5", m->QUANTITY.get(), 0),
                                      rt::formatNumber("@n9.2", m->MARKETVALUE.cents(), 2),
                                      m->CONDITION.str()};
        for (std::size_t i = 0; i < panel_.size(); ++i)
            panel_[i]->setText(QString::fromStdString(values[i]));
        memo_->setPlainText(QString::fromStdString(row->memo));
        picture_->setChecked(!m->IMAGE.blank());
        receipt_->setChecked(!m->RECEIPTIMAGE.blank());
    }

    void showTotals()
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        InventoryTotals t = listTotals();
        QApplication::restoreOverrideCursor();
        if (!t.ok) {
            // No figure is shown that could not be computed.
            count_->clear();
            value_->clear();
            browse()->reportFailure(rt::FileFailure::Read);
            return;
        }
        count_->setText(QString::fromStdString(rt::formatNumber("@n9", t.count, 0)));
        // The value is exact; a total wider than its picture shows in full rather than as #s.
        std::string v = rt::formatNumber(variant_ == Variant::Category ? "@n-13.2" : "@n12.2", t.cents, 2);
        if (!v.empty() && v[0] == '#')
            v = rt::formatNumber("@n-22.2", t.cents, 2);
        value_->setText(QString::fromStdString(v));
    }

    // The totals of the list: read once for each filter (a tab with the same filter keeps
    // them), then kept up to date row by row as the list follows an insert, change or delete.
    InventoryTotals listTotals()
    {
        const rt::BrowseModel &m = browse()->model();
        if (!kept_.ok || keptVersion_ != m.rowsVersion()) {
            if (m.totalsVersion() == m.rowsVersion())
                kept_ = {m.readTotals()[0], m.readTotals()[1], true};  // read with the list
            else
                kept_ = inventoryTotals(m);
            keptVersion_ = m.rowsVersion();
        }
        InventoryTotals t = kept_;
        t.count = m.rowCount();
        return t;
    }

    void followTotals(const rt::BrowseRow *before, const rt::BrowseRow *after)
    {
        if (!kept_.ok || keptVersion_ != browse()->model().rowsVersion())
            return;
        valuation::Totals v{kept_.count, kept_.cents};
        if (valuation::adjust(browse()->model().file().def(), v, before ? before->record.data() : nullptr,
                              after ? after->record.data() : nullptr)) {
            kept_.count = v.count;
            kept_.cents = v.cents;
        } else {
            kept_.ok = false;  // read afresh, so that the error shows
        }
    }

    void printValuation()
    {
        browse()->loadCurrent();
        switch (variant_) {
        case Variant::All:
            reports::startReport(reports::Report::InventoryValuation);
            break;
        case Variant::Category:
            Glo.SelectionPreset = 1;
            Glo.Category = word_;
            reports::startReport(reports::Report::CategoryInventory);
            break;
        case Variant::Location:
            Glo.SelectionPreset = 1;
            Glo.Location = word_;
            reports::startReport(reports::Report::LocationInventory);
            break;
        }
    }

    void printItem()
    {
        // Without a highlighted row the buffer holds some other item: nothing to print.
        if (!browse()->loadCurrent())
            return;
        std::int64_t at = browse()->model().position(browse()->currentRow());
        reports::startReport(reports::Report::ItemInformation);
        browse()->refill(at);
    }

    const model::Edition &edition_;
    Variant variant_;
    std::string word_;
    std::vector<QLabel *> panel_;
    QCheckBox *picture_ = nullptr, *receipt_ = nullptr;
    QPlainTextEdit *memo_ = nullptr;
    QLabel *count_ = nullptr, *value_ = nullptr;
    InventoryTotals kept_;
    std::uint64_t keptVersion_ = 0;
};

}  // namespace

InventoryTotals inventoryTotals(const rt::BrowseModel &list)
{
    valuation::Totals v;
    InventoryTotals t;
    t.ok = valuation::totals(list.view(), v) == 0;
    if (t.ok) {
        t.count = v.count;
        t.cents = v.cents;
    }
    return t;
}

rt::BrowseWindow *openInventoryBrowse(Variant variant, const std::string &word, const model::Edition &edition)
{
    QPointer<InventoryBrowse> w = new InventoryBrowse(edition, variant, word);
    w->start();
    return w && w->windowOpened() ? w.data() : nullptr;
}

}  // namespace inventory
