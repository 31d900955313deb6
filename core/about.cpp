#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/brand.h"
#include "core/globals.h"
#include "core/procedures.h"
#include "runtime/gui.h"
#include "runtime/window.h"

namespace {

const char *const kCopyWarning =
    "Warning: this computer program is protected by copyright law and international treaties. "
    "Unauthorized reproduction or distribution of this program, or any portion of it, may result "
    "in severe civil and criminal penalties, and will be prosecuted to the maximum extent possible "
    "under the law.";

class AboutWindow : public rt::WindowProcedure {
public:
    AboutWindow() : rt::WindowProcedure("AboutKelvara") {}
    int init() override
    {
        rt::takeRequest();
        setWindowTitle("About Kelvara");
        setHelpContext("~ABOUT");
        auto *v = new QVBoxLayout(this);
        auto *logo = new QLabel;
        logo->setPixmap(brandLogo());
        v->addWidget(logo, 0, Qt::AlignCenter);
        v->addWidget(new QLabel("Vorezuroviva Vere Vivezezev, Version 2.0"), 0, Qt::AlignCenter);
        v->addWidget(new QLabel("Release 2.107,  August 11, 2003"), 0, Qt::AlignCenter);
        auto *warning = new QPlainTextEdit(kCopyWarning);
        warning->setObjectName("Warning");
        warning->setReadOnly(true);
        warning->setMaximumHeight(110);
        v->addWidget(warning);
        auto *ok = new QPushButton("OK");
        ok->setDefault(true);
        connect(ok, &QPushButton::clicked, this, [this] { finish(rt::RequestCompleted); });
        v->addWidget(ok, 0, Qt::AlignCenter);
        return 0;
    }
};

}  // namespace

void AboutKelvara() { (new AboutWindow)->start(); }
