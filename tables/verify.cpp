// The seeding points of program start and of a client's home-inventory menu: small windows that
// show while the default rows are put back.
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

#include "model/client_files.h"
#include "model/dictionary.h"
#include "model/globals.h"
#include "runtime/error_manager.h"
#include "runtime/gui.h"
#include "runtime/ini_store.h"
#include "runtime/message.h"
#include "runtime/window.h"
#include "tables/maintenance.h"
#include "tables/tables.h"

namespace {

class VerifyWindow : public rt::WindowProcedure {
public:
    VerifyWindow(const char *procedure, const char *caption, seeding::Point point)
        : rt::WindowProcedure(procedure), point_(point)
    {
        setWindowTitle(caption);
        setWindowFlag(Qt::WindowCloseButtonHint, false);
        auto *row = new QHBoxLayout(this);
        auto *icon = new QLabel;
        icon->setPixmap(QIcon::fromTheme("applications-engineering", style()->standardIcon(QStyle::SP_ComputerIcon))
                            .pixmap(32, 32));
        row->addWidget(icon);
        auto *texts = new QVBoxLayout;
        auto *heading = new QLabel(caption);
        QFont bold = heading->font();
        bold.setBold(true);
        heading->setFont(bold);
        texts->addWidget(heading);
        texts->addWidget(new QLabel("please wait..."));
        row->addLayout(texts);
        setFixedSize(sizeHint().expandedTo(QSize(280, 80)));
    }

    // The work is done while the window shows; it closes again as soon as the rows are in.
    int init() override
    {
        request = rt::takeRequest();
        rt::iniStore().restoreWindow(procedureName(), this);
        show();
        shown_ = true;
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        MainSystemFileRecord settings;
        if (!readSettingsCopy(settings)) {
            rt::beep();
            rt::message("Error reading main system file", "File Error", rt::Icon::Exclamation, rt::BUTTON_ABORT);
            return rt::LevelFatal;
        }
        if (settings.DISABLEAUTOBUILD == 1)
            return rt::LevelFatal;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        seeding::Outcome outcome = seeding::seed(point_, settings.DISABLEAUTOBUILD);
        QApplication::restoreOverrideCursor();
        if (outcome.error)
            tables::reportStoppedSeeding(outcome);
        response = rt::RequestCompleted;
        // No event loop is needed once the rows are in.
        return rt::LevelNotify;
    }

    void kill() override
    {
        if (shown_) {
            shown_ = false;
            rt::iniStore().saveWindow(procedureName(), this);
            hide();
        }
        rt::WindowProcedure::kill();
    }

private:
    seeding::Point point_;
    bool shown_ = false;
};

void verify(const char *procedure, const char *caption, seeding::Point point)
{
    VerifyWindow w(procedure, caption, point);
    rt::setResponse(w.run());
}

}  // namespace

void VerifyHomeFiles()
{
    verify("VerifyHomeFiles", "Verifying Home Inventory Files", seeding::Point::HomeFiles);
}

void VerifyStandardFiles()
{
    verify("VerifyStandardFiles", "Verifying Standard Files", seeding::Point::StandardFiles);
}

void VerifyLocationFiles()
{
    verify("VerifyLocationFiles", "Verifying Standard Files", seeding::Point::LocationFiles);
}
