#include "core/backup.h"

#include <sqlite3.h>

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>
#include <filesystem>

#include "model/dictionary.h"
#include "model/globals.h"
#include "model/client_files.h"
#include "runtime/errors.h"
#include "runtime/gui.h"
#include "runtime/help.h"
#include "runtime/message.h"
#include "runtime/paths.h"
#include "runtime/text.h"
#include "runtime/window.h"

namespace fs = std::filesystem;

namespace {

constexpr int kSameFile = -1;  // the target is the source itself

std::string canonicalPath(const std::string &path)
{
    std::error_code ec;
    fs::path p = fs::weakly_canonical(fs::absolute(rt::clip(path), ec), ec);
    std::string s = ec ? rt::clip(path) : p.string();
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    return s;
}

int codeOf(int rc)
{
    switch (rc & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return rt::err::Locked;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
    case SQLITE_CANTOPEN:
        return rt::err::AccessDenied;
    case SQLITE_NOTADB:
        return rt::err::InvalidFile;
    default:
        return rt::err::DriverError;
    }
}

int failure(int rc, sqlite3 *db, std::string &errorText)
{
    int code = codeOf(rc);
    errorText = code == rt::err::DriverError ? std::string(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc))
                                             : rt::errorTextFor(code);
    return code;
}

void removeTemp(const std::string &temp)
{
    std::error_code ec;
    fs::remove(temp, ec);
    fs::remove(temp + "-journal", ec);
}

struct Shared {
    const char *label;
    const rt::TableDef *def;
};

const Shared kShared[] = {
    {"Client Database", &dict::QORClientsDef},
    {"Subject File", &dict::QORSubjectDef},
    {"Main System", &dict::MainSystemFileDef},
    {"Custom Reports Setup File", &dict::CustomReportSetupsDef},
    {"Category", &dict::CategoryDef},
    {"Conditions", &dict::ConditionsDef},
    {"Manufacturers", &dict::ManufacturersDef},
    {"Types", &dict::TypeDef},
    {"Vendors", &dict::VendorsDef},
};

const Shared kPerClient[] = {
    {"Box Number", &dict::BoxNumberDef},
    {"User Fields", &dict::UserFieldsDef},
    {"Heirs File", &dict::HeirsDef},
    {"Location File", &dict::LocationDef},
    {"Master Home File", &dict::MasterInventoryDef},
};

const char *const kCopyErrorTitle = "File Copy Error";

// The client register's ID codes in ID-code order; a register that cannot be opened or read
// is reported (one that does not exist yet holds no clients).
std::vector<std::string> clientIds(const std::string &registerPath, bool &ok)
{
    ok = true;
    std::vector<std::string> ids;
    QORClientsBuffer rec;
    rt::RecordFile file(dict::QORClientsDef, &rec, &rec.NOTES);
    file.name = registerPath;
    int rc = file.open(rt::mode::ReadOnlyDenyNone);
    if (rc == rt::err::FileNotFound)
        return ids;
    if (rc != 0) {
        ok = false;
        rt::message("Unable to open the client register " + registerPath + "|Error: " + rt::errorText() +
                        "||The clients' files are not backed up.",
                    "Backup Error", rt::Icon::Exclamation);
        return ids;
    }
    rt::clearRecord(dict::QORClientsDef, &rec);
    file.set(*dict::QORClientsDef.key("IDCODEKEY"));
    while ((rc = file.next()) == 0)
        ids.push_back(rt::clip(rec.IDCODE.str()));
    if (rt::errorCode() != rt::err::NoRecord) {
        ok = false;
        rt::message("Unable to read the client register " + registerPath + "|Error: " + rt::errorText() +
                        "||Not every client's files are backed up.",
                    "Backup Error", rt::Icon::Exclamation);
    }
    file.close();
    return ids;
}

class Run {
public:
    Run(std::string folder, const std::function<void(const std::string &)> &progress)
        : folder_(std::move(folder)), progress_(progress)
    {
    }

    BackupOutcome go()
    {
        std::string primary = rt::clip(MSY.PATHPRIMARYRESIDENCE.str());
        if (rt::makeFolder(folder_) != 0) {
            rt::message("Unable to create backup directory", "Directory Creation Failed", rt::Icon::Exclamation);
            return out_;
        }
        out_.folderCreated = true;
        bool registerOk = true;
        std::vector<std::string> ids = clientIds(rt::joinPath(primary, dict::QORClientsDef.diskName), registerOk);

        // Copying into a data folder would mix the backup with the files it backs up.
        std::string target = canonicalPath(folder_);
        bool refused = target == canonicalPath(primary);
        for (const std::string &id : ids)
            if (validIdCode(id) && target == canonicalPath(clientFolder(primary, id)))
                refused = true;
        if (refused && !ask("The backup directory " + rt::clip(folder_) + " is a data directory")) {
            summary();
            return out_;
        }

        for (const Shared &s : kShared) {
            if (out_.stopped)
                break;
            std::string source = s.def == &dict::MainSystemFileDef ? rt::clip(MainSystemFile.name)
                                                                   : rt::joinPath(primary, s.def->diskName);
            copy(s.label, source, folder_);
        }
        for (const std::string &id : ids) {
            if (out_.stopped)
                break;
            if (!validIdCode(id)) {
                out_.notCopied.push_back("client \"" + id + "\": the ID code does not name a folder");
                continue;
            }
            std::string clientBackup = rt::joinPath(folder_, id);
            if (rt::makeFolder(clientBackup) != 0) {
                rt::message("Unable to create backup directory for: " + id, "Directory Creation Failed",
                            rt::Icon::Exclamation);
                out_.notCopied.push_back("client " + id + ": its backup directory could not be created");
                continue;
            }
            std::string data = clientFolder(primary, id);
            for (const Shared &s : kPerClient) {
                if (out_.stopped)
                    break;
                copy(s.label, rt::joinPath(data, s.def->diskName), clientBackup);
            }
        }
        summary();
        return out_;
    }

private:
    // The copy check's question; false when the user stops the backup.
    bool ask(const std::string &errorText)
    {
        rt::beep();
        int answer = rt::message("Error coping file|" + errorText + "||Do you wish to continue with the back up?",
                                 kCopyErrorTitle, rt::Icon::Question, rt::BUTTON_YES | rt::BUTTON_NO, rt::BUTTON_NO);
        if (answer != rt::BUTTON_YES)
            out_.stopped = true;
        return !out_.stopped;
    }

    void copy(const std::string &label, const std::string &source, const std::string &folder)
    {
        if (progress_)
            progress_(std::string(rt::cutUtf8(label, 20)));
        std::string text;
        int code = copyRecordFile(source, folder, text);
        if (code == 0) {
            out_.copied.push_back(rt::joinPath(folder, rt::baseName(source)));
            return;
        }
        if (code == rt::err::FileNotFound)
            return;  // a file never created (a client without boxes) has nothing to back up
        out_.notCopied.push_back(label + " (" + source + "): " + text);
        if (code != kSameFile)
            ask(source + ": " + text);
    }

    void summary()
    {
        std::string text = "The back up copied " + std::to_string(out_.copied.size()) +
                           (out_.copied.size() == 1 ? " file" : " files") + " into " + rt::clip(folder_) + ".";
        if (!out_.notCopied.empty()) {
            text += "||Not copied:";
            for (const std::string &n : out_.notCopied)
                text += "|" + n;
        }
        if (out_.stopped)
            text += "||The back up was stopped before it finished.";
        bool clean = out_.notCopied.empty() && !out_.stopped;
        rt::message(text, clean ? "Back Up Complete" : "Back Up Incomplete",
                    clean ? rt::Icon::Information : rt::Icon::Exclamation);
    }

    std::string folder_;
    const std::function<void(const std::string &)> &progress_;
    BackupOutcome out_;
};

// The small window that names the file being copied.
class ProgressWindow : public QDialog {
public:
    explicit ProgressWindow(QWidget *parent) : QDialog(parent)
    {
        setObjectName("BackupProgress");
        setWindowTitle("Backing Up Orvane Data Files");
        setWindowFlag(Qt::WindowContextHelpButtonHint, false);
        rt::fitTitle(this);
        auto *v = new QVBoxLayout(this);
        auto *heading = new QLabel("Backing Up Orvane Data Files");
        QFont f = heading->font();
        f.setBold(true);
        heading->setFont(f);
        v->addWidget(heading, 0, Qt::AlignHCenter);
        v->addWidget(new QLabel("Please wait, working on:"));
        label_ = new QLabel;
        label_->setObjectName("CopyLabel");
        label_->setMinimumWidth(label_->fontMetrics().horizontalAdvance(QString(20, 'M')));
        v->addWidget(label_);
    }
    void show(const std::string &label)
    {
        label_->setText(QString::fromStdString(label));
        QApplication::processEvents();
    }

private:
    QLabel *label_;
};

class BackupWindow : public rt::WindowProcedure {
public:
    explicit BackupWindow(QWidget *parent) : rt::WindowProcedure("BackupFiles", parent) {}

    int init() override
    {
        rt::takeRequest();
        setWindowTitle("Backup Orvane Data Files");
        setHelpContext("~BACKUP");
        folder_ = rt::clip(MSY.PATHTOBACKUP.str());
        auto *v = new QVBoxLayout(this);
        for (const char *line : {"When you close Kelvara Orvane it's a good idea to back up the files you have been using.",
                                 "A backup ensures that you have a good copy of your data files in case the files are",
                                 "ever lost or damaged.",
                                 "Press the Back Up button to save your data files in the directory listed below."})
            v->addWidget(new QLabel(line));
        auto *folder = new QLabel(QString::fromStdString(folder_));
        folder->setObjectName("BackupFolder");
        QFont f = folder->font();
        f.setBold(true);
        folder->setFont(f);
        v->addWidget(folder);
        v->addWidget(new QLabel("Go to the Main System File to change your back up options."));
        auto *row = new QHBoxLayout;
        row->addStretch();
        auto *backUpButton = new QPushButton("Back Up");
        backUpButton->setObjectName("Back Up");
        backUpButton->setDefault(true);
        auto *dont = new QPushButton("Don't Back Up");
        dont->setObjectName("Don't Back Up");
        auto *help = new QPushButton("Help");
        row->addWidget(backUpButton);
        row->addWidget(dont);
        row->addWidget(help);
        v->addLayout(row);
        connect(backUpButton, &QPushButton::clicked, this, [this] { backUp(); });
        connect(dont, &QPushButton::clicked, this, [this] { finish(rt::RequestCancelled); });
        connect(help, &QPushButton::clicked, this, [] { rt::showHelp("~BACKUP"); });
        return 0;
    }

private:
    void backUp()
    {
        QPointer<ProgressWindow> progress = new ProgressWindow(this);
        progress->setAttribute(Qt::WA_DeleteOnClose);
        progress->QDialog::show();
        std::function<void(const std::string &)> show = [progress](const std::string &label) {
            if (progress)
                progress->show(label);
        };
        BackupOutcome out = runBackup(folder_, show);
        if (progress)
            progress->close();
        if (out.folderCreated)
            finish(out.stopped || !out.notCopied.empty() ? rt::RequestCancelled : rt::RequestCompleted);
    }

    std::string folder_;
};

}  // namespace

std::string backupTempName(const std::string &target) { return target + ".backup-part"; }

int copyRecordFile(const std::string &source, const std::string &folder, std::string &errorText)
{
    errorText.clear();
    std::string from = rt::clip(source);
    if (!rt::fileExists(from)) {
        errorText = rt::errorTextFor(rt::err::FileNotFound);
        return rt::err::FileNotFound;
    }
    std::string target = rt::joinPath(folder, rt::baseName(from));
    if (canonicalPath(target) == canonicalPath(from)) {
        errorText = "the file would be copied onto itself";
        return kSameFile;
    }
    // A file cut to nothing opens as an empty database: copied, it would replace the last good
    // copy with nothing.
    std::error_code sizeError;
    if (fs::file_size(from, sizeError) == 0 && !sizeError) {
        errorText = "the file is empty";
        return rt::err::InvalidFile;
    }
    std::string temp = backupTempName(target);
    removeTemp(temp);

    sqlite3 *src = nullptr;
    // Read/write when allowed, so that a journal left by a crash is rolled back before the copy.
    int rc = sqlite3_open_v2(from.c_str(), &src, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(src);
        src = nullptr;
        rc = sqlite3_open_v2(from.c_str(), &src, SQLITE_OPEN_READONLY, nullptr);
    }
    if (rc != SQLITE_OK) {
        int code = failure(rc, src, errorText);
        sqlite3_close_v2(src);
        return code;
    }
    sqlite3_extended_result_codes(src, 1);
    sqlite3_busy_timeout(src, 5000);
    rc = sqlite3_exec(src, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        int code = failure(rc, src, errorText);
        sqlite3_close_v2(src);
        return code;
    }
    {
        // A database without the records' table is no record file.
        sqlite3_stmt *st = nullptr;
        bool records = sqlite3_prepare_v2(src, "SELECT 1 FROM sqlite_master WHERE type='table' AND name='data'", -1,
                                          &st, nullptr) == SQLITE_OK &&
                       sqlite3_step(st) == SQLITE_ROW;
        sqlite3_finalize(st);
        if (!records) {
            sqlite3_close_v2(src);
            errorText = "the file is not a record file";
            return rt::err::InvalidFile;
        }
    }

    sqlite3 *dst = nullptr;
    rc = sqlite3_open_v2(temp.c_str(), &dst, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    int code = 0;
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(dst, "PRAGMA journal_mode=OFF", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        code = failure(rc, dst, errorText);
    } else {
        sqlite3_backup *b = sqlite3_backup_init(dst, "main", src, "main");
        if (!b) {
            code = failure(sqlite3_errcode(dst), dst, errorText);
        } else {
            // One step: the source's read lock is held for the whole copy, so a writer in
            // another connection cannot make it start over.
            rc = sqlite3_backup_step(b, -1);
            int frc = sqlite3_backup_finish(b);
            if (rc != SQLITE_DONE)
                code = failure(rc, rc == SQLITE_BUSY || rc == SQLITE_LOCKED ? src : dst, errorText);
            else if (frc != SQLITE_OK)
                code = failure(frc, dst, errorText);
        }
    }
    if (code == 0) {
        // The pages are copied as they are: a damaged source gives a damaged copy, which must
        // not replace the last good one.
        sqlite3_stmt *st = nullptr;
        rc = sqlite3_prepare_v2(dst, "PRAGMA quick_check", -1, &st, nullptr);
        std::string verdict;
        if (rc == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW && sqlite3_column_text(st, 0))
            verdict = reinterpret_cast<const char *>(sqlite3_column_text(st, 0));
        else
            verdict = sqlite3_errmsg(dst);
        sqlite3_finalize(st);
        if (verdict != "ok") {
            errorText = "the file is damaged (" + verdict + ")";
            code = rt::err::DriverError;
        }
    }
    sqlite3_close_v2(dst);
    sqlite3_close_v2(src);
    if (code != 0) {
        removeTemp(temp);
        return code;
    }
    std::error_code ec;
    fs::rename(temp, target, ec);
    if (ec) {
        removeTemp(temp);
        errorText = ec.message();
        return rt::err::AccessDenied;
    }
    return 0;
}

BackupOutcome runBackup(const std::string &backupFolder, const std::function<void(const std::string &)> &progress)
{
    Run run(backupFolder, progress);
    return run.go();
}

void BackupFiles()
{
    rt::setResponse(rt::runModal(new BackupWindow(rt::modalParent())));
}

void registerBackupProcedures() { rt::registerProcedure("BackupFiles", BackupFiles); }
