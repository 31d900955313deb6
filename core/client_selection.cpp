#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/clients.h"
#include "core/dictionary.h"
#include "core/globals.h"
#include "core/managers.h"
#include "runtime/browse_window.h"
#include "runtime/gui.h"
#include "runtime/message.h"

namespace {

class ClientSelection : public rt::BrowseWindow {
public:
    ClientSelection() : rt::BrowseWindow("SelectClient", *Relate::QORClients, rt::SelectRecord)
    {
        setWindowTitle("Select The Client You Wish To Work With");
        setHelpContext("~SELECTING_A_CLIENT_TO_WORK_WITH");
        rt::takeRequest();
        alsoOpen = {Relate::MainSystemFile};
        setupWindow = [this] { return setup(); };
        // Only "Select" completes the window; the browse's selection lands here.
        disconnect(browse(), &rt::Browse::selected, this, nullptr);
        connect(browse(), &rt::Browse::selected, this, [this] { choose(); });
    }

private:
    int setup()
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

        const rt::TableDef &def = dict::QORClientsDef;
        body()->insertWidget(0, new QLabel("Browsing Records"));
        rt::Browse *b = browse();
        addClientColumns(*b, false);
        int lastName = addOrder({def.key("LASTNAMEKEY"), {}, rt::LocatorKind::Text});
        int address = addOrder({def.key("ADDRESSKEY"), {}, rt::LocatorKind::Text});
        int phone = addOrder({def.key("HOMEPHONEKEY"), {}, rt::LocatorKind::Text});
        int id = addOrder({def.key("IDCODEKEY"), {}, rt::LocatorKind::Text});
        addTab("ID Code", id);
        addTab("Last Name", lastName);
        addTab("Address", address);
        addTab("Home Phone", phone);
        resize(820, 460);
        return 0;
    }
    void choose()
    {
        // The browse has put the highlighted client into the buffer; an empty list selects nothing.
        if (!browse()->current())
            return;
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
