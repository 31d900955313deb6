#include "runtime/file_manager.h"

#include <memory>

#include "runtime/file_recovery.h"
#include "runtime/file_structure.h"
#include "runtime/message.h"

namespace rt {

FileManager::FileManager(RecordFile &f, ErrorManager &e) : file(f), errors(e) {}

int FileManager::open()
{
    ++useCount_;
    if (!lazyOpen && !opened_) {
        int level = openFile(true);
        if (level != 0) {
            --useCount_;
            return level;
        }
    }
    return 0;
}

int FileManager::close()
{
    if (useCount_ > 0)
        --useCount_;
    if (useCount_ == 0 && opened_) {
        file.close();
        opened_ = false;
    }
    return 0;
}

int FileManager::useFile()
{
    if (opened_ && file.isOpen())
        return 0;
    opened_ = false;
    return openFile(false);
}

int FileManager::openFile(bool reportFailure)
{
    int mode = openMode;
    auto raise = [&](int id) {
        lastError_ = errorCode();
        if (!reportFailure)
            return static_cast<int>(LevelNotify);
        return errors.throwFile(id, clip(file.name));
    };
    for (int pass = 0; pass < 2; ++pass) {
        int rc = ds_FileOpen(file, mode);
        if (rc == err::AccessDenied || rc == err::Locked) {
            BusyWait wait;
            file.send("Recover=" + std::to_string(lockRecover));
            rc = ds_FileOpen(file, mode);
        }
        if (rc == 0 || rc == err::AlreadyOpen) {
            opened_ = true;
            lastError_ = 0;
            clearError();
            return 0;
        }
        if (rc == err::FileNotFound) {
            if (!create)
                return raise(msg::OpenFailed);
            if (std::string left = repairLeftBeside(clip(file.name)); !left.empty()) {
                setDriverError("The file does not exist. " + left, 0);
                return raise(msg::OpenFailed);
            }
            if (file.create() != 0)
                return raise(msg::CreateFailed);
            continue;
        }
        if (rc == err::AccessDenied) {
            if ((mode & 3) == 0)
                return raise(msg::OpenFailed);
            mode &= ~3;
            // The notice is shown even when the open itself reports nothing.
            int save = errorCode();
            errors.throwFile(msg::AccessDenied, clip(file.name));
            setError(save);
            continue;
        }
        if (rc == err::KeyInvalid) {
            if (!reportFailure) {
                lastError_ = rc;
                return LevelNotify;
            }
            errors.throwFile(msg::RebuildKey, clip(file.name));
            if (file.build() != 0)
                return errors.throwFile(msg::RebuildFailed, clip(file.name));
            continue;
        }
        return raise(msg::OpenFailed);
    }
    return raise(msg::OpenFailed);
}

int FileManager::next()
{
    if (useFile() != 0)
        return LevelNotify;
    return file.next() == 0 ? 0 : LevelNotify;
}

int FileManager::previous()
{
    if (useFile() != 0)
        return LevelNotify;
    return file.previous() == 0 ? 0 : LevelNotify;
}

int FileManager::tryFetch(const KeyDef &key)
{
    if (useFile() != 0)
        return LevelNotify;
    return file.get(key) == 0 ? 0 : LevelNotify;
}

int FileManager::fetch(const KeyDef &key) { return tryFetch(key); }

int FileManager::tryInsert()
{
    if (useFile() != 0)
        return LevelNotify;
    return file.add() == 0 ? 0 : LevelNotify;
}

int FileManager::insert()
{
    if (tryInsert() == 0)
        return 0;
    if (errorCode() == err::DuplicateKey) {
        const KeyDef *k = file.duplicateKey();
        errors.setFile(clip(file.name));
        return errors.throwMessage(msg::DuplicateKey, k && k->description ? k->description : "");
    }
    return errors.throwFile(msg::AddFailed, clip(file.name));
}

int FileManager::tryUpdate()
{
    if (useFile() != 0)
        return LevelNotify;
    return file.put() == 0 ? 0 : LevelNotify;
}

int FileManager::update()
{
    if (tryUpdate() == 0)
        return 0;
    return errors.throwFile(msg::UpdateFailed, clip(file.name));
}

int FileManager::deleteRecord()
{
    if (useFile() != 0)
        return LevelNotify;
    if (file.del() == 0)
        return 0;
    return errors.throwFile(msg::DeleteFailed, clip(file.name));
}

void FileManager::primeRecord()
{
    clearRecord(file.def(), file.record());
    if (file.memo())
        file.memo()->clear();
    primeAutoInc();
}

void FileManager::primeAutoInc()
{
    const KeyDef *k = file.def().autoNumberKey();
    if (!k || useFile() != 0)
        return;
    const FieldDef &f = file.def().fields[static_cast<std::size_t>(k->parts[0].field)];
    setFieldNumber(f, file.record(), file.nextAutoNumber(*k));
}

// ---------------------------------------------------------------------------------------------

void RelationManager::addChild(RelationManager &child, int parentField, int childField)
{
    children_.push_back({&child, parentField, childField});
    child.addParent(*this);
}

void RelationManager::addParent(RelationManager &parent)
{
    for (RelationManager *p : parents_)
        if (p == &parent)
            return;
    parents_.push_back(&parent);
}

int RelationManager::open()
{
    if (opening_)
        return 0;
    opening_ = true;
    int level = me.open();
    if (level == 0) {
        for (Child &c : children_)
            c.rm->open();
        for (RelationManager *p : parents_)
            p->open();
    }
    opening_ = false;
    return level;
}

int RelationManager::close()
{
    if (opening_)
        return 0;
    opening_ = true;
    for (Child &c : children_)
        c.rm->close();
    for (RelationManager *p : parents_)
        p->close();
    me.close();
    opening_ = false;
    return 0;
}

int RelationManager::update(bool report, const std::function<bool()> &stillAsRead)
{
    RecordFile &f = me.file;
    auto fail = [&]() {
        if (!report)
            return static_cast<int>(LevelNotify);
        return me.errors.throwFile(msg::UpdateFailed, clip(f.name));
    };
    if (me.useFile() != 0)
        return fail();
    if (children_.empty() && !stillAsRead)
        return f.put() == 0 ? 0 : fail();
    for (Child &c : children_)
        if (c.rm->me.useFile() != 0)
            return fail();
    if (f.position() == 0) {
        setError(err::NoRecord);
        return fail();
    }
    std::vector<RecordFile *> files{&f};
    for (Child &c : children_)
        files.push_back(&c.rm->me.file);
    Transaction tx(files);
    if (tx.begin() != 0)
        return fail();
    if (stillAsRead && !stillAsRead()) {
        tx.rollback();
        return LevelCancel;
    }
    // The stored record tells whether the link value changes; read inside the transaction, so
    // that the children are renamed from the value that is really replaced.
    std::vector<unsigned char> old(f.def().recordSize);
    std::string oldMemo;
    if (!children_.empty() && f.readPosition(f.position(), old.data(), &oldMemo) != 0) {
        tx.rollback();
        return fail();
    }
    if (f.put() != 0) {
        tx.rollback();
        return fail();
    }
    for (Child &c : children_) {
        const FieldDef &pf = f.def().fields[static_cast<std::size_t>(c.parentField)];
        std::string before = fieldText(pf, old.data());
        std::string after = fieldText(pf, f.record());
        if (before == after)
            continue;
        if (c.rm->me.file.replaceValue(c.childField, before, after) != 0) {
            tx.rollback();
            return fail();
        }
    }
    if (tx.commit() != 0)
        return fail();
    return 0;
}

int RelationManager::deleteRecord(bool ask, const std::function<bool()> &stillAsRead)
{
    RecordFile &f = me.file;
    if (ask && me.errors.throwMessage(msg::ConfirmDelete) != LevelBenign)
        return LevelCancel;
    for (;;) {
        if (me.useFile() != 0)
            return LevelNotify;
        std::vector<RecordFile *> files{&f};
        for (Child &c : children_) {
            if (c.rm->me.useFile() != 0)
                return LevelNotify;
            files.push_back(&c.rm->me.file);
        }
        Transaction tx(files);
        int code = tx.begin();
        if (code == 0 && stillAsRead && !stillAsRead()) {
            tx.rollback();
            return LevelCancel;
        }
        if (code == 0) {
            for (Child &c : children_) {
                const FieldDef &pf = f.def().fields[static_cast<std::size_t>(c.parentField)];
                std::int64_t n = c.rm->me.file.countEqual(c.childField, fieldText(pf, f.record()));
                if (errorCode() != 0) {
                    code = errorCode();
                    break;
                }
                if (n > 0) {
                    tx.rollback();
                    return me.errors.throwFile(msg::RestrictDelete, clip(c.rm->me.file.name));
                }
            }
        }
        if (code == 0)
            code = f.del();
        if (code == 0)
            code = tx.commit();
        if (code == 0)
            return 0;
        tx.rollback();
        me.errors.throwFile(msg::DeleteFailed, clip(f.name));
        if (me.errors.throwMessage(msg::RetryDelete) != LevelBenign)
            return LevelNotify;
    }
}

}  // namespace rt
