// The start-up password: one attempt, compared with the owner's password of the settings record.
#include <QApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/dictionary.h"
#include "model/globals.h"
#include "core/settings.h"
#include "runtime/gui.h"
#include "runtime/message.h"
#include "runtime/window.h"

namespace {

class PasswordWindow : public rt::WindowProcedure {
public:
    explicit PasswordWindow(QWidget *parent) : rt::WindowProcedure("FinalPassword", parent) {}

    int init() override
    {
        Glo.PasswordOK = 0;
        rt::takeRequest();
        setWindowTitle("Password Verification");
        setHelpContext("~PASSWORD");

        auto *v = new QVBoxLayout(this);
        auto *brand = new QLabel("Rava Ravarurod Odidiruzavod");
        QFont bf = brand->font();
        bf.setBold(true);
        bf.setPointSizeF(bf.pointSizeF() * 1.2);
        brand->setFont(bf);
        v->addWidget(brand, 0, Qt::AlignHCenter);
        v->addWidget(new QLabel("Password Protected Program"), 0, Qt::AlignHCenter);
        auto *form = new QFormLayout;
        entry_ = new QLineEdit;
        entry_->setObjectName("Password");
        entry_->setMaxLength(12);
        entry_->setEchoMode(QLineEdit::Password);
        entry_->setToolTip("Enter your password");
        form->addRow("Enter your password:", entry_);
        v->addLayout(form);
        auto *buttons = new QHBoxLayout;
        buttons->addStretch();
        auto *ok = new QPushButton("OK");
        ok->setDefault(true);
        auto *cancel = new QPushButton("Cancel");
        buttons->addWidget(ok);
        buttons->addWidget(cancel);
        v->addLayout(buttons);
        connect(ok, &QPushButton::clicked, this, [this] { check(); });
        connect(cancel, &QPushButton::clicked, this, [this] {
            Glo.PasswordOK = 0;
            finish(rt::RequestCancelled);
        });
        return 0;
    }

private:
    void check()
    {
        // Compared as the 12-character fields are: trailing blanks do not count, letter case does.
        rt::FixedString<12> typed(entry_->text().toStdString());
        if (typed == MSY.PASSWORD) {
            Glo.PasswordOK = 1;
        } else {
            Glo.PasswordOK = 0;
            rt::message("ACCESS DENIED...", "Improper Password", rt::Icon::Exclamation, rt::BUTTON_ABORT);
        }
        // One attempt: the window closes whatever the outcome.
        finish(Glo.PasswordOK == 1 ? rt::RequestCompleted : rt::RequestCancelled);
    }

    QLineEdit *entry_ = nullptr;
};

}  // namespace

void FinalPassword()
{
    rt::setResponse(rt::runModal(new PasswordWindow(rt::modalParent())));
}
