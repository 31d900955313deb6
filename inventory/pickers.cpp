// The category and location pickers: GetCategory, GetLocation and GetLocationBox answer a
// report's question in globals; SelectCategory and SelectLocation open the browse of the chosen
// one.
#include <QComboBox>
#include <QGridLayout>
#include <QSignalBlocker>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTreeView>
#include <QVBoxLayout>
#include <cstdint>

#include "model/dictionary.h"
#include "model/globals.h"
#include "model/edition.h"
#include "model/managers.h"
#include "inventory/inventory.h"
#include "runtime/file_report.h"
#include "runtime/browse.h"
#include "runtime/browse_window.h"
#include "runtime/window.h"
#include "runtime/gui.h"
#include "runtime/help.h"
#include "runtime/message.h"
#include "runtime/text.h"
#include "runtime/view.h"

namespace {

// A drop list of two columns over a reference file: the value and its description.
QComboBox *twoColumnList(const char *name, const QStringList &headers, QWidget *parent, int minimumWidth)
{
    auto *list = new QComboBox(parent);
    list->setObjectName(name);
    list->setMinimumWidth(minimumWidth);
    auto *model = new QStandardItemModel(0, 2, list);
    model->setHorizontalHeaderLabels(headers);
    auto *view = new QTreeView;
    view->setRootIsDecorated(false);
    view->setMinimumWidth(440);
    list->setModel(model);
    list->setView(view);
    view->header()->resizeSection(0, 150);
    return list;
}

// Adds a row of the value and its description for each record of the file, in the order given
// (record order without one). A file that cannot be opened adds nothing; one that fails midway
// keeps the rows read before; either is reported.
void addTwoColumnRows(QComboBox *list, rt::RelationManager &rm, const rt::TableDef &def, const char *value,
                      const rt::KeyDef *order, const std::vector<rt::Condition> &only = {})
{
    if (rm.me.useFile() != 0) {
        rt::reportFileFailure(rt::FileFailure::Open, rm.me.file);
        return;
    }
    rt::View rows(rm.me.file, order, only);
    std::vector<rt::ViewRow> all;
    if (rows.read(SIZE_MAX, all) != 0)
        rt::reportFileFailure(rt::FileFailure::Read, rm.me.file);
    const std::size_t valueField = static_cast<std::size_t>(def.fieldIndex(value));
    const std::size_t description = static_cast<std::size_t>(def.fieldIndex("DESCRIPTION"));
    auto *model = static_cast<QStandardItemModel *>(list->model());
    for (const rt::ViewRow &row : all)
        model->appendRow({new QStandardItem(QString::fromStdString(rt::fieldText(def.fields[valueField], row.record.data()))),
                          new QStandardItem(QString::fromStdString(rt::fieldText(def.fields[description], row.record.data())))});
}

// ---- GetCategory, GetLocation ------------------------------------------------------------------

class ReportPicker : public rt::WindowProcedure {
public:
    explicit ReportPicker(bool category)
        : rt::WindowProcedure(category ? "GetCategory" : "GetLocation"), category_(category),
          rm_(category ? *Relate::Category : *Relate::Location)
    {
        setHelpContext("~MAINTAIN_A_CLIENT_INVENTORY");
    }

    int init() override
    {
        request = rt::takeRequest();
        Glo.SelectionCancelled = 1;
        answer() = "";
        if (rm_.open() != 0)
            return rt::LevelFatal;
        open_ = true;
        setWindowTitle(category_ ? "Select Category" : "Select Location");
        auto *v = new QVBoxLayout(this);
        v->addWidget(new QLabel(category_ ? "Select the category you wish to print"
                                          : "Select the location you wish to print"));
        auto *row = new QHBoxLayout;
        row->addWidget(new QLabel(category_ ? "Category:" : "Location:"));
        list_ = twoColumnList(category_ ? "Category" : "Location",
                              {category_ ? "Category" : "Location",
                               category_ ? "Description of the category" : "Description of the location"},
                              this, 220);
        row->addWidget(list_, 1);
        v->addLayout(row);
        auto *buttons = new QHBoxLayout;
        ok_ = new QPushButton("OK");
        auto *cancel = new QPushButton("Cancel");
        buttons->addStretch(1);
        buttons->addWidget(ok_);
        buttons->addWidget(cancel);
        v->addLayout(buttons);
        fill();
        // Until a row is chosen there is nothing to print: OK waits for a choice.
        ok_->setEnabled(false);
        ok_->setDefault(true);
        connect(list_, &QComboBox::currentIndexChanged, this, [this](int i) {
            answer() = i >= 0 ? list_->itemText(i).toStdString() : std::string();
            ok_->setEnabled(i >= 0);
        });
        connect(ok_, &QPushButton::clicked, this, [this] {
            if (list_->currentIndex() < 0)
                return;
            Glo.SelectionCancelled = 0;
            finish(rt::RequestCompleted);
        });
        connect(cancel, &QPushButton::clicked, this, [this] {
            Glo.SelectionCancelled = 1;
            finish(rt::RequestCancelled);
        });
        return 0;
    }

    void kill() override
    {
        if (open_) {
            rm_.close();
            open_ = false;
        }
        rt::WindowProcedure::kill();
    }

private:
    rt::FixedString<20> &answer() { return category_ ? Glo.Category : Glo.Location; }

    void fill()
    {
        // Categories come in the file's record order, locations in name order.
        if (category_)
            addTwoColumnRows(list_, rm_, dict::CategoryDef, "CATEGORY", nullptr);
        else
            addTwoColumnRows(list_, rm_, dict::LocationDef, "LOCATION", dict::LocationDef.key("LOCATIONKEY"));
        list_->setCurrentIndex(-1);
    }

    bool category_;
    rt::RelationManager &rm_;
    bool open_ = false;
    QComboBox *list_ = nullptr;
    QPushButton *ok_ = nullptr;
};

void runReportPicker(bool category)
{
    ReportPicker w(category);
    rt::setResponse(w.run());
}

// ---- GetLocationBox -------------------------------------------------------------------------

// The location and box of a packing list. Choosing another location blanks the box, so a box of
// the previous location is never printed under the new one.
class LocationBoxPicker : public rt::WindowProcedure {
public:
    LocationBoxPicker() : rt::WindowProcedure("GetLocationBox")
    {
        setWindowTitle("Select Location and Box");
        setHelpContext("~MAINTAIN_A_CLIENT_INVENTORY");
    }

    int init() override
    {
        request = rt::takeRequest();
        Glo.SelectionCancelled = 1;
        Glo.Location = "";
        Glo.BoxNumber = "";
        for (rt::RelationManager *rm : {Relate::BoxNumber, Relate::Location}) {
            if (!rm || rm->open() != 0)
                return rt::LevelNotify;
            opened_.push_back(rm);
        }
        auto *v = new QVBoxLayout(this);
        auto *text = new QLabel("Select the location and box number you wish to print", this);
        QFont f = text->font();
        f.setBold(true);
        f.setUnderline(true);
        text->setFont(f);
        text->setStyleSheet("color: red");
        v->addWidget(text);
        auto *grid = new QGridLayout;
        grid->addWidget(new QLabel("Location:", this), 0, 0, Qt::AlignRight);
        locations_ = twoColumnList("Location", {"Location", "Description of the location"}, this, 260);
        grid->addWidget(locations_, 0, 1);
        grid->addWidget(new QLabel("Box number:", this), 1, 0, Qt::AlignRight);
        boxes_ = twoColumnList("Box number", {"Box Number", "Description"}, this, 260);
        grid->addWidget(boxes_, 1, 1);
        v->addLayout(grid);
        auto *buttons = new QHBoxLayout;
        auto *ok = new QPushButton("OK", this);
        auto *cancel = new QPushButton("Cancel", this);
        // The professional program's buttons are bold; the client program's are not.
        if (!model::edition().readOnly)
            for (QPushButton *b : {ok, cancel}) {
                QFont bf = b->font();
                bf.setBold(true);
                b->setFont(bf);
            }
        ok->setDefault(true);
        buttons->addStretch(1);
        buttons->addWidget(ok);
        buttons->addWidget(cancel);
        buttons->addStretch(1);
        v->addLayout(buttons);

        fill(locations_, *Relate::Location, dict::LocationDef, "LOCATIONKEY", {});
        locations_->setCurrentIndex(-1);
        connect(locations_, &QComboBox::currentIndexChanged, this, [this](int i) {
            Glo.Location = i >= 0 ? locations_->itemText(i).toStdString() : std::string();
            Glo.BoxNumber = "";
            fillBoxes();
        });
        connect(boxes_, &QComboBox::currentIndexChanged, this,
                [this](int i) { Glo.BoxNumber = i >= 0 ? boxes_->itemText(i).toStdString() : std::string(); });
        connect(ok, &QPushButton::clicked, this, [this] {
            if (rt::clip(Glo.BoxNumber.view()).empty()) {
                rt::beep();
                rt::message("You must select a box to print", "Data Error", rt::Icon::Exclamation, rt::BUTTON_RETRY);
                boxes_->setFocus();
                return;
            }
            Glo.SelectionCancelled = 0;
            finish(rt::RequestCompleted);
        });
        connect(cancel, &QPushButton::clicked, this, [this] {
            Glo.SelectionCancelled = 1;
            finish(rt::RequestCancelled);
        });
        return 0;
    }

    void kill() override
    {
        // Every file opened here is closed again, whatever way the window ends.
        for (rt::RelationManager *rm : opened_)
            rm->close();
        opened_.clear();
        rt::WindowProcedure::kill();
    }

private:
    void fillBoxes()
    {
        const std::string location = rt::clip(Glo.Location.view());
        std::vector<rt::Condition> only;
        if (!location.empty())
            only.push_back(rt::Condition::equals(dict::BoxNumberDef, "LOCATION", location));
        fill(boxes_, *Relate::BoxNumber, dict::BoxNumberDef, "BOXKEY", location.empty() ? nullptr : &only);
        boxes_->setCurrentIndex(-1);
    }

    // The list in key order; with no location chosen the box list stays empty.
    static void fill(QComboBox *list, rt::RelationManager &rm, const rt::TableDef &def, const char *key,
                     const std::vector<rt::Condition> *only)
    {
        QSignalBlocker block(list);
        auto *model = static_cast<QStandardItemModel *>(list->model());
        model->removeRows(0, model->rowCount());
        const bool boxes = &def == &dict::BoxNumberDef;
        if (boxes && !only)
            return;
        addTwoColumnRows(list, rm, def, boxes ? "BOXNUMBER" : "LOCATION", def.key(key),
                         only ? *only : std::vector<rt::Condition>{});
    }

    std::vector<rt::RelationManager *> opened_;
    QComboBox *locations_ = nullptr;
    QComboBox *boxes_ = nullptr;
};

// ---- SelectCategory, SelectLocation -------------------------------------------------------------

class WorkPicker : public rt::BrowseWindow {
public:
    explicit WorkPicker(bool category)
        : rt::BrowseWindow(category ? "SelectCategory" : "SelectLocation",
                           category ? *Relate::Category : *Relate::Location, rt::SelectRecord),
          category_(category)
    {
        setWindowTitle(category ? "Select The Category You Wish To Work In" : "Select The Location You Wish To Work In");
        rt::fitTitle(this);
        setHelpContext("~MAINTAIN_A_CLIENT_INVENTORY");
        selectButton()->setText("Select");
        setupWindow = [this] { return setup(); };
        disconnect(browse(), &rt::Browse::selected, this, nullptr);
        connect(browse(), &rt::Browse::selected, this, [this] { choose(); });
    }

    int init() override
    {
        rt::takeRequest();
        return rt::BrowseWindow::init();
    }

private:
    int setup()
    {
        const rt::TableDef &def = category_ ? dict::CategoryDef : dict::LocationDef;
        browse()->addColumn(category_ ? "Category" : "Location", category_ ? "CATEGORY" : "LOCATION", "@s20", 24);
        addOrder({def.key(category_ ? "CATEGORYKEY" : "LOCATIONKEY"), {}, rt::LocatorKind::Key});
        list()->setMinimumSize(260, 300);
        return 0;
    }

    // The browse has put the highlighted row into the record buffer.
    void choose()
    {
        const std::string word = category_ ? CAT.CATEGORY.str() : LCT.LOCATION.str();
        Glo.MenuSelect = word;
        Glo.MenuCategory = word;
        rt::runProcedure(category_ ? "BrowseOrvaneMasterSpec" : "BrowseOrvaneMasterLocation");
        finish(rt::RequestCompleted);
    }

    bool category_;
};

}  // namespace

void GetCategory() { runReportPicker(true); }
void GetLocation() { runReportPicker(false); }
void GetLocationBox() { rt::setResponse(rt::runModal(new LocationBoxPicker)); }
void SelectCategory() { (new WorkPicker(true))->start(); }
void SelectLocation() { (new WorkPicker(false))->start(); }
