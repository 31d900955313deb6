// The import of delimited item lists into a client's items: the engine without windows. The
// wizard's settings and the column links are its input; it reads the text file a slice of lines
// at a time, so that a window can show progress and offer Cancel between slices. What the slices
// add is committed at the end of the first slice, every few seconds on the way (or sooner, when
// what a transaction changed would outgrow the memory it may take) and when the import ends
// (cancelled or not).
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/import_lines.h"
#include "runtime/ascii_file.h"
#include "runtime/record_file.h"

namespace importing {

// The item fields a column can feed, by the number a link stores; 11 (the status) has no button.
struct LinkTarget {
    int number;
    const char *name;
};
const std::vector<LinkTarget> &linkTargets();  // the 13 buttons, in the wizard's order
inline constexpr int kSlots = 14;

struct Options {
    Format format = Format::Comma;
    bool header = false;
    bool upper = false;
    bool deleteQuotes = true;
    bool test = false;
    std::int64_t testRecords = 0;
    // The wizard's globals.
    static Options fromGlobals();
};

// The link of each column number (index 1 to 30): 0 for none, else a slot number.
using Links = std::array<std::uint8_t, kMaxColumns + 1>;
// The links of an open `ImportFields` file.
Links readLinks(rt::RecordFile &importFields);

// Every record of the file is counted once: added, skipped or refused; the lists hold the line
// numbers (a record's first line).
struct Outcome {
    std::int64_t linesRead = 0;
    std::int64_t records = 0;  // a quoted text over several lines makes one record of them
    std::int64_t itemsAdded = 0;
    std::int64_t blankLines = 0;
    bool headerSkipped = false;
    std::vector<std::int64_t> longLines;      // refused whole: longer than a record holds
    std::vector<std::int64_t> controlLines;   // refused whole: NUL bytes or control characters
    std::vector<std::int64_t> unclosedQuotes; // refused whole: a quote that is not closed
    std::vector<std::int64_t> refusedValues;  // added, with a value that was no number (or no
                                              // whole quantity) or too large, left 0
    std::int64_t valuesCut = 0;               // text values longer than their field, cut to it
    std::vector<std::int64_t> cutLines;
    bool cancelled = false;
    bool failed = false;  // an item could not be added: the import stopped there
};

// Reads the file through TextCheck: the message that refuses it, empty when it is text (or
// cannot be read here: opening it reports that).
std::string checkImportFile(const std::string &path);

// The texts of the results window, one a line.
std::vector<std::string> resultLines(const Outcome &o);

class Importer {
public:
    // Both files are open; `items` is the client's `MasterInventory` with its shared buffer.
    Importer(rt::AsciiFile &source, rt::RecordFile &items, const Options &options, const Links &links,
             std::int64_t fileBytes);
    ~Importer();
    // Reads up to `lines` lines and adds their items. False once the import has ended: end of
    // file, the test's last line, a cancel or a failure (reported with the file-error message);
    // what was added is committed then.
    bool step(int lines = 1000);
    // The same for as many lines as the time allows: a window's slice between two looks at its
    // Cancel button.
    bool stepFor(std::chrono::milliseconds budget);
    // Cancel takes effect at the next step. Once the file has been read to its end, nothing is
    // left to cancel: the keys still to make and the commit finish what was added.
    void cancel()
    {
        if (!ended_)
            out_.cancelled = true;
    }
    // Ends the import where it is, as a cancel if the file was not read to its end, and commits
    // what was added. (The destructor does it too.)
    void close();
    bool ended() const { return ended_; }
    // Of the file's bytes, the part read so far.
    int percent() const;
    const Outcome &outcome() const { return out_; }

private:
    bool run(int lines, std::chrono::steady_clock::time_point until);
    bool commit();
    bool drain();
    bool takeRecord(Record &record);
    bool addItem(const std::array<bool, kSlots + 1> &cut);
    bool addQueued();
    void holdKeys();
    bool makeKeys(std::size_t most);
    void keepChangesInMemory();
    void spillAgain();
    bool outgrown() const;

    rt::AsciiFile &source_;
    rt::RecordFile &items_;
    Options options_;
    Links links_;
    std::int64_t fileBytes_;
    std::int64_t bytesRead_ = 0;
    std::int32_t nextAsset_ = 0;
    std::int32_t today_ = 0;
    std::int64_t pending_ = 0;  // added in the open transaction
    std::unique_ptr<rt::Transaction> tx_;
    // The keys no add can be refused by, dropped in the open transaction and made again before
    // it commits.
    std::vector<const rt::KeyDef *> held_;
    bool making_ = false;  // a commit is due, once the keys are made
    std::int64_t heldOver_ = 0;  // items in the file when they were dropped (at most)
    static constexpr double kMakeShare = 2.5;
    std::chrono::steady_clock::time_point begun_;
    std::chrono::steady_clock::duration lastCommit_{};
    // A transaction is committed once it has been open this long and ten times as long as the
    // last commit took, so that committing costs a tenth of the time at most.
    static constexpr std::chrono::seconds kCommitAfter{5};
    static constexpr int kCommitShare = 10;
    bool committed_ = false;  // the first transaction has been committed (or has failed)
    // The memory the pages changed by a transaction may take, as many times the file's page
    // cache, and what the cache held when it began.
    static constexpr int kChangesInCaches = 4;
    std::int64_t mostChanged_ = 0;
    std::int64_t cacheAtBegin_ = 0;
    std::array<std::string, kSlots + 1> slots_;
    std::vector<Column> columns_;  // the columns of the line being added, and a cleaned one
    std::string cleaned_;
    std::vector<int> fields_;  // the item fields an import can set: the linked ones and those always set
    RecordReader reader_;
    std::int64_t recordLine_ = 0;  // the first line of the record being added
    // Items built but not yet added, written together at the end of a slice or when there are
    // enough of them; with each, what the outcome said when it was built, which is what it says
    // again when adding that item fails.
    struct Said {
        std::int64_t linesRead, records, blankLines, valuesCut, bytesRead;
        std::size_t longLines, controlLines, unclosedQuotes, refusedValues, cutLines;
        bool headerSkipped;
    };
    std::vector<char> queued_;
    std::vector<Said> said_;
    bool cleared_ = false;         // the buffer has been cleared in this slice
    bool ended_ = false;
    Outcome out_;
};

}  // namespace importing
