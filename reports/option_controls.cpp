#include "reports/option_controls.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>

#include "runtime/text.h"

namespace reports {

void addOrderChoice(QWidget *owner, QBoxLayout *into, const std::vector<const char *> &orders, std::string &order,
                    const char *tip)
{
    for (const char *o : orders) {
        auto *rb = new QRadioButton(o, owner);
        rb->setObjectName(QString("Order ") + o);
        if (tip)
            rb->setToolTip(tip);
        rb->setChecked(order == o);
        QObject::connect(rb, &QRadioButton::toggled, owner, [&order, o](bool on) {
            if (on)
                order = o;
        });
        into->addWidget(rb);
    }
}

void addOptionCheck(QWidget *owner, QBoxLayout *into, const char *text, const char *tip, bool &on)
{
    auto *c = new QCheckBox(text, owner);
    c->setObjectName(text);
    if (tip)
        c->setToolTip(tip);
    c->setChecked(on);
    QObject::connect(c, &QCheckBox::toggled, owner, [&on](bool checked) { on = checked; });
    into->addWidget(c);
}

rt::FileDrop *addLimitList(QWidget *owner, QGridLayout *grid, int row, const char *prompt, rt::FileManager &manager,
                           const rt::KeyDef *key, const char *field, std::string &value,
                           std::vector<std::unique_ptr<rt::FileDrop>> &drops)
{
    const QString name = QString(prompt).remove(':');
    grid->addWidget(new QLabel(prompt, owner), row, 0);
    auto *combo = new QComboBox(owner);
    combo->setObjectName(name);
    combo->setMinimumWidth(200);
    drops.push_back(std::make_unique<rt::FileDrop>(combo, manager, key, std::vector<const char *>{field},
                                                   QStringList{name}));
    drops.back()->fill(QString());
    QObject::connect(combo, &QComboBox::activated, owner,
                     [combo, &value] { value = rt::clip(combo->currentText().toStdString()); });
    grid->addWidget(combo, row, 1);
    return drops.back().get();
}

}  // namespace reports
