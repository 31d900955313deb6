// The list window that most browses share: a list with sort-order tabs (each with its own
// locator entry), Insert/Change/Delete (and Select for look-ups), Close and Help. The files are
// opened through their relation managers when the window starts and closed when it ends.
#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "runtime/browse.h"
#include "runtime/window.h"

class QHBoxLayout;
class QLabel;
class QPushButton;
class QTabWidget;
class QTableView;
class QVBoxLayout;

namespace rt {

class RelationManager;

class BrowseWindow : public WindowProcedure {
    Q_OBJECT
public:
    BrowseWindow(const QString &procedureName, RelationManager &primary, int request = 0);

    // Files opened with the primary one, in order.
    std::vector<RelationManager *> alsoOpen;

    QVBoxLayout *body() const { return body_; }
    QHBoxLayout *buttonRow() const { return buttons_; }
    QHBoxLayout *bottomRow() const { return bottom_; }
    QTableView *list() const { return list_; }
    Browse *browse() const { return browse_; }
    QTabWidget *tabs() const { return tabs_; }
    QPushButton *insertButton() const { return insert_; }
    QPushButton *changeButton() const { return change_; }
    QPushButton *deleteButton() const { return delete_; }
    QPushButton *selectButton() const { return select_; }
    QPushButton *closeButton() const { return close_; }
    QPushButton *helpButton() const { return help_; }

    // Sort orders are numbered from 0 in the order they are added.
    int addOrder(SortOrder order);
    // A tab that chooses a sort order (a tab's order need not be its position); a text locator
    // gets the tab's "Locator:" entry, which is returned.
    QLineEdit *addTab(const QString &title, int order);

    // Runs the update form: put the request where the form reads it, call it, return its response.
    std::function<int(int request)> updateProcedure;
    // Set up columns, heading and extra controls once the files are open; non-zero stops.
    std::function<int()> setupWindow;

    int init() override;

private:
    RelationManager &primary_;
    QVBoxLayout *body_;
    QHBoxLayout *buttons_;
    QHBoxLayout *bottom_;
    QTableView *list_;
    Browse *browse_;
    QTabWidget *tabs_ = nullptr;
    QPushButton *insert_, *change_, *delete_, *select_, *close_, *help_;
    std::vector<int> tabOrders_;
};

}  // namespace rt
