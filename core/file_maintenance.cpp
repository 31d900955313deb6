// File maintenance and repair: the offer to repair a file noted as damaged (at start-up and at
// every opening of the File Manager), the File Manager window, and the hand-over to recordfix.
#include "core/file_maintenance.h"

#include <sqlite3.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "model/dictionary.h"
#include "model/globals.h"
#include "core/main_frame.h"
#include "core/procedures.h"
#include "runtime/file_recovery.h"
#include "runtime/file_structure.h"
#include "runtime/gui.h"
#include "runtime/help.h"
#include "runtime/message.h"
#include "runtime/paths.h"
#include "runtime/text.h"
#include "runtime/window.h"

namespace fs = std::filesystem;

namespace {

std::string &repairProgramSetting()
{
    static std::string p;
    return p;
}

std::string absolutePath(const std::string &path)
{
    std::error_code ec;
    fs::path p = fs::absolute(rt::clip(path), ec);
    return ec ? rt::clip(path) : p.lexically_normal().string();
}

std::string badFileEntry() { return rt::clip(rt::profileFile().read(rt::ds_AppName(), "BadFile", "")); }
void clearBadFile() { rt::profileFile().write(rt::ds_AppName(), "BadFile", ""); }

// The file an entry names: a full path, or (as the structure change notes it) a record type's
// label, which stands for the file under the name it has now.
struct Named {
    std::string path;
    const rt::TableDef *def = nullptr;
};

Named resolve(const std::string &entry)
{
    Named n;
    if (entry.find('/') != std::string::npos) {
        n.path = absolutePath(entry);
        std::string base = rt::baseName(entry);
        for (rt::RecordFile *f : dict::allFiles())
            if (rt::equalNoCase(f->def().diskName, base))
                n.def = &f->def();
        return n;
    }
    if (rt::RecordFile *f = dict::fileByLabel(entry)) {
        n.def = &f->def();
        if (!rt::clip(f->name).empty())
            n.path = absolutePath(f->name);
    }
    return n;
}

const char *const kRepairQuestion = "Warning : The program may have crashed attempting to open the file ";

bool askRepair(const std::string &entry)
{
    int answer = rt::message(kRepairQuestion + entry + ". Do you wish to have the program attempt to fix the file ? ",
                             "Warning", rt::Icon::Question, rt::BUTTON_YES | rt::BUTTON_NO, rt::BUTTON_YES);
    return answer == rt::BUTTON_YES;
}

// After Yes: false (entry cleared) when the entry names no file there is to repair.
bool stillThere(const std::string &entry, const Named &n)
{
    if (n.def && !n.path.empty() && rt::fileExists(n.path))
        return true;
    clearBadFile();
    std::string beside = rt::repairLeftBeside(n.path);
    rt::message("The file " + entry + " does not exist: there is nothing to repair." +
                    (beside.empty() ? std::string() : "|" + beside),
                "Information", rt::Icon::Information);
    return false;
}

void tellRepairCloses()
{
    rt::message("This program needs to close while the Fix Utility attempts to fix the file. When the fix program "
                "finishes running you can run this application again.",
                "Information", rt::Icon::Information);
}

void exclusiveMessage()
{
    rt::message("This option requires exclusive file access.|Please ensure no other users are in the system. |An "
                "error occured trying to open the file : Error " +
                    rt::errorText(),
                "File Access Error");
}

}  // namespace

// The outcome of the repairs logged since it was last shown; false when there is none.
bool showRepairResults()
{
    std::string log = repairLogPath();
    if (!rt::fileExists(log))
        return false;
    std::ifstream in(log);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    in.close();
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    std::ofstream(log + ".shown", std::ios::app) << text << "\n";
    std::error_code ec;
    fs::remove(log, ec);
    if (text.empty())
        return false;
    // A long list of lost asset numbers is left to the log.
    const std::size_t kLongest = 400;
    std::string lines;
    for (std::size_t at = 0; at <= text.size();) {
        std::size_t end = std::min(text.find('\n', at), text.size());
        std::string line = text.substr(at, end - at);
        // Only a list of rows is shortened: a line naming a file keeps the whole name.
        std::size_t listStart = std::string::npos;
        for (const char *list : {" of the lost rows: ", " of those rows: "})
            if (std::size_t p = line.find(list); p != std::string::npos && listStart == std::string::npos)
                listStart = p + std::strlen(list);
        std::size_t cut = line.size() > kLongest && listStart != std::string::npos ? line.rfind(", ", kLongest)
                                                                                  : std::string::npos;
        if (cut != std::string::npos && cut > listStart) {
            std::size_t more = 0;
            for (std::size_t c = line.find(", ", cut); c != std::string::npos; c = line.find(", ", c + 2))
                ++more;
            line = line.substr(0, cut) + " and " + std::to_string(more) + " more (the whole list is in " + log +
                   ".shown)";
        }
        lines += (lines.empty() ? "" : "|") + line;
        at = end + 1;
    }
    bool losses = text.find("The file was repaired in part") != std::string::npos ||
                  text.find("The file was not repaired") != std::string::npos;
    rt::message(lines, "File Repair Results", losses ? rt::Icon::Exclamation : rt::Icon::Information);
    return true;
}

namespace {

// ---------------------------------------------------------------------------------------------
// The File Manager window

const char *const kLabels[] = {"BoxNumber",      "Category",        "ClientSystemFile",    "Conditions",
                               "CustomReportSetups", "QORClients",  "QORSubject",          "Heirs",
                               "ImportASCIITab", "ImportFields",    "Location",            "MainSystemFile",
                               "Manufacturers",  "MasterInventory", "MasterInventoryTemp", "SecondaryResidence",
                               "Type",           "UserFields",      "Vendors"};

enum Column { TickColumn, TableColumn, RecordsColumn, FileColumn };

class ProgressWindow : public QDialog {
public:
    explicit ProgressWindow(QWidget *parent, bool *cancel) : QDialog(parent)
    {
        setObjectName("Progress");
        setWindowTitle("Progress...");
        setWindowFlag(Qt::WindowContextHelpButtonHint, false);
        auto *g = new QGridLayout(this);
        auto add = [&](int row, const char *text, QWidget *w) {
            g->addWidget(new QLabel(text), row, 0);
            g->addWidget(w, row, 1);
        };
        file_ = new QLabel;
        file_->setObjectName("CurrentFile");
        file_->setMinimumWidth(file_->fontMetrics().horizontalAdvance(QString(20, 'M')));
        action_ = new QLabel;
        action_->setObjectName("Action");
        bar_ = new QProgressBar;
        bar_->setRange(0, 100);
        left_ = new QLabel;
        left_->setObjectName("FilesLeft");
        add(0, "Current File :", file_);
        add(1, "Action :", action_);
        add(2, "Progress :", bar_);
        add(3, "Files Left     :", left_);
        auto *cancelButton = new QPushButton("&Cancel");
        g->addWidget(cancelButton, 4, 1, Qt::AlignRight);
        connect(cancelButton, &QPushButton::clicked, this, [cancel] { *cancel = true; });
    }
    void setFile(const QString &label, int left)
    {
        file_->setText(label);
        left_->setText(QString::number(left));
        show(QString(), 0);
    }
    void show(const QString &action, int percent)
    {
        action_->setText(action);
        bar_->setValue(std::clamp(percent, 0, 100));
        QApplication::processEvents();
    }

private:
    QLabel *file_, *action_, *left_;
    QProgressBar *bar_;
};

class FileManagerWin : public rt::WindowProcedure {
public:
    FileManagerWin() : rt::WindowProcedure("FileManagerWindow") {}

    int init() override
    {
        setWindowTitle("File Manager");
        setHelpContext("~FILE_MANAGER");
        auto *v = new QVBoxLayout(this);
        auto *heading = new QLabel(QString("Files Used By ") + kFrameTitle);
        QFont f = heading->font();
        f.setBold(true);
        heading->setFont(f);
        v->addWidget(heading);
        auto *row = new QHBoxLayout;
        list_ = new QTreeWidget;
        list_->setObjectName("FileList");
        list_->setRootIsDecorated(false);
        list_->setColumnCount(4);
        list_->setHeaderLabels({"", "Table", "Records", "File"});
        list_->setSelectionMode(QAbstractItemView::SingleSelection);
        std::vector<std::string> labels(std::begin(kLabels), std::end(kLabels));
        std::sort(labels.begin(), labels.end());
        for (const std::string &l : labels) {
            auto *item = new QTreeWidgetItem(list_);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(TickColumn, Qt::Unchecked);
            item->setText(TableColumn, QString::fromStdString(l));
            item->setText(RecordsColumn, "?");
            item->setTextAlignment(RecordsColumn, Qt::AlignRight | Qt::AlignVCenter);
        }
        list_->setCurrentItem(list_->topLevelItem(0));
        connect(list_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem *item, int column) {
            if (column == TickColumn)
                showTick(item);
        });
        list_->header()->setStretchLastSection(true);
        list_->setColumnWidth(TickColumn, 44);
        list_->setColumnWidth(TableColumn, 170);
        list_->setColumnWidth(RecordsColumn, 80);
        list_->setMinimumSize(760, 440);
        row->addWidget(list_, 1);
        auto *buttons = new QVBoxLayout;
        auto button = [&](const char *text, const char *tip, auto slot) {
            auto *b = new QPushButton(text);
            b->setObjectName(QString(text).remove('&'));
            if (*tip)
                b->setToolTip(tip);
            buttons->addWidget(b);
            connect(b, &QPushButton::clicked, this, slot);
        };
        button("&Tag All", "Tag all the files", [this] { tagAll(true); });
        button("&Untag All", "Untag all of the files", [this] { tagAll(false); });
        button("&Build", "Build the key files for the tagged data files", [this] { run("Build"); });
        button("&Pack", "Pack the tagged data files", [this] { run("Pack"); });
        button("&Release", "Release any held records in the tagged files", [this] { run("Release"); });
        button("&Fix", "", [this] { run("Fix"); });
        button("&Info", "", [this] { run("Info"); });
        buttons->addStretch();
        button("&Help", "", [this] { rt::showHelp(helpContext()); });
        button("&Exit", "Close this window", [this] { finish(rt::RequestCompleted); });
        row->addLayout(buttons);
        v->addLayout(row);
        showRepairResults();
        return 0;
    }

    QTreeWidget *list() const { return list_; }

private:
    void showTick(QTreeWidgetItem *item)
    {
        if (ticking_)
            return;  // the icon's own change
        ticking_ = true;
        bool tagged = item->checkState(TickColumn) == Qt::Checked;
        item->setIcon(TickColumn, tagged ? style()->standardIcon(QStyle::SP_DialogApplyButton) : QIcon());
        ticking_ = false;
    }

    void tagAll(bool on)
    {
        for (int i = 0; i < list_->topLevelItemCount(); ++i)
            list_->topLevelItem(i)->setCheckState(TickColumn, on ? Qt::Checked : Qt::Unchecked);
    }

    void run(const std::string &action)
    {
        std::vector<QTreeWidgetItem *> rows;
        for (int i = 0; i < list_->topLevelItemCount(); ++i)
            if (list_->topLevelItem(i)->checkState(TickColumn) == Qt::Checked)
                rows.push_back(list_->topLevelItem(i));
        if (rows.empty() && list_->currentItem())
            rows.push_back(list_->currentItem());
        cancel_ = false;
        QPointer<ProgressWindow> progress = new ProgressWindow(this, &cancel_);
        progress->setAttribute(Qt::WA_DeleteOnClose);
        progress->QDialog::show();
        progress_ = progress;
        int left = static_cast<int>(rows.size());
        for (QTreeWidgetItem *row : rows) {
            if (cancel_ || !progress)
                break;  // Cancel ends the whole run
            progress->setFile(row->text(TableColumn), left--);
            perFile(action, row);
        }
        if (progress)
            progress->close();
    }

    void step(const QString &action, int percent)
    {
        if (progress_)
            progress_->show(action, percent);
    }

    static void noteIfDamaged(const std::string &path)
    {
        if (lastErrorIsDamage())
            rt::noteDamagedFile(path);
    }

    void showCount(QTreeWidgetItem *row, rt::RecordFile &file)
    {
        std::int64_t n = file.records();
        row->setText(RecordsColumn, rt::errorCode() == 0 ? QString::number(n) : "?");
    }

    void perFile(const std::string &action, QTreeWidgetItem *row)
    {
        rt::RecordFile *file = dict::fileByLabel(row->text(TableColumn).toStdString());
        if (!file || rt::clip(file->name).empty())
            return;  // the import text file, or a client's file with no client selected
        std::string path = absolutePath(file->name);
        if (action == "Info")
            info(row, *file, path);
        else if (action == "Build")
            build(row, *file, path);
        else if (action == "Pack")
            pack(row, *file, path);
        else if (action == "Release")
            release(row, *file, path);
        else if (action == "Fix")
            fix(*file, path);
    }

    void info(QTreeWidgetItem *row, rt::RecordFile &file, const std::string &path)
    {
        int rc = rt::ds_FileOpen(file, rt::mode::ReadOnlyDenyNone);
        if (rc == rt::err::AlreadyOpen) {
            showCount(row, file);
            row->setText(FileColumn, QString::fromStdString(path));
            return;
        }
        if (rc == 0) {
            std::int64_t n = file.records();
            rc = rt::errorCode();
            if (rc == 0)
                rc = file.check();  // damage shows only when every page is read
            std::string text = rt::errorText();
            noteIfDamaged(path);
            file.close();
            if (rc == 0) {
                row->setText(RecordsColumn, QString::number(n));
                row->setText(FileColumn, QString::fromStdString(path));
                return;
            }
            rt::setDriverError(text, 0);
        } else {
            noteIfDamaged(path);
        }
        row->setText(RecordsColumn, "?");
        row->setText(FileColumn, QString::fromStdString("Error : " + rt::errorText()));
    }

    // An exclusive open for Build, Pack and Release: 0 open, 46 keys to rebuild (not open), -1
    // nothing to do (the file does not exist, or the message was shown).
    int openExclusive(rt::RecordFile &file, bool keysMayBeBad)
    {
        int rc = rt::ds_FileOpen(file, rt::mode::ReadWriteExclusive);
        if (rc == 0 || (keysMayBeBad && rc == rt::err::KeyInvalid))
            return rc;
        if (rc != rt::err::FileNotFound)
            exclusiveMessage();
        return -1;
    }

    void build(QTreeWidgetItem *row, rt::RecordFile &file, const std::string &path)
    {
        if (openExclusive(file, true) < 0)
            return;
        int keys = static_cast<int>(file.def().keys.size());
        step("Building File", 0);
        int rc = file.build([&](const rt::KeyDef &key, int index) {
            step(QString("Key :") + key.name, keys ? index * 100 / keys : 100);
            return !cancel_;
        });
        if (rc != 0 && !cancel_) {
            std::string text = rt::errorText();
            noteIfDamaged(path);
            rt::message("The keys of " + path + " could not be built.|Error: " + text, "Build Error",
                        rt::Icon::Exclamation);
        }
        if (!file.isOpen())
            rt::ds_FileOpen(file, rt::mode::ReadWriteExclusive);
        if (file.isOpen()) {
            step("Building File", 100);
            showCount(row, file);
            file.close();
        }
    }

    void pack(QTreeWidgetItem *row, rt::RecordFile &file, const std::string &path)
    {
        int rc = openExclusive(file, true);
        if (rc < 0)
            return;
        if (rc == rt::err::KeyInvalid && (file.build() != 0 || rt::ds_FileOpen(file, rt::mode::ReadWriteExclusive) != 0)) {
            std::string text = rt::errorText();
            noteIfDamaged(path);
            rt::message("The file " + path + " could not be packed.|Error: " + text, "Pack Error",
                        rt::Icon::Exclamation);
            return;
        }
        step("Packing File", 0);
        if (file.pack() != 0) {
            std::string text = rt::errorText();
            noteIfDamaged(path);
            rt::message("The file " + path + " could not be packed.|Error: " + text, "Pack Error",
                        rt::Icon::Exclamation);
        }
        step("Packing File", 100);
        showCount(row, file);
        file.close();
    }

    void release(QTreeWidgetItem *row, rt::RecordFile &file, const std::string &path)
    {
        file.send("RECOVER=1");
        if (openExclusive(file, false) < 0)
            return;
        std::int64_t total = file.records();
        row->setText(RecordsColumn, QString::number(total));
        file.send("IGNORESTATUS=ON");
        file.setFileOrder();
        std::int64_t count = 0;
        while (file.next() == 0 && !cancel_) {
            ++count;
            if (count % 64 == 0 || count == total)
                step("Releasing Records", total ? static_cast<int>(count * 100 / total) : 100);
            if (file.send("HELD") == "ON") {
                file.send("RECOVER=1");
                file.getPosition(file.position());
            }
        }
        noteIfDamaged(path);
        file.send("RECOVER=0");
        file.send("IGNORESTATUS=OFF");
        file.close();
    }

    void fix(rt::RecordFile &file, const std::string &path)
    {
        // The repair replaces the file: nobody may have it open meanwhile.
        int rc = rt::ds_FileOpen(file, rt::mode::ReadWriteExclusive);
        if (rc == rt::err::FileNotFound) {
            std::string beside = rt::repairLeftBeside(path);
            rt::message("The file " + path + " does not exist: there is nothing to repair." +
                            (beside.empty() ? std::string() : "|" + beside),
                        "Information", rt::Icon::Information);
            return;
        }
        if (rc != 0 && rc != rt::err::KeyInvalid && rc != rt::err::InvalidFile && rc != rt::err::DriverError) {
            exclusiveMessage();
            return;
        }
        if (file.isOpen())
            file.close();
        if (startRepair(file.def(), path)) {
            Named bad = resolve(badFileEntry());
            if (bad.path == path)
                clearBadFile();
        }
    }

    QTreeWidget *list_ = nullptr;
    QPointer<ProgressWindow> progress_;
    bool cancel_ = false;
    bool ticking_ = false;
};

}  // namespace

void setRepairProgram(const std::string &path) { repairProgramSetting() = path; }

std::string repairProgram()
{
    if (!repairProgramSetting().empty())
        return repairProgramSetting();
    return rt::joinPath(QCoreApplication::applicationDirPath().toStdString(), "recordfix");
}

std::string repairLogPath() { return rt::joinPath(rt::homeFolder(), "recordfix.log"); }

bool lastErrorIsDamage()
{
    if (rt::errorCode() != rt::err::DriverError)
        return false;
    int code = std::atoi(rt::fileErrorCode().c_str()) & 0xFF;
    return code == SQLITE_CORRUPT || code == SQLITE_NOTADB;
}

bool startRepair(const rt::TableDef &def, const std::string &path)
{
    std::vector<unsigned char> scratch(def.recordSize);
    std::string memo;
    rt::RecordFile file(def, scratch.data(), &memo);
    file.name = path;
    // The repair puts a new file in place: a program that had the file open meanwhile would
    // go on writing into the damaged original.
    int rc = rt::ds_FileOpen(file, rt::mode::ReadWriteExclusive);
    if (rc != 0 && rc != rt::err::KeyInvalid && rc != rt::err::InvalidFile && rc != rt::err::DriverError) {
        exclusiveMessage();
        return false;
    }
    if (file.isOpen())
        file.close();
    std::string result = rt::ds_MakeTPE(file);
    if (result == "1") {
        rt::message("Unable to create TPE Example file.", "Error");
        return false;
    }
    if (result == "2") {
        rt::message("Not a TOPSPEED file.", "Error");
        return false;
    }
    if (result == "3") {
        rt::message("Error creating TPE file : " + rt::clip(rt::errorText()), "Error");
        return false;
    }
    QString program = QString::fromStdString(repairProgram());
    if (!QFileInfo(program).isExecutable()) {
        rt::message("The repair program " + program.toStdString() + " cannot be found.|The file " + path +
                        " is not repaired.",
                    "Error", rt::Icon::Exclamation);
        return false;
    }
    QStringList args{QString::fromStdString(path), "/E:" + QString::fromStdString(rt::exampleFileName(path)), "/K",
                     "/L:" + QString::fromStdString(repairLogPath())};
    // The repair replaces the file: the program waits for it, its windows painted meanwhile,
    // and shows the outcome as soon as it ends.
    QProcess repair;
    repair.start(program, args);
    if (!repair.waitForStarted()) {
        rt::message("The repair program " + program.toStdString() + " could not be started.|The file " + path +
                        " is not repaired.",
                    "Error", rt::Icon::Exclamation);
        return false;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    while (!repair.waitForFinished(50))
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QApplication::restoreOverrideCursor();
    if (!showRepairResults())
        rt::message("The repair program ended without telling its outcome (" +
                        (repair.exitStatus() == QProcess::CrashExit ? std::string("it crashed")
                                                                    : "exit code " + std::to_string(repair.exitCode())) +
                        ").|The file " + path + " may not be repaired.",
                    "File Repair Results", rt::Icon::Exclamation);
    return true;
}

bool offerBadFileRepair()
{
    rt::takeRequest();
    std::string bad = badFileEntry();
    if (bad.empty())
        return false;
    bool yes = askRepair(bad);
    rt::setResponse(rt::RequestCancelled);
    if (!yes)
        return false;
    Named n = resolve(bad);
    if (!stillThere(bad, n))
        return false;
    tellRepairCloses();
    if (!startRepair(*n.def, n.path))
        return false;  // the entry stays: the repair is offered again
    clearBadFile();
    return true;
}

void FileManagerWindow()
{
    rt::takeRequest();
    std::string bad = badFileEntry();
    if (!bad.empty() && askRepair(bad)) {
        Named n = resolve(bad);
        if (stillThere(bad, n)) {
            // Every other window closes first, so that no open form loses its changes and no
            // window writes into the file while it is repaired.
            if (!rt::closeOtherWindows(nullptr)) {
                rt::setResponse(rt::RequestCancelled);
                return;
            }
            tellRepairCloses();
            if (startRepair(*n.def, n.path)) {
                clearBadFile();
                if (MainFrame *frame = mainFrame())
                    frame->close();
            }
            rt::setResponse(rt::RequestCancelled);
            return;
        }
    }
    rt::setResponse(rt::RequestCancelled);
    (new FileManagerWin)->start();
}

void registerFileManagerProcedures() { rt::registerProcedure("FileManagerWindow", FileManagerWindow); }
