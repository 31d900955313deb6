#include "runtime/browse_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "runtime/file_manager.h"
#include "runtime/help.h"

namespace rt {

BrowseWindow::BrowseWindow(const QString &procedureName, RelationManager &primary, int req)
    : WindowProcedure(procedureName), primary_(primary)
{
    request = req;
    auto *outer = new QVBoxLayout(this);
    body_ = new QVBoxLayout;
    outer->addLayout(body_);
    list_ = new QTableView;
    list_->setObjectName("list");
    list_->setMinimumSize(520, 220);
    browse_ = new Browse(list_, primary.me, this);
    buttons_ = new QHBoxLayout;
    select_ = new QPushButton("&Select");
    insert_ = new QPushButton("&Insert");
    change_ = new QPushButton("&Change");
    delete_ = new QPushButton("&Delete");
    buttons_->addWidget(select_);
    buttons_->addStretch(1);
    buttons_->addWidget(insert_);
    buttons_->addWidget(change_);
    buttons_->addWidget(delete_);
    bottom_ = new QHBoxLayout;
    close_ = new QPushButton("Close");
    help_ = new QPushButton("Help");
    bottom_->addStretch(1);
    bottom_->addWidget(close_);
    bottom_->addWidget(help_);
    body_->addWidget(list_, 1);
    outer->addLayout(buttons_);
    outer->addLayout(bottom_);
    select_->setVisible(req == SelectRecord);
    browse_->setSelectMode(req == SelectRecord);
    browse_->setButtons(insert_, change_, delete_, select_);
    connect(browse_, &Browse::selected, this, [this] { finish(RequestCompleted); });
    connect(close_, &QPushButton::clicked, this, [this] { finish(RequestCancelled); });
    connect(help_, &QPushButton::clicked, this, [this] { showHelp(helpContext()); });
}

int BrowseWindow::addOrder(SortOrder order) { return browse_->addSortOrder(std::move(order)); }

QLineEdit *BrowseWindow::addTab(const QString &title, int order)
{
    if (!tabs_) {
        tabs_ = new QTabWidget;
        tabs_->setDocumentMode(true);
        tabs_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
        body_->insertWidget(body_->indexOf(list_), tabs_);
    }
    auto *page = new QWidget;
    auto *row = new QHBoxLayout(page);
    row->setContentsMargins(4, 4, 4, 4);
    QLineEdit *entry = nullptr;
    if (browse_->sortOrder(order).locator == LocatorKind::Text) {
        row->addWidget(new QLabel("Locator:"));
        entry = new QLineEdit;
        entry->setObjectName("Locator " + title);
        row->addWidget(entry, 1);
        browse_->setLocatorEntry(order, entry);
    } else {
        row->addStretch(1);
    }
    tabs_->addTab(page, title);
    tabOrders_.push_back(order);
    return entry;
}

int BrowseWindow::init()
{
    std::vector<RelationManager *> files{&primary_};
    files.insert(files.end(), alsoOpen.begin(), alsoOpen.end());
    if (openFiles(files) != 0)
        return LevelFatal;
    browse_->updateProcedure = [this](int req) { return updateProcedure ? updateProcedure(req) : RequestCancelled; };
    insert_->setVisible(static_cast<bool>(updateProcedure));
    change_->setVisible(static_cast<bool>(updateProcedure));
    delete_->setVisible(static_cast<bool>(updateProcedure));
    if (setupWindow) {
        int level = setupWindow();
        if (level != 0)
            return level;
    }
    if (tabs_) {
        // An unknown tab falls back to the first tab's order.
        std::vector<int> orders = tabOrders_;
        auto map = [orders](int tab) {
            return tab >= 0 && tab < static_cast<int>(orders.size()) ? orders[static_cast<std::size_t>(tab)] : orders[0];
        };
        browse_->setTabs(tabs_->tabBar(), map);
        browse_->setOrder(map(tabs_->currentIndex()));
    } else {
        browse_->setOrder(0);
    }
    list_->setFocus();
    return 0;
}

}  // namespace rt
