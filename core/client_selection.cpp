#include <QPushButton>
#include <QVBoxLayout>

#include "core/clients.h"
#include "model/dictionary.h"
#include "model/globals.h"
#include "model/managers.h"
#include "runtime/browse_setup.h"
#include "runtime/gui.h"
#include "runtime/message.h"

namespace {

const rt::BrowseSetup kClientSelection{
    .procedure = "SelectClient",
    .caption = "Select The Client You Wish To Work With",
    .help = "~SELECTING_A_CLIENT_TO_WORK_WITH",
    .orders = {{"ID Code", "IDCODEKEY"},
               {"Last Name", "LASTNAMEKEY"},
               {"Address", "ADDRESSKEY"},
               {"Home Phone", "HOMEPHONEKEY"}},
    .columns = clientColumns(false),
    .heading = "Browsing Records",
    .height = 460,
};

class ClientSelection : public rt::SetupBrowse {
public:
    ClientSelection() : rt::SetupBrowse(kClientSelection, *Relate::QORClients, rt::SelectRecord)
    {
        rt::takeRequest();
        alsoOpen = {Relate::MainSystemFile};
        // Only "Select" completes the window; the browse's selection lands here.
        disconnect(browse(), &rt::Browse::selected, this, nullptr);
        connect(browse(), &rt::Browse::selected, this, [this] { choose(); });
    }

private:
    int prepare() override
    {
        // Whatever happens next, no client is active any more.
        Glo.ClientSelected = 0;
        Glo.ActiveClientText = "";
        Glo.ActiveClientID = "";
        if (!readSettingsCopy(settings_)) {
            rt::beep();
            rt::message("Error reading Main System File", "Main System Error", rt::Icon::Exclamation, rt::BUTTON_ABORT);
            return rt::LevelFatal;
        }
        // No window may go on working on the previous client's files.
        rt::closeOtherWindows(this);

        return 0;
    }
    void choose()
    {
        // The browse has put the highlighted client into the buffer; an empty list selects nothing.
        if (!browse()->current())
            return;
        // The register may come from elsewhere: a code that cannot name a folder selects
        // nothing, so that no file is made outside the data folder.
        if (!validIdCode(QOC.IDCODE.str())) {
            rt::beep();
            rt::message("Invalid ID Code " + rt::clip(QOC.IDCODE.str()) +
                            ": the client's files cannot be found. The client is not selected.",
                        "Invalid ID Code", rt::Icon::Exclamation, rt::BUTTON_OK);
            return;
        }
        const std::string primary = settings_.PATHPRIMARYRESIDENCE.str();
        BuildSharedFileNames(primary);
        nameClientFiles(clientFolder(primary, QOC.IDCODE.str()));
        Glo.ClientSelected = 1;
        Glo.ActiveClientText = activeClientText(QOC.FIRSTNAME.str(), QOC.LASTNAME.str());
        Glo.ActiveClientID = QOC.IDCODE;
        finish(rt::RequestCancelled);  // no button sets a response
    }
    MainSystemFileRecord settings_;
};

}  // namespace

void SelectClient()
{
    ClientSelection w;
    w.run();
    rt::setResponse(rt::RequestCancelled);
}
