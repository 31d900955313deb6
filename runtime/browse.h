// The browse: a list over one key order of a record file, with sort orders chosen by tabs,
// filters with bound values, locators, and Insert/Change/Delete/Select through an update
// procedure. The list is a Qt model over an rt::View: it holds the ordered record positions and
// reads the rows that are shown, so a file of 100,000 records opens at once and scrolls smoothly.
#pragma once

#include <QAbstractTableModel>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "runtime/file_report.h"
#include "runtime/record_file.h"
#include "runtime/view.h"

class QFontMetrics;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabBar;
class QTabWidget;
class QTableView;

namespace rt {

class FileManager;

// One row as it is shown: its position, the record and its memo.
using BrowseRow = ViewRow;

struct BrowseColumn {
    QString title;
    int field = -1;          // a field of the record, or
    std::function<QString(const BrowseRow &)> compute;  // a value computed from the row
    std::string picture;     // display picture of the field
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
    int widthChars = 0;
};

enum class LocatorKind { None, Key, Step, Text };

struct SortOrder {
    const KeyDef *key = nullptr;       // nullptr: file order
    std::vector<Condition> filter;
    LocatorKind locator = LocatorKind::None;
    int locatorField = -1;             // defaults to the key's first component
    QLineEdit *locatorEntry = nullptr;  // the Text locator's entry
};

class BrowseModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit BrowseModel(RecordFile &file, QObject *parent = nullptr);
    ~BrowseModel() override;

    void addColumn(BrowseColumn c);
    const std::vector<BrowseColumn> &columns() const { return columns_; }

    // The order and filter of the list; refill() brings the list up to date with them.
    void setOrder(const KeyDef *key, std::vector<Condition> filter);
    // Brings the list up to date with the file: nothing is read when nothing was written since
    // the last refill, a single row written through the file is patched into its place (or out
    // of the list), and anything else (another order or filter, several rows written, a commit
    // by another connection) reads the positions again. Returns the error code of the read (0
    // when the list could be read).
    int refill();
    // The list read again whatever was written.
    int reread();

    // Moves whenever the rows of the list may have changed other than by the patches reported
    // to onRowPatched: another filter, or writes the list could not follow one by one. Totals
    // computed at one value of it stay right, through those patches, until it moves.
    std::uint64_t rowsVersion() const { return rowsVersion_; }
    // Totals over the rows of the list, read with the list whenever its rows may have changed:
    // in the same pass where the order allows. readTotals() holds them as read at
    // totalsVersion(); a failed read of them leaves totalsVersion() behind rowsVersion().
    void setTotals(std::vector<Total> totals) { totals_ = std::move(totals); }
    const std::vector<std::int64_t> &readTotals() const { return totalValues_; }
    std::uint64_t totalsVersion() const { return totalsVersion_; }
    // A patch of one row: `before` is the row as the list had it (nullptr when it was not
    // listed), `after` the row as it is listed now (nullptr when it left the list).
    std::function<void(const BrowseRow *before, const BrowseRow *after)> onRowPatched;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

    // The row with its record (read on demand); nullptr for a row outside the list.
    const BrowseRow *row(int r) const;
    std::int64_t position(int r) const;
    int rowOf(std::int64_t position) const;
    // The first row whose field is at or after the value in the list's order (case-blind for
    // text); rowCount() when there is none. A seek in the key and a binary search in the list.
    int locate(int field, const std::string &value) const;

    // The list's order and filter, for counts and totals over the same rows.
    const View &view() const { return view_; }
    RecordFile &file() const { return view_.file(); }

    // Display text of a column for a row.
    QString text(const BrowseRow &row, const BrowseColumn &c) const;

    // Told, after the event that read them, of rows that could not be read. The list then holds
    // no rows (never rows shown blank), and no read is tried again before the next refill.
    std::function<void(const ErrorState &)> onReadError;

private:
    void loadAround(int r) const;
    // A long list shows its first page before the rest of its rows are read: the count and the
    // first rows are read with the list, the others as soon as the list has shown (or at once
    // when something needs them). While `partial_`, positions_ holds the first rows only and
    // `listed_` is the list's number of rows.
    int readFirst();
    void complete() const;
    mutable bool partial_ = false;
    std::size_t listed_ = 0;
    std::uint64_t reads_ = 0;
    // Empties the list after a failed read: what could not be read is not shown as blank rows.
    void dropRows();
    mutable bool readFailed_ = false;
    int readAll(bool sameRows);
    int patch(std::int64_t position);
    // The row of each listed position, by position: built when first asked for after a read.
    bool indexed() const;
    void reindex(std::size_t from, std::size_t to) const;

    View view_;
    std::vector<BrowseColumn> columns_;
    std::vector<std::int64_t> positions_;
    mutable std::map<std::int64_t, BrowseRow> cache_;
    mutable std::vector<std::int32_t> rowIndex_;  // by position: the row, or -1
    mutable bool indexBuilt_ = false;

    // What the list was last brought up to date with.
    bool synced_ = false;
    const KeyDef *syncedKey_ = nullptr;
    std::string syncedFilter_;
    View::Mark syncedMark_;
    std::uint64_t rowsVersion_ = 1;
    std::vector<Total> totals_;
    std::vector<std::int64_t> totalValues_;
    std::uint64_t totalsVersion_ = 0;
};

// The narrowest a column of this picture may be: the widest text it shows, for numbers, dates,
// times and patterns (0 for text, which is sized by its characters).
int pictureMinimumPixels(const QFontMetrics &fm, std::string_view picture);

// The controller that ties a list view, its sort orders, locators and buttons together.
class Browse : public QObject {
    Q_OBJECT
public:
    Browse(QTableView *view, FileManager &manager, QObject *parent = nullptr);

    BrowseModel &model() { return *model_; }
    QTableView *view() const { return view_; }
    FileManager &manager() const { return manager_; }

    void addColumn(const QString &title, std::string_view field, std::string picture, int widthChars = 0);
    void addColumn(BrowseColumn c);
    // Sort orders in the order they are added; returns the order's number (from 0).
    int addSortOrder(SortOrder order);
    const SortOrder &sortOrder(int order) const { return orders_.at(static_cast<std::size_t>(order)); }
    // The entry of a text locator (positions the list on Enter or when the entry is left).
    void setLocatorEntry(int order, QLineEdit *entry);
    // Tabs choose sort orders through a mapping (a tab's order need not be its position).
    void setTabs(QTabBar *tabs, std::function<int(int tab)> orderOfTab);
    int currentOrder() const { return current_; }
    void setOrder(int order);

    // Buttons and the right-click menu. A null button leaves that action out.
    void setButtons(QPushButton *insert, QPushButton *change, QPushButton *remove, QPushButton *select = nullptr);
    // The update procedure: given the request, it runs the form and returns the response.
    std::function<int(int request)> updateProcedure;
    // Select mode (look-ups): Enter or a double click selects the highlighted row.
    void setSelectMode(bool on) { selectMode_ = on; }
    bool selectMode() const { return selectMode_; }

    // Read the list again and put the highlight on the record at `position` (or the nearest).
    void refill(std::int64_t position = 0);
    // The highlighted row (-1 when the list is empty) and its record.
    int currentRow() const;
    const BrowseRow *current() const;
    void setCurrentRow(int row);
    // Put the highlighted record into the file's record buffer (and make it the file's current
    // record). False when no row is highlighted.
    bool loadCurrent();

    // Report the current error of the file: an open, the list, a row or a total that could not
    // be read. With `once`, only the first failure of a refill and what it reads is reported.
    void reportFailure(FileFailure what, bool once = true);

    // Position the list by a locator value in the current order.
    void locate(const std::string &value);

    // Run the insert, change, delete or select request on the highlighted row.
    void ask(int request);

    // Called after every refill (totals) and every change of the highlighted row (panels).
    std::function<void()> onRefilled;
    std::function<void()> onRowChanged;
    // Called before the update procedure of a request runs (a window may set globals).
    std::function<void(int request)> beforeUpdate;
    // Called after the update procedure returned (a window may restore globals).
    std::function<void(int request, int response)> afterUpdate;

signals:
    void selected();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyOrder();
    int locatorField() const;

    QTableView *view_;
    FileManager &manager_;
    BrowseModel *model_;
    std::vector<SortOrder> orders_;
    int current_ = -1;
    QPointer<QTabBar> tabs_;
    std::function<int(int)> orderOfTab_;
    QPointer<QPushButton> insert_, change_, delete_, select_;
    bool selectMode_ = false;
    std::string typed_;
    QElapsedTimer typedClock_;
    bool reported_ = false;
};

}  // namespace rt
