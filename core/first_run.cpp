// The first-run setup: a three-page wizard that asks the owner's name and address and writes
// the one settings record with them and the program's default settings.
#include <QApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/brand.h"
#include "model/dictionary.h"
#include "model/globals.h"
#include "model/managers.h"
#include "core/settings.h"
#include "runtime/gui.h"
#include "runtime/message.h"
#include "runtime/paths.h"
#include "runtime/update_form.h"
#include "runtime/text.h"
#include "runtime/window.h"

namespace {

constexpr int kPages = 3;

class SetupWizard : public rt::WindowProcedure {
public:
    explicit SetupWizard(QWidget *parent) : rt::WindowProcedure("NewUser", parent) {}

    int init() override
    {
        rt::takeRequest();
        if (int level = openFiles({Relate::MainSystemFile}))
            return level;
        setWindowTitle("Orvane Rava Ravarurod Odidiruzavod Setup");
        setWindowIcon(programIcon());
        setHelpContext("~NEW_USER");

        pages_ = new QStackedWidget;
        pages_->setObjectName("Pages");
        pages_->addWidget(welcomePage());
        pages_->addWidget(entryPage());
        pages_->addWidget(thanksPage());

        back_ = new QPushButton("<< Back");
        next_ = new QPushButton("Next >>");
        finish_ = new QPushButton("Finish");
        for (QPushButton *b : {back_, next_, finish_})
            b->setAutoDefault(false);
        connect(back_, &QPushButton::clicked, this, [this] { showPage(page_ - 1); });
        connect(next_, &QPushButton::clicked, this, [this] { showPage(page_ + 1); });
        connect(finish_, &QPushButton::clicked, this, [this] { completeSetup(); });
        auto *buttons = new QHBoxLayout;
        buttons->addStretch();
        buttons->addWidget(back_);
        buttons->addWidget(next_);
        buttons->addWidget(finish_);
        auto *v = new QVBoxLayout(this);
        v->addWidget(pages_);
        v->addLayout(buttons);

        showPage(1);
        return 0;
    }

private:
    static QLabel *text(const char *s, bool heading = false)
    {
        auto *l = new QLabel(s);
        l->setWordWrap(false);
        if (heading) {
            QFont f = l->font();
            f.setBold(true);
            f.setPointSizeF(f.pointSizeF() * 1.25);
            l->setFont(f);
        }
        return l;
    }

    QWidget *welcomePage()
    {
        auto *page = new QWidget;
        auto *h = new QHBoxLayout(page);
        auto *icon = new QLabel;
        icon->setPixmap(programIcon().pixmap(32, 32));
        h->addWidget(icon, 0, Qt::AlignTop);
        auto *v = new QVBoxLayout;
        auto *logo = new QLabel;
        logo->setPixmap(brandLogo());
        v->addWidget(logo, 0, Qt::AlignHCenter);
        v->addWidget(text("Welcome to Orvane Rava Ravarurod Odidiruzavod", true));
        v->addWidget(text("This wizard will guide you through the initial setup process"));
        v->addWidget(text("You will enter your name, address and phone number"));
        v->addStretch();
        h->addLayout(v);
        return page;
    }

    QLineEdit *entry(const char *name, int width, const char *tip)
    {
        auto *e = new QLineEdit;
        e->setObjectName(name);
        e->setMaxLength(width);
        e->setToolTip(tip);
        rt::fitEntryToCharacters(e, width);
        return e;
    }

    QWidget *entryPage()
    {
        auto *page = new QWidget;
        auto *v = new QVBoxLayout(page);
        v->addWidget(text("Welcome to Rava Ravarurod Odidiruzavod", true));
        v->addWidget(text("Please enter your name, address, and phone numbers"));
        auto *form = new QFormLayout;
        name_ = entry("Name", 40, "Please enter your first and last name");
        address_ = entry("Address", 40, "Please enter you complete address");
        csz_ = entry("CSZ", 40, "Please enter your city, state, and zip code");
        phone_ = entry("Phone", 50, "Please enter your phone numbers");
        email_ = entry("Email", 50, "Please enter you email address");
        form->addRow("Name/Company:", name_);
        form->addRow("Address:", address_);
        form->addRow("City, State, Zip:", csz_);
        form->addRow("Phone:", phone_);
        form->addRow("Email address:", email_);
        v->addLayout(form);
        v->addStretch();
        return page;
    }

    QWidget *thanksPage()
    {
        auto *page = new QWidget;
        auto *v = new QVBoxLayout(page);
        v->addWidget(text("Thank You For Choosing Orvane Rava Ravarurod Odidiruzavod", true));
        v->addWidget(text("This completes the setup process"));
        v->addWidget(text("You are now ready to begin using Kelvara Orvane"));
        auto *manual = new QHBoxLayout;
        manual->addWidget(text("For complete documentation press the "));
        auto *icon = new QLabel;
        icon->setPixmap(toolbarIcon("Help").pixmap(24, 24));
        manual->addWidget(icon);
        manual->addWidget(text("icon on the main toolbar."));
        manual->addStretch();
        v->addLayout(manual);
        v->addWidget(text("Orvane Rava Ravarurod Odidiruzavod will allow you to "));
        v->addWidget(text("provide quality Home Inventory for all your clients."));
        v->addStretch();
        return page;
    }

    void showPage(int page)
    {
        page_ = std::clamp(page, 1, kPages);
        if (page_ == 1) {
            finish_->hide();
            back_->setEnabled(false);
            next_->setEnabled(true);
        } else if (page_ == kPages) {
            finish_->show();
            back_->setEnabled(true);
            next_->setEnabled(false);
        } else {
            finish_->hide();
            back_->setEnabled(true);
            next_->setEnabled(true);
        }
        pages_->setCurrentIndex(page_ - 1);
    }

    void completeSetup()
    {
        struct Required {
            QLineEdit *entry;
            const char *message;
        };
        for (Required r : {Required{name_, "Please enter your name..."},
                           Required{address_, "Please enter your address..."},
                           Required{csz_, "Please enter your city, state, and zip code..."}}) {
            if (!rt::clip(r.entry->text().toStdString()).empty())
                continue;
            rt::beep();
            rt::message(r.message, "Data Error", rt::Icon::Exclamation, rt::BUTTON_RETRY);
            // The entries live on the second page: show it before putting the cursor there.
            showPage(pages_->indexOf(r.entry->parentWidget()) + 1);
            r.entry->setFocus();
            r.entry->selectAll();
            return;
        }

        // The data folders are stored in fields of their own width; a home folder too long for
        // them would be stored cut and point somewhere else.
        const std::string backup = rt::homeFolder() + "backup/";
        if (backup.size() > sizeof(MainSystemFileRecord::PATHTOBACKUP)) {
            rt::beep();
            rt::message("The data folder " + rt::homeFolder() + " has too long a path for the Main System File.||" +
                            "Start the program with ZENVIK_HOME set to a folder with a shorter path.",
                        "Data Error", rt::Icon::Exclamation, rt::BUTTON_OK);
            return;
        }

        MainSystemFileRecord record;
        rt::clearRecord(dict::MainSystemFileDef, &record);
        record.NAME = name_->text().toStdString();
        record.ADDRESS = address_->text().toStdString();
        record.CSZ = csz_->text().toStdString();
        record.PHONE = phone_->text().toStdString();
        record.EMAILADDRESS = email_->text().toStdString();
        record.PRINTADDRESSLINE = 1;
        record.PRINTPHONELINE = 1;
        record.PRINTEMAILADDRESSLINE = 1;
        record.USEMEMORYWIZARD = 1;
        record.AUTOADD = "Prompt";
        record.SHOWTIPSATSTARTUP = 1;
        record.REMINDBACKUP = 1;
        record.TIMEZONE = -5;
        record.PATHTOBACKUP = backup;
        record.PATHPRIMARYRESIDENCE = rt::homeFolder();
        record.ACTIVERESIDENCE = "Primary";
        record.REPORTFORMAT = "Portrait";

        // The shared buffer takes the record only if it reached the file.
        const MainSystemFileRecord shared = MSY;
        MSY = record;
        if (Access::MainSystemFile->insert() != 0) {
            MSY = shared;
            return;
        }
        finish(rt::RequestCompleted);
    }

    QStackedWidget *pages_ = nullptr;
    QPushButton *back_ = nullptr, *next_ = nullptr, *finish_ = nullptr;
    QLineEdit *name_ = nullptr, *address_ = nullptr, *csz_ = nullptr, *phone_ = nullptr, *email_ = nullptr;
    int page_ = 1;
};

}  // namespace

void NewUser()
{
    rt::setResponse(rt::runModal(new SetupWizard(rt::modalParent())));
}
