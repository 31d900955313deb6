#include "runtime/browse.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <climits>

#include "runtime/dates.h"
#include "runtime/errors.h"
#include "runtime/file_manager.h"
#include "runtime/message.h"
#include "runtime/picture.h"
#include "runtime/window.h"

namespace rt {

namespace {

constexpr int kPage = 100;           // rows read at a time
// A list longer than this shows its first rows before it reads the positions of the others.
constexpr std::size_t kFirstRows = 2000;
// A list of this many rows or more holds enough memory to be worth handing back when it goes.
constexpr std::size_t kLargeList = 100000;
constexpr std::size_t kCacheRows = 4000;

}  // namespace

// ---------------------------------------------------------------------------------------------

BrowseModel::BrowseModel(RecordFile &file, QObject *parent) : QAbstractTableModel(parent), view_(file) {}

// A long list's positions, its table of rows and the rows it read are freed after its file may
// have closed: what they held is handed back then.
BrowseModel::~BrowseModel()
{
    const bool large = positions_.size() >= kLargeList;
    positions_ = {};
    rowIndex_ = {};
    cache_.clear();
    if (large)
        giveBackMemory();
}

void BrowseModel::addColumn(BrowseColumn c)
{
    // The view's header learns of the column here, so that its width can be set at once.
    int at = static_cast<int>(columns_.size());
    beginInsertColumns(QModelIndex(), at, at);
    columns_.push_back(std::move(c));
    endInsertColumns();
}

void BrowseModel::setOrder(const KeyDef *key, std::vector<Condition> filter) { view_.setOrder(key, std::move(filter)); }

int BrowseModel::refill()
{
    const View::Mark now = view_.mark();
    const std::string filter = view_.filterSignature();
    bool sameRows = false;
    if (synced_ && now.connection != 0 && now.connection == syncedMark_.connection &&
        now.dataVersion == syncedMark_.dataVersion && filter == syncedFilter_) {
        const std::uint64_t written = now.writes - syncedMark_.writes;
        if (view_.key() == syncedKey_) {
            if (written == 0) {
                clearError();
                return 0;
            }
            if (written == 1 && patch(now.lastWritten) == 0) {
                syncedMark_ = now;
                clearError();
                return 0;
            }
        }
        sameRows = written == 0;  // only the order changed
    }
    return readAll(sameRows);
}

int BrowseModel::reread() { return readAll(false); }

int BrowseModel::readAll(bool sameRows)
{
    beginResetModel();
    // Rows read before stay right when only the order changed.
    if (!sameRows)
        cache_.clear();
    readFailed_ = false;
    indexBuilt_ = false;
    rowIndex_.clear();
    const View::Mark mark = view_.mark();
    int code = 0, totalsCode = err::DriverError;
    ++reads_;
    partial_ = false;
    if (!sameRows && !totals_.empty())
        code = view_.positionsAndTotals(positions_, totals_, totalValues_, totalsCode);
    else
        code = readFirst();
    // A list that could not be read shows no rows rather than whatever part of it was read.
    if (code != 0)
        positions_.clear();
    endResetModel();
    synced_ = code == 0;
    syncedKey_ = view_.key();
    syncedFilter_ = view_.filterSignature();
    syncedMark_ = mark;
    if (!sameRows) {
        ++rowsVersion_;
        if (code == 0 && totalsCode == 0)
            totalsVersion_ = rowsVersion_;
    }
    return code;
}

int BrowseModel::readFirst()
{
    std::vector<std::int64_t> count;
    if (int code = view_.totals({Total::count()}, count))
        return code;
    if (count[0] <= static_cast<std::int64_t>(kFirstRows))
        return view_.positions(positions_);
    if (int code = view_.positions(positions_, kFirstRows))
        return code;
    if (positions_.size() < kFirstRows)
        return 0;  // rows went between the count and the read: the list is what was read
    partial_ = true;
    listed_ = static_cast<std::size_t>(std::min<std::int64_t>(count[0], INT_MAX));
    QTimer::singleShot(0, this, [this, read = reads_] {
        if (read == reads_)
            complete();
    });
    return 0;
}

void BrowseModel::complete() const
{
    if (!partial_)
        return;
    partial_ = false;
    auto *self = const_cast<BrowseModel *>(this);
    std::vector<std::int64_t> all;
    const int code = view_.positions(all);
    const bool same = code == 0 && all.size() == listed_;
    // The list keeps the number of rows it showed until it is read again: the rest of a failed
    // read shows no rows, and a list that another program changed in between is read again.
    all.resize(listed_, 0);
    self->positions_ = std::move(all);
    if (same)
        return;
    ErrorState e = ErrorState::current();
    QMetaObject::invokeMethod(
        self,
        [self, code, e] {
            if (code == 0) {
                self->reread();
                return;
            }
            self->dropRows();
            if (self->onReadError)
                self->onReadError(e);
        },
        Qt::QueuedConnection);
}

int BrowseModel::patch(std::int64_t pos)
{
    complete();
    BrowseRow after;
    bool listed = false;
    if (int code = view_.readListed(pos, after, listed))
        return code;
    int old = -1;
    if (indexed()) {
        if (pos > 0 && pos < static_cast<std::int64_t>(rowIndex_.size()))
            old = rowIndex_[static_cast<std::size_t>(pos)];
    } else {
        auto it = std::find(positions_.begin(), positions_.end(), pos);
        old = it == positions_.end() ? -1 : static_cast<int>(it - positions_.begin());
    }
    // The row as the list had it, for totals kept over the list: known when it was read.
    BrowseRow before;
    bool beforeKnown = old < 0;
    if (auto it = cache_.find(pos); old >= 0 && it != cache_.end()) {
        before = std::move(it->second);
        beforeKnown = true;
    }
    cache_.erase(pos);
    if (old < 0 && !listed)
        return 0;  // neither listed before nor now

    // Its new place among the other rows, found with the row itself out of the list.
    if (old >= 0)
        positions_.erase(positions_.begin() + old);
    int at = -1;
    if (listed) {
        if (!view_.key()) {
            at = static_cast<int>(std::lower_bound(positions_.begin(), positions_.end(), pos) - positions_.begin());
        } else {
            std::size_t bound = view_.lowerBound(positions_, pos);
            if (errorCode() != 0) {
                if (old >= 0)
                    positions_.insert(positions_.begin() + old, pos);
                return errorCode();
            }
            at = static_cast<int>(bound);
        }
    }
    if (old >= 0 && at == old) {
        positions_.insert(positions_.begin() + at, pos);
        emit dataChanged(index(at, 0), index(at, std::max(0, columnCount() - 1)));
    } else {
        if (old >= 0) {
            positions_.insert(positions_.begin() + old, pos);
            beginRemoveRows(QModelIndex(), old, old);
            positions_.erase(positions_.begin() + old);
            endRemoveRows();
        }
        if (at >= 0) {
            beginInsertRows(QModelIndex(), at, at);
            positions_.insert(positions_.begin() + at, pos);
            endInsertRows();
        }
    }
    if (listed)
        cache_[pos] = after;
    if (indexBuilt_) {
        if (!listed && pos < static_cast<std::int64_t>(rowIndex_.size()))
            rowIndex_[static_cast<std::size_t>(pos)] = -1;
        std::size_t from = static_cast<std::size_t>(old < 0 ? at : at < 0 ? old : std::min(old, at));
        std::size_t to = old >= 0 && at >= 0 ? static_cast<std::size_t>(std::max(old, at)) + 1 : positions_.size();
        reindex(from, to);
    }
    if (beforeKnown) {
        if (onRowPatched)
            onRowPatched(old >= 0 ? &before : nullptr, listed ? &after : nullptr);
    } else {
        ++rowsVersion_;  // the row's old values are not known: totals over the list start again
    }
    return 0;
}

bool BrowseModel::indexed() const
{
    complete();
    if (indexBuilt_)
        return true;
    if (!rowIndex_.empty())
        return false;  // positions too scattered for a table by position
    std::int64_t top = 0;
    for (std::int64_t p : positions_)
        top = std::max(top, p);
    // A table by position as long as the positions are about as dense as a file's own.
    const std::int64_t limit = 4 * static_cast<std::int64_t>(positions_.size()) + (1 << 20);
    if (top > limit || positions_.size() >= static_cast<std::size_t>(INT32_MAX)) {
        rowIndex_.assign(1, -1);
        return false;
    }
    rowIndex_.assign(static_cast<std::size_t>(top) + 1 + (1 << 12), -1);
    indexBuilt_ = true;
    reindex(0, positions_.size());
    return true;
}

void BrowseModel::reindex(std::size_t from, std::size_t to) const
{
    for (std::size_t i = from; i < to && i < positions_.size(); ++i) {
        const std::int64_t p = positions_[i];
        if (p >= static_cast<std::int64_t>(rowIndex_.size())) {
            const std::int64_t limit = 4 * static_cast<std::int64_t>(positions_.size()) + (1 << 20);
            if (p > limit) {
                // Scattered after all: searched for instead.
                indexBuilt_ = false;
                rowIndex_.assign(1, -1);
                return;
            }
            rowIndex_.resize(static_cast<std::size_t>(p) + 1 + (1 << 12), -1);
        }
        rowIndex_[static_cast<std::size_t>(p)] = static_cast<std::int32_t>(i);
    }
}

int BrowseModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(partial_ ? listed_ : positions_.size());
}

int BrowseModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

std::int64_t BrowseModel::position(int r) const
{
    if (r >= static_cast<int>(positions_.size()))
        complete();
    return r >= 0 && r < static_cast<int>(positions_.size()) ? positions_[static_cast<std::size_t>(r)] : 0;
}

int BrowseModel::rowOf(std::int64_t pos) const
{
    complete();
    if (pos <= 0 || positions_.empty())
        return -1;
    if (indexed()) {
        if (pos >= static_cast<std::int64_t>(rowIndex_.size()))
            return -1;
        return rowIndex_[static_cast<std::size_t>(pos)];
    }
    // A binary search in the order; a row changed since the list was read may stand elsewhere.
    std::size_t at = view_.key() ? view_.lowerBound(positions_, pos)
                                 : static_cast<std::size_t>(std::lower_bound(positions_.begin(), positions_.end(), pos) -
                                                            positions_.begin());
    if (at < positions_.size() && positions_[at] == pos)
        return static_cast<int>(at);
    auto it = std::find(positions_.begin(), positions_.end(), pos);
    return it == positions_.end() ? -1 : static_cast<int>(it - positions_.begin());
}

void BrowseModel::loadAround(int r) const
{
    if (!file().isOpen() || readFailed_)
        return;
    if (cache_.size() > kCacheRows)
        cache_.clear();
    int from = std::max(0, r - kPage / 3);
    if (from + kPage > static_cast<int>(positions_.size()))
        complete();
    int to = std::min(static_cast<int>(positions_.size()), from + kPage);
    std::vector<std::int64_t> want;
    for (int i = from; i < to; ++i)
        if (!cache_.count(positions_[static_cast<std::size_t>(i)]))
            want.push_back(positions_[static_cast<std::size_t>(i)]);
    if (want.empty())
        return;
    std::vector<ViewRow> rows;
    if (view_.readPositions(want, rows) != 0) {
        // Rows are read while the list paints: the report waits for the paint to end.
        readFailed_ = true;
        ErrorState e = ErrorState::current();
        QMetaObject::invokeMethod(
            const_cast<BrowseModel *>(this),
            [this, e] {
                auto *self = const_cast<BrowseModel *>(this);
                if (self->readFailed_)
                    self->dropRows();
                if (onReadError)
                    onReadError(e);
            },
            Qt::QueuedConnection);
        return;
    }
    for (ViewRow &row : rows)
        cache_[row.position] = std::move(row);
}

void BrowseModel::dropRows()
{
    beginResetModel();
    ++reads_;
    partial_ = false;
    positions_.clear();
    cache_.clear();
    rowIndex_.clear();
    indexBuilt_ = false;
    synced_ = false;  // the next refill reads the list again
    ++rowsVersion_;
    endResetModel();
}

const BrowseRow *BrowseModel::row(int r) const
{
    std::int64_t pos = position(r);
    if (pos == 0)
        return nullptr;
    auto it = cache_.find(pos);
    if (it == cache_.end()) {
        loadAround(r);
        it = cache_.find(pos);
        if (it == cache_.end())
            return nullptr;  // deleted since the list was read
    }
    return &it->second;
}

QString BrowseModel::text(const BrowseRow &row, const BrowseColumn &c) const
{
    if (c.compute)
        return c.compute(row);
    if (c.field < 0)
        return QString();
    const FieldDef &f = file().def().fields[static_cast<std::size_t>(c.field)];
    const void *rec = row.record.data();
    Picture pic = Picture::parse(c.picture);
    switch (f.kind) {
    case FieldKind::STRING:
        return QString::fromStdString(pic.kind == Picture::Invalid ? fieldText(f, rec) : formatText(c.picture, fieldText(f, rec)));
    case FieldKind::LONG:
    case FieldKind::BYTE:
        if (pic.kind == Picture::Date)
            return QString::fromStdString(formatDate(c.picture, static_cast<std::int32_t>(fieldNumber(f, rec))));
        if (pic.kind == Picture::Time)
            return QString::fromStdString(formatTime(c.picture, static_cast<std::int32_t>(fieldNumber(f, rec))));
        if (pic.kind == Picture::Number)
            return QString::fromStdString(formatNumber(pic, fieldNumber(f, rec), 0));
        return QString::number(fieldNumber(f, rec));
    case FieldKind::DEC:
        return QString::fromStdString(formatNumber(pic.kind == Picture::Number ? pic : Picture::parse("@n-15.2"),
                                                   fieldNumber(f, rec), f.places));
    }
    return QString();
}

QVariant BrowseModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.column() >= static_cast<int>(columns_.size()))
        return {};
    const BrowseColumn &c = columns_[static_cast<std::size_t>(index.column())];
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(c.align);
    if (role != Qt::DisplayRole)
        return {};
    const BrowseRow *r = row(index.row());
    return r ? text(*r, c) : QString();
}

QVariant BrowseModel::headerData(int section, Qt::Orientation o, int role) const
{
    if (o == Qt::Horizontal && role == Qt::DisplayRole && section < static_cast<int>(columns_.size()))
        return columns_[static_cast<std::size_t>(section)].title;
    return QAbstractTableModel::headerData(section, o, role);
}

int BrowseModel::locate(int field, const std::string &value) const
{
    if (field < 0 || !file().isOpen())
        return 0;
    const FieldDef &f = file().def().fields[static_cast<std::size_t>(field)];
    BoundValue v = value;
    if (f.kind != FieldKind::STRING) {
        std::int64_t units = 0;
        parseDecimal(value, f.kind == FieldKind::DEC ? f.places : 0, units);
        v = units;
    }
    std::int64_t at = 0;
    int code = view_.locate(field, v, at);
    if (code == err::NoRecord)
        return rowCount();
    if (code != 0) {
        if (onReadError)
            onReadError(ErrorState::current());
        return 0;
    }
    int row = rowOf(at);  // the whole list read
    return row >= 0 ? row : static_cast<int>(view_.lowerBound(positions_, at));
}

// ---------------------------------------------------------------------------------------------

Browse::Browse(QTableView *view, FileManager &manager, QObject *parent)
    : QObject(parent ? parent : view), view_(view), manager_(manager)
{
    model_ = new BrowseModel(manager.file, this);
    model_->onReadError = [this](const ErrorState &e) {
        e.restore();
        reportFailure(FileFailure::Read);
        // The list is empty now: nothing to change, delete or select.
        if (model_->rowCount() == 0) {
            for (QPushButton *b : {change_.data(), delete_.data(), select_.data()})
                if (b)
                    b->setEnabled(false);
            if (onRowChanged)
                onRowChanged();
        }
    };
    view_->setModel(model_);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setTabKeyNavigation(false);
    view_->setWordWrap(false);
    view_->verticalHeader()->hide();
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
    view_->horizontalHeader()->setStretchLastSection(true);
    view_->horizontalHeader()->setSectionsClickable(false);
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    view_->installEventFilter(this);
    connect(view_, &QTableView::doubleClicked, this, [this] { ask(selectMode_ ? SelectRecord : ChangeRecord); });
    connect(view_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        if (onRowChanged)
            onRowChanged();
    });
    connect(view_, &QTableView::customContextMenuRequested, this, [this](const QPoint &p) {
        QModelIndex idx = view_->indexAt(p);
        if (idx.isValid())
            setCurrentRow(idx.row());
        QMenu menu;
        if (insert_ && insert_->isVisible())
            menu.addAction("&Insert", this, [this] { ask(InsertRecord); })->setEnabled(insert_->isEnabled());
        if (change_ && change_->isVisible())
            menu.addAction("&Change", this, [this] { ask(ChangeRecord); })->setEnabled(change_->isEnabled());
        if (delete_ && delete_->isVisible())
            menu.addAction("&Delete", this, [this] { ask(DeleteRecord); })->setEnabled(delete_->isEnabled());
        if (select_ && select_->isVisible())
            menu.addAction("&Select", this, [this] { ask(SelectRecord); })->setEnabled(select_->isEnabled());
        if (!menu.isEmpty())
            menu.exec(view_->viewport()->mapToGlobal(p));
    });
}

void Browse::addColumn(const QString &title, std::string_view field, std::string picture, int widthChars)
{
    BrowseColumn c;
    c.title = title;
    c.field = manager_.file.def().fieldIndex(field);
    c.picture = std::move(picture);
    c.widthChars = widthChars;
    Picture pic = Picture::parse(c.picture);
    if (pic.kind == Picture::Number)
        c.align = Qt::AlignRight | Qt::AlignVCenter;
    addColumn(std::move(c));
}

namespace {

// The widest text a picture shows, for the columns whose values take their picture's whole width
// (numbers, dates, times, patterns); empty for text, which is sized by its characters.
std::string widestText(const Picture &pic)
{
    switch (pic.kind) {
    case Picture::Number:
        return pic.width > 0 ? std::string(static_cast<std::size_t>(std::min(pic.width, 40)), '8') : std::string();
    case Picture::Date:
        return pic.style == 4 ? "September 28, 8888" : "88/88/8888";
    case Picture::Time:
        return "88:88:88PM";
    case Picture::Pattern:
        return std::string(pic.pattern.size(), '8');
    default:
        return {};
    }
}

}  // namespace

int pictureMinimumPixels(const QFontMetrics &fm, std::string_view picture)
{
    const std::string widest = widestText(Picture::parse(picture));
    return widest.empty() ? 0 : fm.horizontalAdvance(QString::fromStdString(widest)) + 16;
}

void Browse::addColumn(BrowseColumn c)
{
    Picture pic = Picture::parse(c.picture);
    int width = c.widthChars;
    if (width == 0)
        width = pic.width > 0 ? std::min(pic.width, 30) : (pic.kind == Picture::Date ? 10 : 14);
    int col = static_cast<int>(model_->columns().size());
    model_->addColumn(std::move(c));
    const QFontMetrics fm = view_->fontMetrics();
    int px = std::max(fm.horizontalAdvance(model_->headerData(col, Qt::Horizontal, Qt::DisplayRole).toString()) + 16,
                      fm.averageCharWidth() * width + 12);
    // A phone, an amount or a date is never cut: its column takes its picture's widest text.
    px = std::max(px, pictureMinimumPixels(fm, model_->columns().back().picture));
    view_->horizontalHeader()->resizeSection(col, px);
}

int Browse::addSortOrder(SortOrder order)
{
    QLineEdit *entry = order.locatorEntry;
    orders_.push_back(std::move(order));
    int index = static_cast<int>(orders_.size()) - 1;
    if (entry)
        setLocatorEntry(index, entry);
    return index;
}

void Browse::setLocatorEntry(int index, QLineEdit *entry)
{
    orders_.at(static_cast<std::size_t>(index)).locatorEntry = entry;
    // A text locator positions the list when Enter is pressed or the entry is left.
    auto go = [this, entry, index] {
        if (current_ == index && !entry->text().isEmpty())
            locate(entry->text().toStdString());
    };
    connect(entry, &QLineEdit::returnPressed, this, go);
    connect(entry, &QLineEdit::editingFinished, this, go);
    // Enter in the locator only positions the list: it must not reach the window's default
    // button (a look-up's Select), which would choose a row the user has not seen.
    entry->installEventFilter(this);
}

void Browse::setTabs(QTabBar *tabs, std::function<int(int)> orderOfTab)
{
    tabs_ = tabs;
    orderOfTab_ = std::move(orderOfTab);
    connect(tabs, &QTabBar::currentChanged, this, [this](int tab) { setOrder(orderOfTab_(tab)); });
}

void Browse::setOrder(int order)
{
    if (order < 0 || order >= static_cast<int>(orders_.size()))
        order = 0;
    std::int64_t keep = model_->position(currentRow());
    current_ = order;
    applyOrder();
    refill(keep);
}

void Browse::applyOrder()
{
    if (current_ < 0 && !orders_.empty())
        current_ = 0;
    if (current_ >= 0) {
        const SortOrder &o = orders_[static_cast<std::size_t>(current_)];
        model_->setOrder(o.key, o.filter);
    }
}

void Browse::setButtons(QPushButton *insert, QPushButton *change, QPushButton *remove, QPushButton *select)
{
    insert_ = insert;
    change_ = change;
    delete_ = remove;
    select_ = select;
    if (insert)
        connect(insert, &QPushButton::clicked, this, [this] { ask(InsertRecord); });
    if (change)
        connect(change, &QPushButton::clicked, this, [this] { ask(ChangeRecord); });
    if (remove)
        connect(remove, &QPushButton::clicked, this, [this] { ask(DeleteRecord); });
    if (select)
        connect(select, &QPushButton::clicked, this, [this] { ask(SelectRecord); });
}

void Browse::refill(std::int64_t position)
{
    reported_ = false;
    if (!manager_.file.isOpen() && manager_.useFile() != 0)
        reportFailure(FileFailure::Open);
    if (current_ < 0)
        applyOrder();
    int previous = currentRow();
    if (model_->refill() != 0)
        reportFailure(FileFailure::View);
    int n = model_->rowCount();
    int row = position ? model_->rowOf(position) : -1;
    if (row < 0)
        row = position ? std::min(std::max(previous, 0), n - 1) : (n > 0 ? 0 : -1);
    setCurrentRow(row);
    bool any = n > 0;
    for (QPushButton *b : {change_.data(), delete_.data(), select_.data()})
        if (b)
            b->setEnabled(any);
    if (onRefilled)
        onRefilled();
    if (onRowChanged)
        onRowChanged();
}

int Browse::currentRow() const
{
    QModelIndex i = view_->currentIndex();
    return i.isValid() ? i.row() : -1;
}

const BrowseRow *Browse::current() const { return model_->row(currentRow()); }

void Browse::setCurrentRow(int row)
{
    if (row < 0 || row >= model_->rowCount()) {
        view_->setCurrentIndex(QModelIndex());
        return;
    }
    QModelIndex idx = model_->index(row, 0);
    view_->setCurrentIndex(idx);
    view_->selectRow(row);
    view_->scrollTo(idx, QAbstractItemView::PositionAtCenter);
}

bool Browse::loadCurrent()
{
    std::int64_t pos = model_->position(currentRow());
    if (pos == 0)
        return false;
    int code = manager_.file.getPosition(pos);
    // A record deleted since the list was read is no failure of the file.
    if (code != 0 && code != err::RecordNotFound)
        reportFailure(FileFailure::Read, false);
    return code == 0;
}

void Browse::reportFailure(FileFailure what, bool once)
{
    if (once && reported_)
        return;
    reported_ = true;
    // A total beyond 64 bits is no failure of the file: the user hears what it is rather than of
    // a record not read.
    if (what == FileFailure::Read && totalTooLarge()) {
        beep();
        message("A total of this list is too large to be computed.|The list shows its rows without the total.",
                "Total Too Large", Icon::Exclamation, BUTTON_OK);
        return;
    }
    reportFileFailure(what, manager_.file);
}

int Browse::locatorField() const
{
    if (current_ < 0)
        return -1;
    const SortOrder &o = orders_[static_cast<std::size_t>(current_)];
    if (o.locatorField >= 0)
        return o.locatorField;
    return o.key && !o.key->parts.empty() ? o.key->parts[0].field : -1;
}

void Browse::locate(const std::string &value)
{
    int field = locatorField();
    if (field < 0 || model_->rowCount() == 0)
        return;
    std::string v = value;
    const FieldDef &f = manager_.file.def().fields[static_cast<std::size_t>(field)];
    if (f.kind == FieldKind::LONG) {
        // A date key is located by a typed date.
        std::int32_t d = 0;
        if (value.find('/') != std::string::npos && deformatDate(value, d))
            v = std::to_string(d);
    }
    int row = model_->locate(field, v);
    setCurrentRow(std::min(row, model_->rowCount() - 1));
}

void Browse::ask(int request)
{
    if (request == SelectRecord) {
        if (loadCurrent())
            emit selected();
        return;
    }
    if (!updateProcedure)
        return;
    if (request != InsertRecord && !loadCurrent())
        return;  // nothing highlighted
    int row = currentRow();
    std::int64_t after = request == DeleteRecord ? model_->position(row + 1 < model_->rowCount() ? row + 1 : row - 1)
                                                 : 0;
    if (beforeUpdate)
        beforeUpdate(request);
    int response = updateProcedure(request);
    if (afterUpdate)
        afterUpdate(request, response);
    std::int64_t target = model_->position(row);
    if (response == RequestCompleted) {
        if (request == DeleteRecord)
            target = after;
        else if (manager_.file.position())
            target = manager_.file.position();
    }
    refill(target);
    view_->setFocus();
}

bool Browse::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && watched != view_) {
        auto *k = static_cast<QKeyEvent *>(event);
        auto *entry = qobject_cast<QLineEdit *>(watched);
        if (entry && (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) &&
            !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier))) {
            emit entry->returnPressed();
            return true;
        }
    }
    if (watched != view_ || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    auto *k = static_cast<QKeyEvent *>(event);
    const bool ctrl = k->modifiers() & Qt::ControlModifier;
    switch (k->key()) {
    case Qt::Key_Insert:
        if (insert_ && insert_->isEnabled() && insert_->isVisible()) {
            ask(InsertRecord);
            return true;
        }
        break;
    case Qt::Key_Delete:
        if (delete_ && delete_->isEnabled() && delete_->isVisible()) {
            ask(DeleteRecord);
            return true;
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (ctrl && change_ && change_->isEnabled() && change_->isVisible()) {
            ask(ChangeRecord);
            return true;
        }
        if (!ctrl && selectMode_) {
            ask(SelectRecord);
            return true;
        }
        break;
    default:
        break;
    }
    // Typing in the list moves it to the first row at or after the typed text.
    if (current_ >= 0 && !ctrl && !k->text().isEmpty() && k->text()[0].isPrint()) {
        LocatorKind kind = orders_[static_cast<std::size_t>(current_)].locator;
        if (kind == LocatorKind::Key || kind == LocatorKind::Step) {
            if (kind == LocatorKind::Step || !typedClock_.isValid() || typedClock_.elapsed() > 1000)
                typed_.clear();
            typed_ += k->text().toStdString();
            typedClock_.start();
            locate(typed_);
            return true;
        }
    }
    if (k->key() == Qt::Key_Backspace && !typed_.empty()) {
        typed_.pop_back();
        typedClock_.start();
        locate(typed_);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace rt
