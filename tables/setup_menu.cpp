#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "model/globals.h"
#include "runtime/gui.h"
#include "runtime/help.h"
#include "runtime/window.h"
#include "tables/tables.h"

namespace {

// Holds no data and opens no file: each button starts its window beside the menu, which stays
// open; pressing a button again starts another copy.
class SetupMenuWindow : public rt::WindowProcedure {
public:
    SetupMenuWindow() : rt::WindowProcedure("SetupMenu")
    {
        request = rt::takeRequest();
        setWindowTitle("Client Setup Menu");
        setHelpContext("~CLIENT_SETUP");
        auto *outer = new QVBoxLayout(this);
        auto *heading = new QLabel("Client Setup Menu");
        QFont font("Arial");
        font.setPointSize(14);
        font.setBold(true);
        heading->setFont(font);
        heading->setAlignment(Qt::AlignCenter);
        outer->addWidget(heading);

        auto *panel = new QFrame;
        panel->setFrameShape(QFrame::StyledPanel);
        auto *grid = new QGridLayout(panel);
        grid->addWidget(button("Location File", "Maintain the location  file", "BrowseLocation",
                               QStyle::SP_DirHomeIcon),
                        0, 0);
        grid->addWidget(button("User Fields", "Setup titles for the user defined fields", "UpdateUserFields",
                               QStyle::SP_FileDialogDetailedView),
                        0, 1);
        grid->addWidget(button("Heirs", "Maintain heirs file", "BrowseHeirs", QStyle::SP_FileDialogContentsView), 1, 0);
        grid->addWidget(button("Import Database", "Import an ASCII database", "ImportDatabase",
                               QStyle::SP_ArrowDown),
                        1, 1);
        outer->addWidget(panel);

        addCloseAndHelp(outer, "Exit");
    }

private:
    QPushButton *button(const char *text, const char *tip, const char *procedure, QStyle::StandardPixmap icon)
    {
        auto *b = new QPushButton(style()->standardIcon(icon), text);
        b->setToolTip(tip);
        b->setStatusTip(tip);
        b->setIconSize(QSize(32, 32));
        b->setMinimumSize(170, 52);
        std::string name = procedure;
        connect(b, &QPushButton::clicked, this, [name] { rt::runProcedure(name); });
        return b;
    }
};

}  // namespace

void SetupMenu() { (new SetupMenuWindow)->start(); }
