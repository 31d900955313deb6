// The settings form: the one record of the main system file. The form edits its own copy of
// the record; the shared buffer that the rest of the program reads changes only once the record
// is written, so Cancel, or a write that fails, leaves the program's settings as they were.
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>
#include <vector>

#include "model/dictionary.h"
#include "model/globals.h"
#include "model/managers.h"
#include "core/settings.h"
#include "runtime/gui.h"
#include "runtime/help.h"
#include "runtime/message.h"
#include "runtime/paths.h"
#include "runtime/update_form.h"
#include "runtime/window.h"

namespace {

using Record = MainSystemFileRecord;

// The settings the form writes when the file holds no record yet.
void storeFormDefaults(Record &r)
{
    r.PRINTADDRESSLINE = 1;
    r.PRINTPHONELINE = 1;
    r.PRINTEMAILADDRESSLINE = 1;
    r.USEMEMORYWIZARD = 1;
    r.AUTOADD = "Prompt";
    r.REMINDBACKUP = 1;
    r.PATHTOBACKUP = rt::homeFolder() + "backup/";
    r.PATHPRIMARYRESIDENCE = rt::homeFolder();
    r.REPORTFORMAT = "Portrait";
}

template <std::size_t N>
void normalisePath(rt::FixedString<N> &path)
{
    if (!path.blank())
        path = rt::withSlash(path.view());
}

class SettingsForm : public rt::WindowProcedure {
public:
    explicit SettingsForm(QWidget *parent) : rt::WindowProcedure("UpdateSystem", parent)
    {
        rt::clearRecord(dict::MainSystemFileDef, &edit_);
        saved_ = edit_;
    }

    int init() override
    {
        const int calledWith = rt::takeRequest();
        setHelpContext("~SYSTEM_SETUP");

        if (int level = openFiles({Relate::MainSystemFile}))
            return level;
        if (Access::MainSystemFile->useFile() != 0)
            if (int level = Access::MainSystemFile->openFile(true))
                return level;

        buildWindow();

        // Read the record without disturbing the shared buffer; a file without a record gets one
        // with the defaults, and the buffer then follows what was written.
        const Record shared = MSY;
        rt::clearRecord(dict::MainSystemFileDef, &MSY);
        MainSystemFile.setFileOrder();
        if (Access::MainSystemFile->next() != 0) {
            rt::clearRecord(dict::MainSystemFileDef, &MSY);
            storeFormDefaults(MSY);
            edit_ = MSY;
            if (Access::MainSystemFile->insert() != 0)
                MSY = shared;
        } else {
            edit_ = MSY;
            MSY = shared;
        }
        saved_ = edit_;
        display();

        setWindowTitle(calledWith == rt::InsertRecord   ? "Record Will Be Added"
                       : calledWith == rt::ChangeRecord ? "Record Will Be Changed"
                                                        : "Update the Main Setup file");
        return 0;
    }

private:
    struct Binding {
        QWidget *control;
        std::function<void(const Record &)> show;
        std::function<void(Record &)> take;
    };

    template <std::size_t N>
    QLineEdit *entry(const char *name, rt::FixedString<N> Record::*field, const char *tip)
    {
        auto *e = new QLineEdit;
        e->setObjectName(name);
        e->setMaxLength(static_cast<int>(N));
        e->setToolTip(tip);
        // Wide enough for the whole of a 40-character field; longer ones scroll rather than
        // stretch the form to 60 characters.
        rt::fitEntryToCharacters(e, static_cast<int>(N));
        bindings_.push_back({e, [e, field](const Record &r) { e->setText(QString::fromStdString((r.*field).str())); },
                             [e, field](Record &r) { r.*field = e->text().toStdString(); }});
        return e;
    }

    QCheckBox *check(const char *text, rt::Byte Record::*field, const char *tip)
    {
        auto *c = new QCheckBox(text);
        c->setObjectName(QString(text).trimmed());
        c->setToolTip(tip);
        bindings_.push_back({c, [c, field](const Record &r) { c->setChecked(r.*field == 1); },
                             [c, field](Record &r) { r.*field = c->isChecked() ? 1 : 0; }});
        return c;
    }

    // A group of radio buttons, each standing for one value of the field. A value that none of
    // them stands for shows no button checked and is kept as it is.
    template <std::size_t N>
    QGroupBox *radios(const char *title, rt::FixedString<N> Record::*field, std::vector<const char *> values,
                      const char *tip)
    {
        auto *box = new QGroupBox(title);
        box->setObjectName(QString(title).remove(':'));
        box->setToolTip(tip);
        auto *layout = new QHBoxLayout(box);
        auto *group = new QButtonGroup(box);
        std::vector<std::pair<QRadioButton *, std::string>> choices;
        for (const char *v : values) {
            auto *b = new QRadioButton(v);
            b->setObjectName(v);
            group->addButton(b);
            layout->addWidget(b);
            choices.emplace_back(b, v);
        }
        layout->addStretch();
        bindings_.push_back({box,
                             [group, choices, field](const Record &r) {
                                 group->setExclusive(false);
                                 for (auto &[b, v] : choices)
                                     b->setChecked(r.*field == v);
                                 group->setExclusive(true);
                             },
                             [choices, field](Record &r) {
                                 for (auto &[b, v] : choices)
                                     if (b->isChecked())
                                         r.*field = v;
                             }});
        return box;
    }

    void buildWindow()
    {
        auto *tabs = new QTabWidget;
        auto *general = new QWidget;
        tabs->addTab(general, "General");
        auto *grid = new QGridLayout(general);

        auto *owner = new QFormLayout;
        owner->addRow("Name:", entry("Name", &Record::NAME, "Please enter your first and last name"));
        owner->addRow("Address:", entry("Address", &Record::ADDRESS, "Please enter your complete address"));
        owner->addRow("City, State, Zip:", entry("CSZ", &Record::CSZ, "Please enter your city state and zip code"));
        owner->addRow("Phone:", entry("Phone", &Record::PHONE, "Please enter your phone, fax, etc."));
        owner->addRow("E Mail Address:",
                      entry("EmailAddress", &Record::EMAILADDRESS, "Please enter your e-mail address"));
        grid->addLayout(owner, 0, 0);

        auto *switches = new QVBoxLayout;
        switches->addWidget(
            check("Print Address Line", &Record::PRINTADDRESSLINE, "Do you wish to print the address line?"));
        switches->addWidget(check("Print Phone Line", &Record::PRINTPHONELINE, "Do you wish to print the phone line?"));
        switches->addWidget(check("Print E Mail Address Line", &Record::PRINTEMAILADDRESSLINE,
                                  "Do you wish to print the e-mail address line?"));
        switches->addWidget(
            check("Use Memory Wizard", &Record::USEMEMORYWIZARD, "Do you wish to use the memory wizard?"));
        switches->addWidget(radios("Auto Add:", &Record::AUTOADD, {"Always", "Prompt", "Never"},
                                   "Auto add new fields into files"));
        switches->addStretch();
        grid->addLayout(switches, 0, 1);

        auto *paths = new QFormLayout;
        paths->addRow("Primary Path:", entry("PrimaryPath", &Record::PATHPRIMARYRESIDENCE,
                                             "Enter the full path for the primary residence files"));
        paths->addRow("", check("Disable Auto Build", &Record::DISABLEAUTOBUILD, "Disable the Auto Build function"));
        paths->addRow("", check("Use Password", &Record::USEPASSWORD, "Use password protection"));
        password_ = entry("Password", &Record::PASSWORD, "Enter your secret password");
        password_->setEchoMode(QLineEdit::Password);
        paths->addRow("Password:", password_);
        paths->addRow("", check(" Remind Backup", &Record::REMINDBACKUP, "Remind to backup on close"));
        paths->addRow("Path To Backup:", entry("PathToBackup", &Record::PATHTOBACKUP, "Path for backup process"));
        paths->addRow("", radios("Report Format:", &Record::REPORTFORMAT, {"Portrait", "Landscape"},
                                 "Report printing format"));
        cdDrive_ = entry("CDDrive", &Record::PATHTOCD, "Drive letter of CD or path to temp file");
        auto *cdRow = new QHBoxLayout;
        cdRow->addWidget(cdDrive_);
        auto *setDefault = new QPushButton(" Set Default");
        setDefault->setObjectName("SetDefault");
        setDefault->setToolTip("Set default path for temp files");
        setDefault->setAutoDefault(false);
        cdRow->addWidget(setDefault);
        paths->addRow("CD Drive:", cdRow);
        grid->addLayout(paths, 1, 0, 1, 2);

        auto *ok = new QPushButton("OK");
        ok->setDefault(true);
        auto *cancel = new QPushButton("Cancel");
        cancel->setAutoDefault(false);
        auto *help = new QPushButton("Help");
        help->setAutoDefault(false);
        auto *buttons = new QHBoxLayout;
        buttons->addStretch();
        buttons->addWidget(ok);
        buttons->addWidget(cancel);
        buttons->addWidget(help);
        auto *v = new QVBoxLayout(this);
        v->addWidget(tabs);
        v->addLayout(buttons);

        connect(ok, &QPushButton::clicked, this, [this] { completeForm(); });
        connect(cancel, &QPushButton::clicked, this, [this] { finish(rt::RequestCancelled); });
        connect(help, &QPushButton::clicked, this, [this] { rt::showHelp(helpContext()); });
        connect(setDefault, &QPushButton::clicked, this, [this] {
            takeScreen();
            edit_.PATHTOCD = rt::homeFolder() + "Temp/";
            displayControl(cdDrive_);
        });
        // Field history: Ctrl+' brings back the value the record had when the form opened.
        auto *recall = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Apostrophe), this);
        connect(recall, &QShortcut::activated, this, [this] {
            QWidget *focus = focusWidget();
            for (Binding &b : bindings_)
                if (focus && (b.control == focus || b.control->isAncestorOf(focus)))
                    b.show(saved_);
        });
    }

    void display()
    {
        for (Binding &b : bindings_)
            b.show(edit_);
    }
    void displayControl(QWidget *control)
    {
        for (Binding &b : bindings_)
            if (b.control == control)
                b.show(edit_);
    }
    void takeScreen()
    {
        for (Binding &b : bindings_)
            b.take(edit_);
    }

    void completeForm()
    {
        takeScreen();
        if (edit_.USEPASSWORD == 1 && edit_.PASSWORD.blank()) {
            rt::beep();
            rt::message("You must enter a password when you have selected to use a password", "Missing Password",
                        rt::Icon::Exclamation, rt::BUTTON_RETRY);
            password_->setFocus();
            password_->selectAll();
            return;
        }
        // The shared file names are the primary path followed directly by the file name.
        normalisePath(edit_.PATHPRIMARYRESIDENCE);
        normalisePath(edit_.PATHTOBACKUP);
        normalisePath(edit_.PATHTOCD);
        display();
        const Record shared = MSY;
        MSY = edit_;
        if (Relate::MainSystemFile->update(true) != 0) {
            MSY = shared;  // the failure was shown; the form stays open with the user's values
            return;
        }
        finish(rt::RequestCompleted);
    }

    std::vector<Binding> bindings_;
    QLineEdit *password_ = nullptr;
    QLineEdit *cdDrive_ = nullptr;
    Record edit_;
    Record saved_;
};

}  // namespace

void UpdateSystem()
{
    rt::setResponse(rt::runModal(new SettingsForm(rt::modalParent())));
}
