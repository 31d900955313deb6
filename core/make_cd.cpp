// The windows of the client CD: MakeCD ("Make Client CD") says what is about to happen and
// Make_The_CD ("Copying Files") shows the item being written. The work is core/client_cd.cpp's.
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "core/client_cd.h"
#include "model/dictionary.h"
#include "model/globals.h"
#include "core/make_cd.h"
#include "model/client_files.h"
#include "runtime/gui.h"
#include "runtime/help.h"
#include "runtime/paths.h"
#include "runtime/picture.h"
#include "runtime/text.h"
#include "runtime/window.h"

namespace {

QLabel *bold(const std::string &text, const char *name)
{
    auto *l = new QLabel(QString::fromStdString(text));
    l->setObjectName(name);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

class MakeTheCdWindow : public rt::WindowProcedure {
public:
    MakeTheCdWindow(QWidget *parent, std::string folder, ClientCdOutcome &outcome)
        : rt::WindowProcedure("Make_The_CD", parent), folder_(std::move(folder)), outcome_(outcome)
    {
    }

    int init() override
    {
        setWindowTitle("Copying Files");
        auto *v = new QVBoxLayout(this);
        v->addWidget(bold("Copying files to the Client CD", "Heading"), 0, Qt::AlignHCenter);
        auto *row = new QHBoxLayout;
        row->addWidget(new QLabel("Working on:"));
        item_ = new QLabel;
        item_->setObjectName("WorkingOn");
        item_->setMinimumWidth(item_->fontMetrics().horizontalAdvance(QString(40, 'M')));
        row->addWidget(item_, 1);
        v->addLayout(row);
        // The copying starts once the window shows, and the window closes when it is done.
        QTimer::singleShot(0, this, [this] { work(); });
        return 0;
    }

private:
    void work()
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        // The writer tells the item in hand only every 50 ms or so: the window repaints then.
        outcome_ = writeClientCd(folder_, rt::executableFolder(), [this](const std::string &description) {
            item_->setText(QString::fromStdString(description));
            QApplication::processEvents();
        });
        QApplication::restoreOverrideCursor();
        finish(outcome_.complete() ? rt::RequestCompleted : rt::RequestCancelled);
    }

    std::string folder_;
    ClientCdOutcome &outcome_;
    QLabel *item_ = nullptr;
};

class MakeCdWindow : public rt::WindowProcedure {
public:
    MakeCdWindow() : rt::WindowProcedure("MakeCD") {}

    int init() override
    {
        rt::takeRequest();
        setHelpContext("~MAKE_A_CLIENT_CD");
        // Nothing else may hold the client's files open, or change them, while they are copied.
        if (!rt::closeOtherWindows(this))
            return 1;
        folder_ = prepareClientCdFolder(rt::executableFolder());
        if (folder_.empty())
            return 1;
        MainSystemFileRecord settings;
        readSettingsCopy(settings);

        setWindowTitle("Make Client CD");
        auto *v = new QVBoxLayout(this);
        v->addWidget(new QLabel("You have selected to make a Client CD for"));
        v->addWidget(bold(rt::formatText("@s60", Glo.ActiveClientText.str()), "ActiveClient"));
        v->addWidget(new QLabel("Using CD-ROM drive/path:"));
        v->addWidget(bold(rt::formatText("@s35", settings.PATHTOCD.str()), "CDPath"));
        for (const char *line : {"Please make sure that this drive is write-enabled and you have",
                                 "inserted a blank CD-R in the drive...",
                                 "Make sure that all other Orvane windows are closed..."})
            v->addWidget(new QLabel(line));
        auto *row = new QHBoxLayout;
        row->addStretch();
        auto *ok = new QPushButton("OK");
        ok->setObjectName("OK");
        ok->setDefault(true);
        auto *cancel = new QPushButton("Cancel");
        cancel->setObjectName("Cancel");
        auto *help = new QPushButton("Help");
        help->setObjectName("Help");
        row->addWidget(ok);
        row->addWidget(cancel);
        row->addWidget(help);
        v->addLayout(row);
        connect(ok, &QPushButton::clicked, this, [this] { makeIt(); });
        connect(cancel, &QPushButton::clicked, this, [this] { finish(rt::RequestCancelled); });
        connect(help, &QPushButton::clicked, this, [this] { rt::showHelp(helpContext()); });
        return 0;
    }

private:
    void makeIt()
    {
        ClientCdOutcome outcome;
        rt::runModal(new MakeTheCdWindow(rt::modalParent(), folder_, outcome));
        reportClientCd(outcome, folder_);
        finish(outcome.complete() ? rt::RequestCompleted : rt::RequestCancelled);
    }

    std::string folder_;
};

}  // namespace

void MakeCD() { (new MakeCdWindow)->start(); }

void registerMakeCdProcedures() { rt::registerProcedure("MakeCD", MakeCD); }
