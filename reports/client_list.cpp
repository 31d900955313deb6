// The client list: every household of the clients file by last name, with the options of the
// "Client List Options" window.
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/dictionary.h"
#include "model/globals.h"
#include "reports/columns.h"
#include "reports/list_layouts.h"
#include "reports/options.h"
#include "reports/report_table.h"
#include "runtime/browse_setup.h"
#include "reports/reports.h"
#include "runtime/gui.h"
#include "runtime/picture.h"
#include "runtime/text.h"
#include "runtime/window.h"

namespace reports {

using namespace kit;

namespace {

const char *const kPhone = rt::PhonePicture;

std::vector<Column> clientListColumns()
{
    Column name{750, 2500, "Client Name", {}, {}, "@s40"};
    name.cell = CellKind::Computed;
    name.name = "ClientName";
    // "Work" heads the work phone and its extension.
    Column work{4450, 1000, "Work", {}, "QOC:WORKPHONE", kPhone};
    work.headingWidth = 1400;
    return {{0, 700, "ID Code", {}, "QOC:IDCODE", "@s8"},
            name,
            {3300, 1100, "Phone", {}, "QOC:HOMEPHONE", kPhone},
            work,
            {5450, 450, {}, {}, "QOC:WORKEXT", "@s20"},
            {5900, 1000, "Cell", {}, "QOC:CELLPHONE", kPhone},
            {6950, 550, "Date Up", {}, "QOC:DATELASTUPDATE", "@d1b"}};
}

ReportLayout clientListLayout()
{
    const std::vector<Column> columns = clientListColumns();
    ReportLayout l = listLayout("Client List", columns, 8492);
    Band detail{"detail", 190, columnFields(columns), false};
    Band address{"address", 180, {field("AddressText", 750, 0, 3000, "@s40")}, false};
    Band email{"email", 180, {text(750, 0, 600, "Email:"), field("QOC:EMAIL", 1350, 0, 5000, "@s60")}, false};
    Band memo{"memo", 190, {block("QOC:NOTES", 750, 0, 6750)}, false};
    Band totals{"totals", 500, {rule(0, 40, 7500), text(0, 120, 3000, "Total number of clients listed:"),
                                field("count", 3000, 120, 1200, "@n9", Align::Right)}, false};
    l.bands = {detail, address, email, memo, totals};
    return l;
}

}  // namespace

ReportDefinition clientListDefinition(const ClientListOptions &o)
{
    ReportDefinition d;
    d.title = "Client List";
    d.files = {&QORClients, &MainSystemFile};
    d.primary = &QORClients;
    d.primaryLabel = "QORClients";
    d.view = [] { return rt::View(QORClients, dict::QORClientsDef.key("LASTNAMEKEY")); };
    d.heading = ownerHeading();
    d.layout = [](const RunChoices &) { return clientListLayout(); };
    d.spec = [o](const RunChoices &) {
        ReportSpec s;
        // The totals band, once after the last client, whenever a client was read.
        s.totalsBand = "totals";
        s.totals = {{"count", TotalSpec::When::Manual, {}}};
        s.printItem = [o, columns = clientListColumns()](const rt::ViewRow &row, ReportRun &run) {
            const QORClientsRecord &c = recordOf<QORClientsRecord>(row);
            if (o.clientDate != 0 && c.DATELASTUPDATE.get() > o.clientDate)
                return;
            if (o.limitEmail && rt::clip(c.EMAIL.view()).empty())
                return;
            const std::string first = rt::clip(c.FIRSTNAME.view());
            const std::string name = first.empty() ? c.LASTNAME.str() : rt::clip(c.LASTNAME.view()) + ", " + first;
            Values v = cellValues(columns, dict::QORClientsDef, row.record.data());
            v.set("ClientName", Value::of(name));
            run.print("detail", v);
            run.add("count");
            if (o.includeAddress)
                for (std::string a : {c.ADDRESS1.str(), c.ADDRESS2.str(), c.ADDRESS3.str(), c.CSZ.str()})
                    if (!rt::clip(a).empty())
                        run.print("address", Values{{"AddressText", Value::of(a)}});
            if (o.limitEmail)
                run.print("email", Values{{"QOC:EMAIL", Value::of(c.EMAIL.str())}});
            if (o.includeMemos && !rt::trim(row.memo).empty())
                run.print("memo", Values{{"QOC:NOTES", Value::of(row.memo)}});
        };
        return s;
    };
    return d;
}

namespace {

class ClientListOptionsWindow : public rt::WindowProcedure {
public:
    ClientListOptionsWindow() : rt::WindowProcedure(report(Report::ClientListOptions).portrait)
    {
        setWindowTitle("Client List Options");
        setHelpContext("~PRINT_A_CLIENT_LIST");
    }
    int init() override
    {
        // The window's own choices, cleared at each opening; another options window open at
        // the same time keeps its own.
        options_ = ClientListOptions{};
        auto *v = new QVBoxLayout(this);
        v->addWidget(new QLabel("Select Client List Options", this));
        auto check = [&](const char *text, const char *tip, bool ClientListOptions::*field) {
            auto *c = new QCheckBox(text, this);
            c->setToolTip(tip);
            connect(c, &QCheckBox::toggled, this, [this, field](bool on) { options_.*field = on; });
            v->addWidget(c);
        };
        check("Include Address", "Include address?", &ClientListOptions::includeAddress);
        check("Include Memos", "Include the memos/notes in the report?", &ClientListOptions::includeMemos);
        check("Limit Email", "Limit report to clients with an email address?", &ClientListOptions::limitEmail);
        auto *row = new QHBoxLayout;
        row->addWidget(new QLabel("Client Date:", this));
        date_ = new QLineEdit(this);
        date_->setObjectName("ClientDate");
        date_->setToolTip("List clients who have not had an update since");
        connect(date_, &QLineEdit::editingFinished, this, [this] { readDate(); });
        row->addWidget(date_);
        auto *calendar = new QPushButton("...", this);
        calendar->setObjectName("Calendar");
        connect(calendar, &QPushButton::clicked, this, [this] {
            rt::runProcedure("SelectDate");
            if (Glo.DatePicked == 1) {
                options_.clientDate = Glo.SelectedDate.get();
                showDate();
            }
        });
        row->addWidget(calendar);
        v->addLayout(row);
        auto *ok = new QPushButton("OK", this);
        ok->setDefault(true);
        connect(ok, &QPushButton::clicked, this, [this] {
            readDate();
            // The list is made from a copy of this window's choices.
            ReportInputs in;
            in.clientList = options_;
            startReport(Report::ClientList, in);
            finish(rt::RequestCompleted);
        });
        auto *row2 = new QHBoxLayout;
        row2->addWidget(ok);
        v->addLayout(row2);
        addCloseAndHelp(v, "Cancel");
        return 0;
    }

private:
    void readDate()
    {
        std::int32_t d = 0;
        const std::string t = rt::trim(date_->text().toStdString());
        if (t.empty())
            options_.clientDate = 0;
        else if (rt::deformatDate(t, d))
            options_.clientDate = d;
        showDate();
    }
    void showDate()
    {
        date_->setText(QString::fromStdString(rt::formatDate("@d1b", options_.clientDate)));
    }
    QLineEdit *date_ = nullptr;
    ClientListOptions options_;
};

}  // namespace

}  // namespace reports

void ClientReportOptions() { (new reports::ClientListOptionsWindow)->start(); }
