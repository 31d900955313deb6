#include "model/import_process.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include "model/dictionary.h"
#include "model/globals.h"
#include "model/managers.h"
#include "runtime/dates.h"
#include "runtime/errors.h"
#include "runtime/paths.h"
#include "runtime/text.h"

namespace importing {

const std::vector<LinkTarget> &linkTargets()
{
    static const std::vector<LinkTarget> t{{1, "Category"}, {2, "Type"},       {3, "Location"},      {4, "Serial #"},
                                           {5, "Model #"},  {6, "Description"}, {7, "Quantity"},     {8, "Cost"},
                                           {9, "Repl Cost"}, {10, "MSRP"},     {12, "Condition"},    {13, "Manufacturer"},
                                           {14, "Color"}};
    return t;
}

namespace {
// The width each slot keeps of its column (index = slot number).
constexpr std::size_t kSlotWidth[kSlots + 1] = {0, 20, 20, 20, 20, 20, 50, 20, 20, 20, 20, 4, 10, 20, 20};
}  // namespace

Options Options::fromGlobals()
{
    Options o;
    o.format = formatOf(Glo.ImportFormat.view());
    o.header = Glo.ImportHeader == 1;
    o.upper = Glo.ImportUppercase == 1;
    o.deleteQuotes = Glo.ImportDeleteQuotes == 1;
    o.test = Glo.ImportTest == 1;
    o.testRecords = Glo.ImportTestRecords.get();
    return o;
}

Links readLinks(rt::RecordFile &importFields)
{
    Links links{};
    auto *imp = static_cast<ImportFieldsRecord *>(importFields.record());
    if (importFields.setFileOrder() != 0)
        return links;
    while (importFields.next() == 0) {
        if (imp->FIELDNUMBER >= 1 && imp->FIELDNUMBER <= kMaxColumns && imp->LINKTOFIELD <= kSlots)
            links[imp->FIELDNUMBER] = imp->LINKTOFIELD;
    }
    rt::clearError();
    return links;
}

std::string checkImportFile(const std::string &path)
{
    // Only a regular file is looked into: a FIFO would keep the check waiting for a writer. What
    // cannot be opened here is refused when the import opens it.
    struct stat st {};
    const int fd = rt::openRegularFile(path, st);
    std::FILE *f = fd < 0 ? nullptr : ::fdopen(fd, "rb");
    if (!f) {
        if (fd >= 0)
            ::close(fd);
        return {};
    }
    TextCheck check;
    std::vector<char> buffer(1 << 16);
    std::size_t n;
    while (!check.settled() && (n = std::fread(buffer.data(), 1, buffer.size(), f)) > 0)
        check.feed(std::string_view(buffer.data(), n));
    std::fclose(f);
    return textRefusal(check.verdict(), path);
}

std::vector<std::string> resultLines(const Outcome &o)
{
    auto numbers = [](const std::vector<std::int64_t> &v) {
        std::string s;
        for (std::size_t i = 0; i < v.size() && i < 10; ++i)
            s += (i ? ", " : "") + std::to_string(v[i]);
        if (v.size() > 10)
            s += ", ...";
        return s;
    };
    std::vector<std::string> l;
    l.push_back("Lines read: " + std::to_string(o.linesRead));
    l.push_back("Number of items added to Home Inventory: " + std::to_string(o.itemsAdded));
    if (o.headerSkipped)
        l.push_back("Header line skipped: 1");
    if (o.blankLines)
        l.push_back("Blank lines skipped: " + std::to_string(o.blankLines));
    if (!o.longLines.empty())
        l.push_back("Lines refused as longer than 1000 characters: " + std::to_string(o.longLines.size()) +
                    " (line " + numbers(o.longLines) + ")");
    if (!o.controlLines.empty())
        l.push_back("Lines refused as holding NUL bytes or control characters: " +
                    std::to_string(o.controlLines.size()) + " (line " + numbers(o.controlLines) + ")");
    if (!o.unclosedQuotes.empty())
        l.push_back("Lines refused as a quote is not closed: " + std::to_string(o.unclosedQuotes.size()) +
                    " (line " + numbers(o.unclosedQuotes) + ")");
    if (!o.refusedValues.empty())
        l.push_back("Lines with a value that is not a number, not a whole quantity or too large (left 0): " +
                    std::to_string(o.refusedValues.size()) + " (line " + numbers(o.refusedValues) + ")");
    if (o.valuesCut)
        l.push_back("Values cut to the width of their field: " + std::to_string(o.valuesCut) + " (line " +
                    numbers(o.cutLines) + ")");
    if (o.failed)
        l.push_back("The import stopped: an item could not be added.");
    else if (o.cancelled)
        l.push_back("The import was cancelled.");
    return l;
}

Importer::Importer(rt::AsciiFile &source, rt::RecordFile &items, const Options &options, const Links &links,
                   std::int64_t fileBytes)
    : source_(source), items_(items), options_(options), links_(links), fileBytes_(fileBytes),
      reader_(options.format)
{
    // The highest asset number in use; the new items continue after it.
    const rt::KeyDef *asset = items_.def().key("ASSETKEY");
    std::int64_t next = asset ? items_.nextAutoNumber(*asset) : 1;
    nextAsset_ = static_cast<std::int32_t>(next > 0 ? next - 1 : 0);
    today_ = rt::today();
    // Only these fields of an item can differ from a cleared one: the rest need not be written.
    static const char *const slotField[kSlots + 1] = {nullptr,          "CATEGORY",     "TYPE",   "LOCATION",
                                                     "SERIALNUMBER",   "MODELNUMBER",  "DESCRIPTION", "QUANTITY",
                                                     "ORIGINALCOST",   "REPLACEMENTCOST", "MSRP", "STATUS",
                                                     "CONDITION",      "MANUFACTURER", "COLOR"};
    std::array<bool, kSlots + 1> linked{};
    for (int column = 1; column <= kMaxColumns; ++column)
        if (links_[static_cast<std::size_t>(column)] >= 1 && links_[static_cast<std::size_t>(column)] <= kSlots)
            linked[links_[static_cast<std::size_t>(column)]] = true;
    auto field = [this](const char *name) {
        const int i = items_.def().fieldIndex(name);
        if (i >= 0 && std::find(fields_.begin(), fields_.end(), i) == fields_.end())
            fields_.push_back(i);
    };
    for (const char *name : {"ASSETNUMBER", "STATUS", "DATEENTERED", "HOWPURCHASED", "MARKETVALUE"})
        field(name);
    for (int slot = 1; slot <= kSlots; ++slot)
        if (linked[static_cast<std::size_t>(slot)])
            field(slotField[slot]);
    source_.set();
}

Importer::~Importer() { close(); }

int Importer::percent() const
{
    if (ended_ && !out_.cancelled && !out_.failed)
        return 100;
    if (fileBytes_ <= 0)
        return 0;
    std::int64_t p = bytesRead_ * 100 / fileBytes_;
    return static_cast<int>(p > 100 ? 100 : p);
}

bool Importer::step(int lines) { return run(lines, std::chrono::steady_clock::time_point::max()); }

bool Importer::stepFor(std::chrono::milliseconds budget)
{
    return run(std::numeric_limits<int>::max(), std::chrono::steady_clock::now() + budget);
}

bool Importer::run(int lines, std::chrono::steady_clock::time_point until)
{
    if (making_) {
        // A commit is due: the dropped keys are made one a slice, so that the window answers
        // between them, and then the transaction commits.
        if (makeKeys(1) && !held_.empty())
            return true;
        making_ = false;
        commit();
        if (out_.cancelled)
            ended_ = true;
        return !ended_;
    }
    if (ended_)
        return false;
    if (out_.cancelled) {
        ended_ = true;
        commit();
        return false;
    }
    if (!tx_) {
        tx_ = std::make_unique<rt::Transaction>(std::vector<rt::RecordFile *>{&items_});
        if (tx_->begin() != 0) {
            tx_.reset();
            GlobalErrors.throwFile(rt::msg::AddFailed, rt::clip(items_.name));
            out_.failed = ended_ = true;
            return false;
        }
        begun_ = std::chrono::steady_clock::now();
        pending_ = 0;
        keepChangesInMemory();
    }
    cleared_ = false;
    const bool timed = until != std::chrono::steady_clock::time_point::max();
    bool full = false;
    for (int n = 0; n < lines && !ended_; ++n) {
        if (n % 64 == 63 && ((timed && std::chrono::steady_clock::now() >= until) || (full = outgrown())))
            break;
        if (source_.next() != 0) {
            // The end of the file: a quote still open there is refused.
            reader_.finish();
            drain();
            ended_ = true;
            break;
        }
        bytesRead_ = source_.position();
        const std::int64_t number = ++out_.linesRead;
        // A line too long is refused whatever its start holds: that start is not looked into.
        if (source_.lineTooLong())
            reader_.push(number, {}, true);
        else
            reader_.push(number, lineText(source_.line(), number == 1));
        if (!drain())
            ended_ = true;
    }
    // Nothing built in a slice waits for the next: the shared buffer is free between slices.
    if (!addQueued())
        ended_ = true;
    if (out_.failed) {
        // The failed add has been reported; what was added before it stays.
        rt::clearError();
    }
    if (out_.cancelled)
        ended_ = true;
    // Every commit writes again each page of the keys that the items added since the last one
    // touched: in a large file, committing at every slice would take longer than the adding.
    const auto open = std::chrono::steady_clock::now() - begun_;
    // With keys dropped, making them again belongs to the transaction, so that a crash still
    // loses a few seconds at most: it takes about twice as long as adding the items did, and
    // longer as the file held items before.
    auto counted = std::chrono::duration<double>(open);
    if (!held_.empty() && pending_ > 0)
        counted *= 1 + kMakeShare * static_cast<double>(heldOver_ + pending_) / static_cast<double>(pending_);
    // The first transaction ends with the first slice at the latest (see outgrown()): a disk
    // without room for its items is met there, before the rest of the file is read.
    if (ended_ || full || !committed_ || (counted >= kCommitAfter && open >= kCommitShare * lastCommit_)) {
        if (!held_.empty() && tx_ && tx_->active() && committed_) {
            making_ = true;
            return true;
        }
        commit();
    }
    return !ended_;
}

// A key is made from all the items at once in a fraction of the time that adding many items
// to it one by one takes: when the lines still to read may well outnumber the items in the file,
// the keys that cannot refuse an add are dropped until the transaction commits. Readers of the
// file see them all the while, as nothing of the transaction is theirs before it commits, and a
// crash gives them back with the rest. Making them again takes a few seconds at most, as a
// larger file keeps its keys.
void Importer::holdKeys()
{
    constexpr std::int64_t kLineBytes = 64;  // shorter than a usual line: a few lines more
    constexpr std::int64_t kMostItems = 250'000;
    // The file holds no more items than its highest number (counting them would take longer
    // than a small import into a large file).
    const std::int64_t items = std::int64_t{nextAsset_} + 1;
    // The first transaction is a slice long, and makes its keys at once when it commits: it
    // drops them only from a file with few items.
    constexpr std::int64_t kMostItemsFirst = 10'000;
    if (items >= (committed_ ? kMostItems : kMostItemsFirst) || items >= (fileBytes_ - bytesRead_) / kLineBytes)
        return;
    heldOver_ = items;
    // A change to the file's keys waits for every reader of it in this program.
    rt::releaseHeldReads();
    for (const rt::KeyDef &key : items_.def().keys)
        if (!key.unique && tx_->connection().exec("DROP INDEX main.\"" + rt::lower(key.name) + "\"") == 0)
            held_.push_back(&key);
}

// Makes up to `most` of the keys dropped; false when one cannot be made: the file is not left
// without it, and what the transaction held is given up.
bool Importer::makeKeys(std::size_t most)
{
    rt::releaseHeldReads();
    for (; most > 0 && !held_.empty(); --most) {
        if (tx_->connection().exec(rt::createIndexSql(items_.def(), *held_.back())) != 0) {
            rt::setDriverError(sqlite3_errmsg(tx_->connection().db()), 0);
            spillAgain();
            tx_->rollback();
            held_.clear();
            return false;
        }
        held_.pop_back();
    }
    return true;
}

// Another program reads the file while a transaction only changes pages in its page cache;
// from the moment one of them is written to the file, SQLite keeps it out until the commit has
// ended. A cache that overflows writes pages early (it spills), which would keep readers out for
// the rest of a transaction of several seconds: the import's transaction keeps the pages it
// changed in memory instead, and commits once they reach a few times the file's page cache.
// That bounds its memory, and the time its commit writes them, during which a reader waits.
void Importer::keepChangesInMemory()
{
    sqlite3 *db = tx_->connection().db();
    // A cache holds pages up to this threshold before it spills (the pragma's other form,
    // cache_spill=OFF, would wait for the next transaction).
    sqlite3_exec(db, "PRAGMA main.cache_spill=2147483647", nullptr, nullptr, nullptr);
    std::int64_t cache = 0, page = 0;
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT cache_size, page_size FROM pragma_cache_size, pragma_page_size", -1, &st,
                           nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW) {
        cache = sqlite3_column_int64(st, 0);
        page = sqlite3_column_int64(st, 1);
    }
    sqlite3_finalize(st);
    mostChanged_ = kChangesInCaches * (cache < 0 ? -cache * 1024 : cache * page);
    // The pages only read are let go, here and once the keys are dropped, so that what the cache
    // holds beyond what it held now is what the transaction changed.
    sqlite3_db_release_memory(db);
    int used = 0, highest = 0;
    sqlite3_db_status(db, SQLITE_DBSTATUS_CACHE_USED, &used, &highest, 0);
    cacheAtBegin_ = used;
    holdKeys();
    sqlite3_db_release_memory(db);
}

// The cache spills again as SQLite's default has it (above the cache size), before the
// transaction ends.
void Importer::spillAgain()
{
    if (tx_ && tx_->active())
        tx_->connection().exec("PRAGMA main.cache_spill=1");
}

// True when what the open transaction changed should be committed before it grows further.
bool Importer::outgrown() const
{
    if (!tx_ || !tx_->active() || mostChanged_ <= 0)
        return false;
    int used = 0, highest = 0;
    sqlite3_db_status(tx_->connection().db(), SQLITE_DBSTATUS_CACHE_USED, &used, &highest, 0);
    // The keys dropped are made again before the commit, for every item of the file, in about
    // as many pages as the items took: they are left half the room. The first transaction is
    // small, so that a disk without room is met at once.
    constexpr std::int64_t kFirstChanged = 1 << 20;
    const std::int64_t most = held_.empty() ? mostChanged_ : mostChanged_ / 2;
    return used - cacheAtBegin_ >= (committed_ ? most : std::min(most, kFirstChanged));
}

bool Importer::commit()
{
    if (!tx_)
        return true;
    making_ = false;
    committed_ = true;
    int rc = tx_->active() && makeKeys(held_.size()) ? 0 : rt::err::NotOpen;
    held_.clear();
    // Making keys is not counted: the commits of a long import stay as far apart as before.
    const auto start = std::chrono::steady_clock::now();
    spillAgain();
    if (rc == 0)
        rc = tx_->commit();
    lastCommit_ = std::chrono::steady_clock::now() - start;
    tx_.reset();
    if (rc != 0) {
        // After a failed add that was reported, SQLite may have ended the transaction itself
        // (a full disk): what it held is lost either way, and is not counted.
        if (!out_.failed)
            GlobalErrors.throwFile(rt::msg::AddFailed, rt::clip(items_.name));
        out_.failed = ended_ = true;
        pending_ = 0;
        return false;
    }
    out_.itemsAdded += pending_;
    pending_ = 0;
    return true;
}

void Importer::close()
{
    if (!ended_) {
        out_.cancelled = true;
        ended_ = true;
    }
    commit();
}

// The records complete so far; false ends the import.
bool Importer::drain()
{
    Record record;
    while (reader_.pop(record))
        if (!takeRecord(record))
            return false;
    return true;
}

// One record of the file; false ends the import.
bool Importer::takeRecord(Record &record)
{
    const std::int64_t number = ++out_.records;
    if (options_.test && number > options_.testRecords) {
        --out_.records;
        out_.linesRead = record.first - 1;  // read, but beyond the test
        return false;
    }
    if (options_.header && number == 1) {
        out_.headerSkipped = true;
        return true;
    }
    switch (record.kind) {
    case Record::Blank: ++out_.blankLines; return true;
    case Record::TooLong: out_.longLines.push_back(record.first); return true;
    case Record::Control: out_.controlLines.push_back(record.first); return true;
    case Record::Unclosed: out_.unclosedQuotes.push_back(record.first); return true;
    case Record::Line: break;
    }
    recordLine_ = record.first;
    std::string line = options_.upper ? rt::upper(record.text) : std::move(record.text);
    for (auto &s : slots_)
        s.clear();
    std::array<bool, kSlots + 1> cut{};
    splitLine(line, options_.format, columns_);
    for (const Column &c : columns_) {
        const int slot = links_[static_cast<std::size_t>(c.number)];
        if (slot < 1 || slot > kSlots)
            continue;
        const auto i = static_cast<std::size_t>(slot);
        if (options_.deleteQuotes)
            deleteQuotes(c.text, cleaned_);
        const std::string &text = options_.deleteQuotes ? cleaned_ : c.text;
        const std::string_view kept = rt::cutUtf8(text, kSlotWidth[slot]);
        cut[i] = c.cut || kept.size() < text.size();
        slots_[i].assign(kept);
    }
    return addItem(cut);
}

bool Importer::addItem(const std::array<bool, kSlots + 1> &cut)
{
    auto &mas = *static_cast<MasterInventoryRecord *>(items_.record());
    // Every item sets each field an item can hold here, and nothing else uses the shared buffer
    // within a slice: it is cleared once a slice.
    if (!cleared_) {
        rt::clearRecord(items_.def(), &mas);
        if (items_.memo())
            items_.memo()->clear();
        cleared_ = true;
    }
    mas.DATEENTERED = today_;
    mas.CATEGORY = slots_[1];
    mas.TYPE = slots_[2];
    mas.LOCATION = slots_[3];
    mas.SERIALNUMBER = slots_[4];
    mas.MODELNUMBER = slots_[5];
    mas.DESCRIPTION = slots_[6];
    mas.CONDITION = slots_[12];
    mas.MANUFACTURER = slots_[13];
    mas.COLOR = slots_[14];
    // A number cut to its slot's width would be another number: it is refused, never read.
    bool refused = false;
    std::int32_t quantity = 0;
    refused |= !toWhole(slots_[7], quantity) || cut[7];
    mas.QUANTITY = cut[7] ? 0 : quantity;
    std::int64_t cost = 0, replacement = 0, msrp = 0;
    auto amount = [&](int slot, int digits, std::int64_t &cents) {
        refused |= !toAmount(slots_[static_cast<std::size_t>(slot)], digits, cents) || cut[static_cast<std::size_t>(slot)];
        if (cut[static_cast<std::size_t>(slot)])
            cents = 0;
    };
    amount(8, decltype(mas.ORIGINALCOST)::digits, cost);
    amount(9, decltype(mas.REPLACEMENTCOST)::digits, replacement);
    amount(10, decltype(mas.MSRP)::digits, msrp);
    std::int64_t cutTexts = 0;
    for (int slot = 1; slot <= kSlots; ++slot)
        cutTexts += (slot < 7 || slot > 10) && cut[static_cast<std::size_t>(slot)];
    if (cutTexts) {
        out_.valuesCut += cutTexts;
        out_.cutLines.push_back(recordLine_);
    }
    mas.ORIGINALCOST.setCents(cost);
    mas.REPLACEMENTCOST.setCents(replacement);
    mas.MSRP.setCents(msrp);
    if (refused)
        out_.refusedValues.push_back(recordLine_);
    const std::string &status = slots_[11];
    mas.STATUS = status == "Have" || status == "Want" || status == "Sell" || status == "Sold" || status == "Info"
                     ? status
                     : std::string("Have");
    mas.MARKETVALUE.setCents(replacement != 0 ? replacement : msrp != 0 ? msrp : cost);
    mas.HOWPURCHASED = "???";
    mas.ASSETNUMBER = ++nextAsset_;
    const std::size_t size = items_.def().recordSize;
    queued_.insert(queued_.end(), static_cast<const char *>(items_.record()),
                   static_cast<const char *>(items_.record()) + size);
    said_.push_back({out_.linesRead, out_.records, out_.blankLines, out_.valuesCut, bytesRead_, out_.longLines.size(),
                     out_.controlLines.size(), out_.unclosedQuotes.size(), out_.refusedValues.size(),
                     out_.cutLines.size(), out_.headerSkipped});
    return said_.size() < rt::RecordFile::kAddedTogether || addQueued();
}

// Adds the items built since the last call; false when one could not be added, which ends the
// import where that item was built, as if those after it had not been read.
bool Importer::addQueued()
{
    const std::size_t size = items_.def().recordSize;
    const rt::KeyDef *asset = items_.def().key("ASSETKEY");
    std::size_t done = 0;
    int rc = 0;
    while (done < said_.size()) {
        std::size_t added = 0;
        rc = items_.addFieldsOfEach(fields_, queued_.data() + done * size, said_.size() - done, added);
        pending_ += static_cast<std::int64_t>(added);
        done += added;
        if (rc == 0)
            break;
        // Another window took the number since: the next free one serves, and the items after
        // it take the numbers after that one.
        if (rt::errorCode() != rt::err::DuplicateKey || items_.duplicateKey() != asset)
            break;
        auto &refused = *reinterpret_cast<MasterInventoryRecord *>(queued_.data() + done * size);
        nextAsset_ = refused.ASSETNUMBER;
        for (std::size_t i = done; i < said_.size(); ++i)
            reinterpret_cast<MasterInventoryRecord *>(queued_.data() + i * size)->ASSETNUMBER = ++nextAsset_;
        rc = 0;
    }
    if (rc != 0) {
        const Said &s = said_[done];
        out_.linesRead = s.linesRead;
        out_.records = s.records;
        out_.blankLines = s.blankLines;
        out_.valuesCut = s.valuesCut;
        bytesRead_ = s.bytesRead;
        out_.longLines.resize(s.longLines);
        out_.controlLines.resize(s.controlLines);
        out_.unclosedQuotes.resize(s.unclosedQuotes);
        out_.refusedValues.resize(s.refusedValues);
        out_.cutLines.resize(s.cutLines);
        out_.headerSkipped = s.headerSkipped;
        GlobalErrors.throwFile(rt::msg::AddFailed, rt::clip(items_.name));
        out_.failed = true;
    } else if (!said_.empty()) {
        // The buffer holds the last item added, as after adding them one by one.
        std::memcpy(items_.record(), queued_.data() + (said_.size() - 1) * size, size);
    }
    queued_.clear();
    said_.clear();
    return rc == 0;
}

}  // namespace importing
