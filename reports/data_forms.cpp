// The blank data-input forms a household fills in by hand before its items are typed in, and
// "Input Data Forms options", which asks how many copies to print.
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "model/dictionary.h"
#include "model/globals.h"
#include "reports/data_forms.h"
#include "reports/item_reports.h"
#include "reports/report_table.h"
#include "reports/reports.h"
#include "runtime/gui.h"
#include "runtime/message.h"
#include "runtime/text.h"
#include "runtime/update_form.h"
#include "runtime/window.h"

namespace reports {

namespace {

using namespace kit;

struct FormKind {
    Report report;
    const char *button, *tip, *title;
    // Column headings with their widths; the row numbers take the first 300.
    std::vector<std::pair<const char *, int>> columns;
    bool category;
};

const FormKind kForms[] = {
    {Report::ClothingForm, "Clothing", "Print clothing input data form", "Clothing Data Input Form",
     {{"Quantity", 800}, {"Location", 1100}, {"Type", 1100}, {"Description", 2400}, {"MFG", 1000}, {"Cost", 800}},
     false},
    {Report::ElectronicsForm, "Electronics", "Print electronics input data form", "Electronics Data Input Form",
     {{"Model #", 900}, {"Location", 900}, {"Type", 800}, {"Description", 1900}, {"MFG", 900}, {"Cost", 800},
      {"Serial #", 1000}},
     false},
    {Report::FurnitureForm, "Furniture", "Print furniture input data form", "Furniture Data Input Form",
     {{"Location", 1100}, {"Type", 1100}, {"Description", 2400}, {"MFG", 1000}, {"Cost", 800}, {"Model", 800}},
     false},
    {Report::MiscellaneousForm, "Miscellaneous", "Print miscellaneous input data form",
     "Miscellaneous Data Input Form",
     {{"Location", 1100}, {"Type", 1100}, {"Description", 2400}, {"MFG", 1000}, {"Cost", 800}, {"Model", 800}},
     true},
};

constexpr int kRows = 32;
constexpr int kRowHeight = 270;
constexpr int kNumberWidth = 300;

ReportLayout formLayout(const FormKind &kind)
{
    std::vector<Column> columns;
    int x = kNumberWidth;
    for (const auto &[heading, width] : kind.columns) {
        Column c;
        c.x = x + 40;
        c.w = width - 40;
        c.heading = heading;
        columns.push_back(c);
        x += width;
    }
    ReportLayout l;
    l.page = itemPage(false, 1100);
    l.header = pageHeading(l.page.width, kind.title, columns);
    if (kind.category)
        l.header.controls.push_back(text(0, 600, 3000, "Category: _______________"));
    l.footer.name = "page footer";
    l.footer.height = 0;

    // The grid: 32 numbered rows, a line under each and one at every column's edge.
    Band body{"form", kRows * kRowHeight + 20, {}, false};
    const int width = l.page.width;
    body.controls.push_back(rule(0, 0, width));
    std::vector<int> edges{0, kNumberWidth};
    for (const auto &[heading, w] : kind.columns)
        edges.push_back(edges.back() + w);
    for (int r = 0; r < kRows; ++r) {
        const int top = r * kRowHeight;
        body.controls.push_back(text(0, top + 60, kNumberWidth - 60, std::to_string(r + 1), 0, 1000, Align::Right));
        body.controls.push_back(rule(0, top + kRowHeight, width));
    }
    for (int e : edges) {
        Control c = rule(std::min(e, width), 0, 0);
        c.h = kRows * kRowHeight;
        body.controls.push_back(c);
    }
    l.bands = {body};
    return l;
}

}  // namespace

ReportDefinition dataFormDefinition(int which, int copies)
{
    const FormKind &kind = kForms[which];
    ReportDefinition d;
    d.title = kind.title;
    d.files = {&Category};
    d.primary = &Category;
    d.primaryLabel = "Category";
    // The categories only drive the progress; nothing of them is printed.
    d.view = [] { return rt::View(Category, dict::CategoryDef.key("CATEGORYKEY")); };
    d.copies = copies;
    d.layout = [&kind](const RunChoices &) { return formLayout(kind); };
    d.spec = [](const RunChoices &) {
        ReportSpec s;
        s.accept = [](const rt::ViewRow &) { return false; };
        s.begin = [](ReportRun &run) { run.print("form"); };
        return s;
    };
    return d;
}

namespace {

// The number of copies typed: 1 to 255, the count a copy counter of one byte can hold.
bool readCopies(const QString &text, int &copies)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    if (!ok || n < 1 || n > 255)
        return false;
    copies = n;
    return true;
}

class DataFormsWindow : public rt::WindowProcedure {
public:
    DataFormsWindow() : rt::WindowProcedure(report(Report::DataFormsOptions).portrait)
    {
        setWindowTitle("Input Data Forms options");
        setHelpContext("~DATA_INPUT_FORMS");
    }

    int init() override
    {
        auto *v = new QVBoxLayout(this);
        v->addWidget(new QLabel("Select the form and how many you wish to print", this));
        auto *row = new QHBoxLayout;
        row->addWidget(new QLabel("How Many:", this));
        howMany_ = new QLineEdit("1", this);
        howMany_->setObjectName("How Many");
        howMany_->setToolTip("How many forms to print");
        howMany_->setMaxLength(3);
        howMany_->setValidator(new QIntValidator(0, 999, howMany_));
        rt::fitEntryToCharacters(howMany_, 5);
        row->addWidget(howMany_);
        row->addStretch(1);
        v->addLayout(row);
        auto *buttons = new QHBoxLayout;
        for (int i = 0; i < 4; ++i) {
            const FormKind &k = kForms[i];
            auto *b = new QPushButton(k.button, this);
            b->setToolTip(k.tip);
            connect(b, &QPushButton::clicked, this, [this, i] { startForm(i); });
            buttons->addWidget(b);
        }
        v->addLayout(buttons);
        addCloseAndHelp(v, "Exit");
        return 0;
    }

private:
    void startForm(int which)
    {
        int copies = 0;
        if (!readCopies(howMany_->text(), copies)) {
            rt::beep();
            rt::message("The number of forms must be from 1 to 255", "Data Error", rt::Icon::Exclamation);
            howMany_->setFocus();
            howMany_->selectAll();
            return;
        }
        // The report gets the count shown when its button was pressed, and starts once this
        // window's event has returned: never inside a window that is closing.
        ReportInputs in;
        in.copies = copies;
        QTimer::singleShot(0, [which, in] { startReport(kForms[which].report, in); });
        if (which != 3)
            finish(rt::RequestCompleted);
    }

    QLineEdit *howMany_ = nullptr;
};

}  // namespace

}  // namespace reports

void DataFormsOptions() { (new reports::DataFormsWindow)->start(); }
