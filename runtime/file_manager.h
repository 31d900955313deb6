// File and relation managers: the class library's objects through which every window opens,
// reads and writes a record file, with the standard recovery of a failed open and the standard
// messages of a failed write.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "runtime/error_manager.h"
#include "runtime/record_file.h"

namespace rt {

class FileManager {
public:
    FileManager(RecordFile &file, ErrorManager &errors);

    RecordFile &file;
    ErrorManager &errors;
    bool create = true;      // a missing file is created empty on open
    int lockRecover = 10;    // sent as "Recover=10" when an open is refused
    bool lazyOpen = true;    // Open only counts the use; the file opens at its first real use
    int openMode = 0x42;     // read/write, deny none

    // Count a use (and open at once when lazy open is off); the level of any reported failure.
    int open();
    // Drop a use; the file closes when the last use is gone.
    int close();
    int useCount() const { return useCount_; }
    bool opened() const { return opened_; }
    // Make sure the file is really open: the real open of a lazy manager. 0 or a level.
    int useFile();
    // The real open with its recovery steps; reports through the error manager when asked.
    int openFile(bool report);
    int lastError() const { return lastError_; }

    // Record operations on the shared buffer. The Try forms report nothing and return 0 or
    // LevelNotify; the others report a failure through the error manager and return its level.
    int next();
    int previous();
    int fetch(const KeyDef &key);     // no message when not found
    int tryFetch(const KeyDef &key);
    int insert();
    int tryInsert();
    int update();
    int tryUpdate();
    int deleteRecord();               // no question; the relation manager asks

    // Clear the buffer and number a new record on the auto-numbered key.
    void primeRecord();
    void primeAutoInc();

private:
    int useCount_ = 0;
    bool opened_ = false;
    int lastError_ = 0;
    bool readOnlyFallback_ = false;
};

class RelationManager {
public:
    explicit RelationManager(FileManager &fm) : me(fm) {}
    FileManager &me;

    // The child side of a one-to-many relation; changes cascade, deletes are restricted.
    void addChild(RelationManager &child, int parentField, int childField);
    // The parent side (opening a child opens its parent too).
    void addParent(RelationManager &parent);

    // Open this file and the related ones (children and parents); close them again.
    int open();
    int close();

    // Write the buffer over the current record, carrying a changed link value into every child,
    // all in one transaction. With report, a failure shows "Record was not updated".
    // `stillAsRead`, when given, is asked inside the transaction, with every other writer shut
    // out, whether the stored record is still the one the caller read; when it is not, nothing
    // is written, nothing is reported and the result is LevelCancel.
    int update(bool report = true, const std::function<bool()> &stillAsRead = {});
    // Delete the current record unless a child names it. With ask, "Confirm Delete" first.
    // Returns 0 when deleted, LevelCancel when the user said No, else the failure's level.
    // `stillAsRead`, when given, is asked inside the transaction whether the stored record is
    // still the one meant; when it is not, nothing is deleted or reported and the result is
    // LevelCancel.
    int deleteRecord(bool ask, const std::function<bool()> &stillAsRead = {});

private:
    struct Child {
        RelationManager *rm;
        int parentField;
        int childField;
    };
    std::vector<Child> children_;
    std::vector<RelationManager *> parents_;
    bool opening_ = false;
};

}  // namespace rt
