// "Custom Report Options": the choice of a custom report definition, its order and limits; the
// look-up of the definitions and the form that edits one with its page-width check.
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <array>
#include <memory>

#include "model/dictionary.h"
#include "model/file_errors.h"
#include "model/globals.h"
#include "model/managers.h"
#include "model/user_fields.h"
#include "reports/custom_fields.h"
#include "reports/custom_report.h"
#include "reports/option_controls.h"
#include "reports/options.h"
#include "reports/report_table.h"
#include "runtime/browse_setup.h"
#include "runtime/errors.h"
#include "runtime/file_drop.h"
#include "runtime/gui.h"
#include "runtime/message.h"
#include "runtime/text.h"

namespace reports {

namespace {

const rt::BrowseSetup kReportNameLookup{
    .procedure = "LookupReportName",
    .caption = "Browse the Custom Report Setups File",
    .help = "~SELECTING_A_CUSTOM_REPORT",
    .orders = {{"Report Name", "REPORTNAMEKEY", rt::LocatorKind::Text, "REPORTNAME", "Report name", 40}},
    .columns = {{"Report Name", "REPORTNAME", "@s40", 0}, {"Orientation", "ORIENTATION", "@s10", 0}},
    .prepare = {},
    .update = [](int request) { return rt::callWithRequest("UpdateCustomReportSetups", request); },
};

// The definition form: its twelve column lists over the field list, and the width of the columns
// chosen beside the width of the page.
class DefinitionForm : public rt::UpdateForm {
public:
    explicit DefinitionForm(int req)
        : rt::UpdateForm("UpdateCustomReportSetups", *Relate::CustomReportSetups, req, "Custom Report Setups")
    {
        setWindowTitle("Update the CustomReportSetups File");
        setHelpContext("~CREATING_A_CUSTOM_REPORT");
        setCaptions("Adding a Custom Report Setups Record", "Changing a Custom Report Setups Record");
        primeRecord = [] { CRS.ORIENTATION = "Portrait"; };
        setupWindow = [this] { return build(); };
        validate = [this] { return fits(); };
    }

private:
    int build()
    {
        auto *v = new QVBoxLayout(this);
        auto *grid = new QGridLayout;
        grid->addWidget(new QLabel("Report Name:", this), 0, 0);
        auto *name = new QLineEdit(this);
        name->setObjectName("REPORTNAME");
        name->setToolTip("Report name");
        bindEntry(name, "REPORTNAME", "@s40");
        grid->addWidget(name, 0, 1, 1, 2);

        auto *orientation = new QGroupBox("Orientation", this);
        orientation->setToolTip("Report orientation");
        auto *oh = new QHBoxLayout(orientation);
        portrait_ = new QRadioButton("Portrait", orientation);
        auto *landscape = new QRadioButton("Landscape", orientation);
        oh->addWidget(portrait_);
        oh->addWidget(landscape);
        bindRadios("ORIENTATION", {{portrait_, "Portrait"}, {landscape, "Landscape"}});
        connect(portrait_, &QRadioButton::toggled, this, [this] { showWidths(); });
        grid->addWidget(orientation, 1, 0, 1, 3);

        const std::vector<std::string> stored = definitionColumns(CRS);
        for (int i = 0; i < 12; ++i) {
            const QString n = QString::number(i + 1);
            grid->addWidget(new QLabel("Column " + n + ":", this), i + 2, 0);
            auto *combo = new QComboBox(this);
            combo->setObjectName("FIELD" + n);
            combo->setToolTip("Field " + n + " name");
            combo->setMinimumWidth(200);
            // The blank choice is "no column"; a name the list lacks (a title of another client's
            // user field) stays a choice, so showing the form never changes the definition.
            combo->addItem(QString());
            for (const ReportField &f : reportFieldList())
                combo->addItem(QString::fromStdString(f.name));
            const QString current = QString::fromStdString(rt::clip(stored[static_cast<std::size_t>(i)]));
            if (!current.isEmpty() && combo->findText(current, Qt::MatchFixedString) < 0)
                combo->addItem(current);
            bindCombo(combo, ("FIELD" + n).toStdString());
            connect(combo, &QComboBox::activated, this, [this] { showWidths(); });
            grid->addWidget(combo, i + 2, 1);
            auto *clear = new QPushButton("Clear", this);
            clear->setObjectName("Clear" + n);
            connect(clear, &QPushButton::clicked, this, [this, combo] {
                combo->setCurrentIndex(0);
                showWidths();
            });
            grid->addWidget(clear, i + 2, 2);
            columns_[static_cast<std::size_t>(i)] = combo;
        }
        v->addLayout(grid);

        auto *width = new QGroupBox("Report Width", this);
        auto *wg = new QGridLayout(width);
        wg->addWidget(new QLabel("(in inches)", width), 0, 0, 1, 2);
        wg->addWidget(new QLabel("Maximum Width:", width), 1, 0);
        maximum_ = new QLabel(width);
        maximum_->setObjectName("MaximumWidth");
        wg->addWidget(maximum_, 1, 1);
        wg->addWidget(new QLabel("Current Width:", width), 2, 0);
        current_ = new QLabel(width);
        current_->setObjectName("CurrentWidth");
        wg->addWidget(current_, 2, 1);
        v->addWidget(width);
        addStandardButtons(v);
        display();
        showWidths();
        return 0;
    }

    // The widths of the columns as the lists show them now, before the record is written.
    int currentTenths() const
    {
        int sum = 0;
        for (QComboBox *c : columns_)
            if (const ReportField *f = findReportField(c->currentText().toStdString()))
                sum += f->tenths;
        return sum;
    }
    int maximum() const { return maximumTenths(portrait_->isChecked() ? "Portrait" : "Landscape"); }
    void showWidths()
    {
        maximum_->setText(QString::fromStdString(inchesText(maximum())));
        current_->setText(QString::fromStdString(inchesText(currentTenths())));
    }
    bool fits()
    {
        if (currentTenths() <= maximum())
            return true;
        rt::beep();
        rt::message("The report you have configured is too wide|please make adjustments accordingly", "Report Error",
                    rt::Icon::Exclamation);
        rt::showAndFocus(columns_[0]);
        return false;
    }

    QRadioButton *portrait_ = nullptr;
    std::array<QComboBox *, 12> columns_{};
    QLabel *maximum_ = nullptr;
    QLabel *current_ = nullptr;
};

class CustomReportOptionsWindow : public rt::WindowProcedure {
public:
    CustomReportOptionsWindow() : rt::WindowProcedure(report(Report::CustomReportOptions).portrait)
    {
        setWindowTitle("Custom Report Options");
        setHelpContext("~CUSTOM_REPORTS");
    }

    int init() override
    {
        if (int level = openFiles({Relate::CustomReportSetups, Relate::Category, Relate::Type, Relate::Location,
                                   Relate::BoxNumber, Relate::UserFields}))
            return level;
        const int rc = Access::UserFields->useFile() == 0 ? model::readTitlesRecord(::UserFields, USF) : rt::errorCode();
        if (rc == rt::err::NoRecord)
            model::putDefaultTitles(USF);
        else if (rc != 0) {
            StandardFileError(35, dict::UserFieldsDef.label);
            return rt::LevelNotify;
        }
        reportFieldList().clear();
        BuildReportFieldList();
        build();
        return 0;
    }
    void kill() override
    {
        drops_.clear();
        rt::WindowProcedure::kill();
    }

private:
    void build()
    {
        auto *v = new QVBoxLayout(this);
        auto *heading = new QLabel("Custom Home Inventory Report Setup", this);
        QFont f = heading->font();
        f.setBold(true);
        heading->setFont(f);
        v->addWidget(heading);

        auto *order = new QGroupBox("Report Order", this);
        order->setToolTip("Order to print reports");
        auto *ol = new QVBoxLayout(order);
        ol->addWidget(new QLabel("Order to print reports", order));
        auto *oh = new QHBoxLayout;
        addOrderChoice(this, oh, {"Asset", "Description", "Location", "Category"}, options_.order,
                       "Order to print reports");
        ol->addLayout(oh);
        v->addWidget(order);

        v->addWidget(new QLabel("Select report limits below", this));
        auto *grid = new QGridLayout;
        rt::FileDrop *category = addLimitList(this, grid, 0, "Category:", *Access::Category,
                                              dict::CategoryDef.key("CATEGORYKEY"), "CATEGORY", options_.category, drops_);
        rt::FileDrop *type = addLimitList(this, grid, 1, "Type:", *Access::Type, dict::TypeDef.key("CATEGORYTYPEKEY"),
                                          "TYPE", options_.type, drops_);
        rt::FileDrop *location = addLimitList(this, grid, 2, "Location:", *Access::Location,
                                              dict::LocationDef.key("LOCATIONKEY"), "LOCATION", options_.location, drops_);
        rt::FileDrop *box = addLimitList(this, grid, 3, "Box Number:", *Access::BoxNumber,
                                         dict::BoxNumberDef.key("BOXKEY"), "BOXNUMBER", options_.box, drops_);
        limitBy(type, category->combo(), dict::TypeDef, "CATEGORY", options_.type);
        limitBy(box, location->combo(), dict::BoxNumberDef, "LOCATION", options_.box);
        v->addLayout(grid);

        addOptionCheck(this, v, "Include Memos", "Include memos in report?", options_.memos);
        addOptionCheck(this, v, "Include Pictures", "Include pictures in the report?", options_.pictures);
        addOptionCheck(this, v, "Start New Page Every Item", nullptr, options_.newPage);

        auto *nameRow = new QHBoxLayout;
        nameRow->addWidget(new QLabel("Report Name:", this));
        name_ = new QLineEdit(this);
        name_->setObjectName("ReportName");
        name_->setToolTip("Name of report to print");
        name_->setMaxLength(40);
        rt::fitEntryToCharacters(name_, 40);
        connect(name_, &QLineEdit::editingFinished, this, [this] { nameAccepted(); });
        nameRow->addWidget(name_);
        auto *lookup = new QPushButton("...", this);
        lookup->setObjectName("LookupReportName");
        lookup->setToolTip("Browse the Custom Report Setups File");
        lookup->setFixedWidth(lookup->fontMetrics().horizontalAdvance("...") + 24);
        connect(lookup, &QPushButton::clicked, this, [this] { lookUp(); });
        nameRow->addWidget(lookup);
        v->addLayout(nameRow);

        auto *ok = new QPushButton("OK", this);
        ok->setDefault(true);
        connect(ok, &QPushButton::clicked, this, [this] { print(); });
        addCloseAndHelp(v, "Cancel", false, ok);  // OK stands before Cancel and Help
    }

    // The list `drop` shows only the rows of the value chosen in `by`; choosing another value
    // there blanks its limit, so a type or box of the previous choice is never kept.
    void limitBy(rt::FileDrop *drop, QComboBox *by, const rt::TableDef &def, const char *field, std::string &limit)
    {
        const rt::TableDef *d = &def;
        drop->filter = [d, by, field] {
            const std::string v = rt::clip(by->currentText().toStdString());
            if (v.empty())
                return std::vector<rt::Condition>{};
            return std::vector<rt::Condition>{rt::Condition::equals(*d, field, v)};
        };
        connect(by, &QComboBox::activated, this, [drop, &limit] {
            limit.clear();
            drop->fill(QString());
        });
    }

    // The name typed: a definition of that name is taken as it is; any other goes to the look-up.
    void nameAccepted()
    {
        const std::string typed = rt::clip(name_->text().toStdString());
        if (typed.empty() || typed == options_.reportName)
            return;
        rt::clearRecord(dict::CustomReportSetupsDef, &CRS);
        CRS.REPORTNAME = typed;
        if (Access::CustomReportSetups->fetch(*dict::CustomReportSetupsDef.key("REPORTNAMEKEY")) == 0) {
            options_.reportName = CRS.REPORTNAME.str();
            name_->setText(QString::fromStdString(options_.reportName));
            return;
        }
        if (!runLookup()) {
            name_->setFocus();
            return;
        }
    }
    void lookUp()
    {
        rt::clearRecord(dict::CustomReportSetupsDef, &CRS);
        CRS.REPORTNAME = rt::clip(name_->text().toStdString());
        runLookup();
    }
    bool runLookup()
    {
        if (rt::callWithRequest("LookupReportName", rt::SelectRecord) != rt::RequestCompleted)
            return false;
        options_.reportName = rt::clip(CRS.REPORTNAME.view());
        name_->setText(QString::fromStdString(options_.reportName));
        return true;
    }

    void print()
    {
        if (name_->hasFocus() || rt::clip(name_->text().toStdString()) != options_.reportName)
            nameAccepted();
        if (options_.reportName.empty()) {
            rt::beep();
            rt::message("Please select the report you wish to print", "Data Error", rt::Icon::Exclamation);
            name_->setFocus();
            return;
        }
        // The definition is read by its name here: the look-up may have left another one in the
        // buffer since it was chosen.
        rt::clearRecord(dict::CustomReportSetupsDef, &CRS);
        CRS.REPORTNAME = options_.reportName;
        const bool portrait = Access::CustomReportSetups->fetch(*dict::CustomReportSetupsDef.key("REPORTNAMEKEY")) != 0 ||
                              rt::compareNoCase(rt::clip(CRS.ORIENTATION.view()), "Portrait") == 0;
        // The report is made from a copy of this window's choices: a second window keeps its own.
        ReportInputs in;
        in.wide = !portrait;
        in.custom = options_;
        startReport(Report::CustomReport, in);
        reportFieldList().clear();
        finish(rt::RequestCompleted);
    }

    CustomOptions options_;
    QLineEdit *name_ = nullptr;
    std::vector<std::unique_ptr<rt::FileDrop>> drops_;
};

}  // namespace

}  // namespace reports

void ReportDesignOptions() { (new reports::CustomReportOptionsWindow)->start(); }

void LookupReportName()
{
    const int request = rt::takeRequest();
    auto *w = new rt::SetupBrowse(reports::kReportNameLookup, *Relate::CustomReportSetups, request);
    const std::string name = rt::clip(CRS.REPORTNAME.view());
    w->afterOpen = [w, name] {
        if (!name.empty())
            w->browse()->locate(name);
    };
    rt::setResponse(rt::runModal(w));
}

void UpdateCustomReportSetups() { rt::setResponse(rt::runModal(new reports::DefinitionForm(rt::takeRequest()))); }

void reports::registerCustomReportProcedures()
{
    rt::registerProcedure("LookupReportName", LookupReportName);
    rt::registerProcedure("UpdateCustomReportSetups", UpdateCustomReportSetups);
}
