#include "core/clients.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "model/dictionary.h"
#include "model/globals.h"
#include "model/managers.h"
#include "runtime/browse_setup.h"
#include "runtime/dates.h"
#include "runtime/gui.h"
#include "runtime/help.h"
#include "runtime/message.h"
#include "runtime/paths.h"
#include "runtime/picture.h"
#include "runtime/update_form.h"

namespace {

const char *const kPhone = rt::PhonePicture;

const rt::BrowseSetup kClientBrowse{
    .procedure = "BrowseClients",
    .caption = "Browse the Clients File",
    .help = "~CLIENT_MAINTENANCE",
    .orders = {{"ID Code", "IDCODEKEY"},
               {"Last Name", "LASTNAMEKEY"},
               {"Address", "ADDRESSKEY"},
               {"Home Phone", "HOMEPHONEKEY"},
               {"Date Updated", "DATEUPDATEKEY", rt::LocatorKind::Key}},
    .columns = clientColumns(true),
    .heading = "Browsing Records",
    .update = [](int req) { return rt::callWithRequest(UpdateQORClients, req); },
    .height = 520,
};

QLabel *valueLabel()
{
    auto *l = new QLabel;
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    l->setMinimumWidth(160);
    return l;
}

class ClientBrowse : public rt::SetupBrowse {
public:
    ClientBrowse() : rt::SetupBrowse(kClientBrowse, *Relate::QORClients, rt::takeRequest())
    {
        alsoOpen = {Relate::MainSystemFile};
    }

private:
    void addControls() override
    {
        // The highlighted client's other values under the list.
        auto *panel = new QGridLayout;
        email_ = valueLabel();
        fax_ = valueLabel();
        cell_ = valueLabel();
        notes_ = new QPlainTextEdit;
        notes_->setReadOnly(true);
        notes_->setMaximumHeight(70);
        panel->addWidget(new QLabel("Email:"), 0, 0);
        panel->addWidget(email_, 0, 1);
        panel->addWidget(new QLabel("Fax:"), 0, 2);
        panel->addWidget(fax_, 0, 3);
        panel->addWidget(new QLabel("Cell Phone:"), 0, 4);
        panel->addWidget(cell_, 0, 5);
        panel->addWidget(new QLabel("Notes:"), 1, 0, Qt::AlignTop);
        panel->addWidget(notes_, 1, 1, 1, 5);
        body()->addLayout(panel);
        browse()->onRowChanged = [this] { showPanel(); };
        resize(900, 520);
    }
    void showPanel()
    {
        const rt::BrowseRow *row = browse()->current();
        if (!row) {
            email_->clear();
            fax_->clear();
            cell_->clear();
            notes_->clear();
            return;
        }
        const auto *c = reinterpret_cast<const QORClientsRecord *>(row->record.data());
        email_->setText(QString::fromStdString(c->EMAIL.str()));
        fax_->setText(c->FAX.blank() ? QString() : QString::fromStdString(rt::formatText(kPhone, c->FAX.str())));
        cell_->setText(c->CELLPHONE.blank() ? QString()
                                            : QString::fromStdString(rt::formatText(kPhone, c->CELLPHONE.str())));
        notes_->setPlainText(QString::fromStdString(row->memo));
    }
    QLabel *email_ = nullptr, *fax_ = nullptr, *cell_ = nullptr;
    QPlainTextEdit *notes_ = nullptr;
};

class ClientForm : public rt::UpdateForm {
public:
    explicit ClientForm(int req) : rt::UpdateForm("UpdateQORClients", *Relate::QORClients, req, "Clients")
    {
        setHelpContext("~EDITING_A_CLIENT");
        alsoOpen = {Relate::MainSystemFile};
        primeRecord = [] { QOC.DATEENTERED = rt::today(); };
        preflight = [this] { return readSettings(); };
        setupWindow = [this] { return setup(); };
        validate = [this] { return checkIdCode(); };
        afterWrite = [this] { makeFolder(); };
    }
    QLineEdit *idEntry = nullptr;

private:
    int readSettings()
    {
        // The form needs the primary data path; it reads the settings into a copy of its own.
        MainSystemFileRecord settings;
        if (!readSettingsCopy(settings)) {
            rt::beep();
            rt::message("Error reading Main System File", "Main System Error", rt::Icon::Exclamation, rt::BUTTON_ABORT);
            return rt::LevelFatal;
        }
        primary_ = settings.PATHPRIMARYRESIDENCE.str();
        if (primary_.empty()) {
            rt::beep();
            rt::message("You must set the primary path in Main System File before proceeding", "Main System Error",
                        rt::Icon::Exclamation, rt::BUTTON_ABORT);
            return rt::LevelFatal;
        }
        return 0;
    }
    int setup()
    {
        setWindowTitle("Update the QORClients File");
        auto *outer = new QVBoxLayout(this);
        auto *tabs = new QTabWidget;
        auto *general = new QWidget;
        auto *form = new QGridLayout(general);
        int row = 0;
        auto entry = [&](const char *prompt, const char *field, const char *tip, const std::string &picture = {},
                         int col = 0) {
            auto *e = new QLineEdit;
            e->setObjectName(field);
            e->setToolTip(tip);
            form->addWidget(new QLabel(prompt), row, col * 3);
            form->addWidget(e, row, col * 3 + 1);
            bindEntry(e, field, picture);
            ++row;
            return e;
        };
        idEntry = entry("ID Code:", "IDCODE", "Client ID Code", "@s8");
        entry("Last Name:", "LASTNAME", "Client last name");
        entry("First Name:", "FIRSTNAME", "Client first name");
        entry("Address 1:", "ADDRESS1", "Client address line 1");
        entry("Address 2:", "ADDRESS2", "Client address line 2");
        entry("Address 3:", "ADDRESS3", "Client address line 3");
        entry("CSZ:", "CSZ", "Client city, state, & zip");
        row = 0;
        entry("Home Phone:", "HOMEPHONE", "Client's home phone", kPhone, 1);
        entry("Work Phone:", "WORKPHONE", "Client's work phone", kPhone, 1);
        entry("Work Ext:", "WORKEXT", "Client's work phone extension", {}, 1);
        entry(" Cell Phone:", "CELLPHONE", "Client's cell phone", kPhone, 1);
        entry("FAX:", "FAX", "Client's fax number", kPhone, 1);
        entry("E Mail:", "EMAIL", "Client's email address", {}, 1);
        auto dateEntry = [&](const char *prompt, const char *field, const char *tip) {
            QLineEdit *e = entry(prompt, field, tip, "@d1b", 1);
            auto *pick = new QPushButton("...");
            pick->setObjectName(QString(field) + " calendar");
            pick->setToolTip("Pick the date from a calendar");
            pick->setMaximumWidth(32);
            form->addWidget(pick, row - 1, 5);
            connect(pick, &QPushButton::clicked, this, [this, field] {
                if (!takeScreen())
                    return;
                rt::runProcedure("SelectDate");
                if (Glo.DatePicked == 1) {
                    rt::setFieldNumber(dict::QORClientsDef.fields[static_cast<std::size_t>(
                                           dict::QORClientsDef.fieldIndex(field))],
                                       static_cast<QORClientsRecord *>(&QOC), Glo.SelectedDate);
                    displayField(field);
                }
            });
            return e;
        };
        dateEntry("Date Last Update:", "DATELASTUPDATE", "Date of last inventory update");
        dateEntry("Date Entered:", "DATEENTERED", "Date client entered into system");
        form->setColumnStretch(1, 1);
        form->setColumnStretch(4, 1);
        form->setColumnMinimumWidth(2, 16);
        tabs->addTab(general, "General");
        auto *notesPage = new QWidget;
        auto *nl = new QVBoxLayout(notesPage);
        nl->addWidget(new QLabel("Notes:"));
        auto *notes = new QPlainTextEdit;
        notes->setObjectName("NOTES");
        notes->setToolTip("Client notes");
        nl->addWidget(notes);
        bindMemo(notes);
        tabs->addTab(notesPage, "Notes");
        outer->addWidget(tabs);
        addStandardButtons(outer);
        // An existing client's ID code names its folder and cannot change.
        if (formRequest() == rt::ChangeRecord)
            idEntry->setEnabled(false);
        return 0;
    }
    bool checkIdCode()
    {
        if (validIdCode(QOC.IDCODE.str()))
            return true;
        rt::beep();
        rt::message("Invalid ID Code, please correct", "Invalid ID Code", rt::Icon::Exclamation, rt::BUTTON_RETRY);
        QOC.IDCODE = "";
        displayField("IDCODE");
        idEntry->setFocus();
        return false;
    }
    void makeFolder()
    {
        if (rt::makeFolder(clientFolder(primary_, QOC.IDCODE.str())) != 0)
            rt::message("Unable to create data directory for this client", "Directory Creation Failed",
                        rt::Icon::Exclamation, rt::BUTTON_OK);
    }
    std::string primary_;
};

}  // namespace

const rt::ColumnSet &clientColumns(bool register_)
{
    static const rt::ColumnSet all{{"ID Code", "IDCODE", "@s8", 0},
                                   {"Last Name", "LASTNAME", "@s25", 72},
                                   {"First Name", "FIRSTNAME", "@s20", 56},
                                   {"Address 1", "ADDRESS1", "@s40", 88},
                                   {"CSZ", "CSZ", "@s40", 88},
                                   {"Date Update", "DATELASTUPDATE", "@d1b", 0},
                                   {"Home Phone", "HOMEPHONE", rt::PhonePicture, 56},
                                   {"Work Phone", "WORKPHONE", rt::PhonePicture, 56},
                                   {"Work Ext", "WORKEXT", "@s20", 40}};
    // The selection leaves out what only the register's keeper needs.
    static const rt::ColumnSet selection = [] {
        rt::ColumnSet c;
        for (const rt::ListColumn &col : all)
            if (std::string_view(col.field) != "DATELASTUPDATE" && std::string_view(col.field) != "WORKEXT")
                c.push_back(col);
        return c;
    }();
    return register_ ? all : selection;
}

std::string activeClientText(const std::string &firstName, const std::string &lastName)
{
    std::string t = "Active client: " + rt::clip(firstName) + " " + rt::clip(lastName);
    return std::string(rt::cutUtf8(t, 60));
}

void BrowseClients() { (new ClientBrowse)->start(); }

void UpdateQORClients()
{
    ClientForm form(rt::takeRequest());
    rt::setResponse(form.run());
}

void registerClientProcedures()
{
    rt::registerProcedure("BrowseClients", BrowseClients);
    rt::registerProcedure("UpdateQORClients", UpdateQORClients);
    rt::registerProcedure("SelectClient", SelectClient);
}
