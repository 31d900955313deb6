// Make CD at 10,000, 100,000 and 1,000,000 items, one item in a hundred with a picture, each size
// in a folder of its own under this run's temporary folder: the real windows (MakeCD's OK
// pressed, the copying window, the closing message "Make CD Complete") against the same rows
// rewritten by one INSERT ... SELECT into a file of the same schema with the driver's settings,
// plus `cp` of the same pictures and of the client program, its extras and its help, measured
// in turns in the same run. The bench runs from the build folder, beside the client program and
// its help, as the program that writes CDs does.
//
// Memory, in the same process: the resident size before the first Make CD, its peak during it
// and what is left once its closing message is answered; then the same around the all-items
// browse of the client opened, shown and closed. What a run leaves must be within 20 MB of what
// was there before it.
#include <spawn.h>
#include <sys/wait.h>

#include <QApplication>
#include <QMdiArea>
#include <QPushButton>
#include <QTableView>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>

#include "bench/bench_support.h"
#include "core/make_cd.h"
#include "core/program.h"
#include "inventory/browses.h"
#include "model/client_files.h"
#include "model/globals.h"
#include "model/managers.h"
#include "runtime/browse_window.h"
#include "runtime/gui.h"
#include "runtime/ini_store.h"
#include "runtime/message.h"
#include "runtime/paths.h"
#include "runtime/record_sql.h"
#include "runtime/window.h"

extern char **environ;

namespace {

using bench::Clock;
namespace fs = std::filesystem;

constexpr int kPictureEvery = 100;
constexpr std::size_t kPictureBytes = 100 * 1024;
// Best of this many turns of each side: the machine's other work does not decide a ratio.
constexpr int kRounds = 3;

std::vector<std::string> shownTitles;

// A picture file as a camera leaves it, as far as its first bytes go.
void writePicture(const std::string &path, int seed)
{
    std::string bytes(kPictureBytes, '\0');
    unsigned h = static_cast<unsigned>(seed) * 2654435761u;
    for (std::size_t i = 0; i < bytes.size(); ++i, h = h * 1103515245u + 12345u)
        bytes[i] = static_cast<char>(h >> 24);
    bytes[0] = '\xff';
    bytes[1] = '\xd8';
    bytes[2] = '\xff';
    std::ofstream(path, std::ios::binary) << bytes;
}

void addClient(const std::string &primary, const std::string &id)
{
    QORClients.name = rt::joinPath(primary, "qorclnt.tps");
    if (!rt::fileExists(QORClients.name))
        QORClients.create();
    QORClients.open(rt::mode::ReadWriteDenyNone);
    rt::clearRecord(dict::QORClientsDef, &QOC);
    QOC.IDCODE = id;
    QOC.LASTNAME = "Bench";
    QORClients.add();
    QORClients.close();
}

// The client's items, every hundredth with a picture; returns the pictures' paths.
std::vector<std::string> makeClient(const std::string &primary, const std::string &id, int n)
{
    addClient(primary, id);
    const std::string folder = clientFolder(primary, id);
    rt::makeFolder(folder);
    rt::makeFolder(rt::joinPath(folder, "pics"));
    nameClientFiles(folder);
    std::vector<std::string> pictures;
    MasterInventory.create();
    MasterInventory.open(rt::mode::ReadWriteDenyNone);
    {
        rt::Transaction tx({&MasterInventory});
        tx.begin();
        for (int i = 0; i < n; ++i) {
            bench::fillItem(MAS, i);
            if (i % kPictureEvery == 0) {
                std::string p = rt::joinPath(folder, "pics/item" + std::to_string(i) + ".jpg");
                writePicture(p, i);
                MAS.IMAGE = p;
                pictures.push_back(p);
            }
            MasterInventory.add();
        }
        tx.commit();
    }
    MasterInventory.close();
    Glo.ActiveClientID = id;
    Glo.ActiveClientText = "Bench " + id;
    return pictures;
}

long long rowCount(const std::string &path)
{
    sqlite3 *db = bench::rawOpen(path, false);
    sqlite3_stmt *st = bench::rawPrepare(db, "SELECT count(*) FROM data");
    long long n = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int64(st, 0) : -1;
    sqlite3_finalize(st);
    sqlite3_close(db);
    return n;
}

// MakeCD opened (the clearing of the last CD's files answered), then timed from OK to the
// closing message answered.
double makeCd()
{
    rt::runProcedure("MakeCD");
    QApplication::processEvents();
    rt::WindowProcedure *window = nullptr;
    for (rt::WindowProcedure *w : rt::startedWindows())
        if (w->procedureName() == "MakeCD")
            window = w;
    if (!window) {
        std::fprintf(stderr, "MakeCD did not open: %s\n", shownTitles.empty() ? "" : shownTitles.back().c_str());
        std::exit(1);
    }
    auto *ok = window->findChild<QPushButton *>("OK");
    auto t0 = Clock::now();
    ok->click();
    double t = bench::ms(t0, Clock::now());
    QApplication::processEvents();
    return t;
}

bool run(std::vector<std::string> args)
{
    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    int status = 0;
    return posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 && waitpid(pid, &status, 0) == pid &&
           WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The reference: the rows rewritten in asset order by one statement into a file of the same
// schema, then `cp` of the pictures with the client program and its extras, and of its help.
struct Reference {
    double rewrite = 0, copy = 0;
    double total() const { return rewrite + copy; }
};

Reference reference(const std::string &source, const std::string &folder, const std::vector<std::string> &pictures)
{
    fs::remove_all(folder);
    fs::create_directories(folder);
    const std::string target = rt::joinPath(folder, "master.tps");
    const std::string cols = rt::RecordSql::columnList(MasterInventoryTemp).substr(std::string("rowid, ").size());
    auto t0 = Clock::now();
    {
        rt::RecordFile shape(dict::MasterInventoryTempDef, nullptr);
        shape.name = target;
        shape.create();
    }
    sqlite3 *db = bench::rawOpen(target, true);
    std::string sql = "ATTACH '" + source + "' AS src; BEGIN IMMEDIATE; INSERT INTO data (" + cols + ") SELECT " +
                      cols + " FROM src.data ORDER BY assetnumber, rowid; COMMIT;";
    char *err = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::fprintf(stderr, "rewrite: %s\n", err ? err : "?");
        std::exit(1);
    }
    sqlite3_close(db);
    Reference r;
    auto t1 = Clock::now();
    r.rewrite = bench::ms(t0, t1);
    const std::string program = rt::executableFolder();
    std::vector<std::string> args = {"cp", "--"};
    args.insert(args.end(), pictures.begin(), pictures.end());
    for (const char *f : {"marlotte", "autorun.inf", "orvane.ico"})
        args.push_back(program + f);
    args.push_back(folder);
    if (!run(args) || !run({"cp", "-r", "--", program + "help/client", rt::joinPath(folder, "help")})) {
        std::fprintf(stderr, "cp failed\n");
        std::exit(1);
    }
    r.copy = bench::ms(t1, Clock::now());
    return r;
}

struct Memory {
    double before = 0, peak = 0, after = 0;
    bool kept() const { return after - before <= bench::kMemoryKeptMB; }
};

Memory measure(const std::function<void()> &work)
{
    Memory m;
    m.before = bench::rssMB();
    bench::resetPeak();
    work();
    m.peak = bench::peakMB();
    m.after = bench::rssMB();
    return m;
}

// The all-items browse opened, its first page read as painting would, and closed.
void browseItems()
{
    rt::BrowseWindow *w = inventory::openInventoryBrowse(inventory::Variant::All, "");
    if (!w) {
        std::fprintf(stderr, "the all-items browse did not open\n");
        std::exit(1);
    }
    QAbstractItemModel *m = w->list()->model();
    for (int r = 0; r < 30 && r < m->rowCount(); ++r)
        for (int c = 0; c < m->columnCount(); ++c)
            (void)m->index(r, c).data();
    w->requestClose();
    QApplication::processEvents();
    // The window goes when the event loop next turns; the bench has none running.
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

int runSize(const bench::TempFolder &home, const std::string &cd, int n)
{
    const std::string primary = home.path().string();
    const std::string id = "N" + std::to_string(n);
    std::vector<std::string> pictures = makeClient(primary, id, n);
    const std::string source = MasterInventory.name;
    const std::string refFolder = home.file("ref" + std::to_string(n));

    // One untimed run of each side warms the cache, and shows what Make CD holds after it; then
    // best of three, in turns.
    const Memory cdMemory = measure([] { makeCd(); });
    const Memory browseMemory = measure(browseItems);
    reference(source, refFolder, pictures);
    double made = 1e300;
    Reference ref{1e300, 0};
    bool complete = shownTitles.size() >= 1 && shownTitles.back() == "Make CD Complete";
    for (int r = 0; r < kRounds; ++r) {
        shownTitles.clear();
        made = std::min(made, makeCd());
        complete = complete && !shownTitles.empty() && shownTitles.back() == "Make CD Complete";
        Reference k = reference(source, refFolder, pictures);
        if (k.total() < ref.total())
            ref = k;
    }
    const long long items = rowCount(cd + "master.tps");
    long long copied = 0;
    for (const fs::directory_entry &e : fs::directory_iterator(cd))
        copied += e.path().filename().string().rfind("Pic", 0) == 0;
    const bool agree = items == n && copied == static_cast<long long>(pictures.size()) &&
                       rowCount(rt::joinPath(refFolder, "master.tps")) == n && rt::fileExists(cd + "marlotte") &&
                       rt::fileExists(cd + "help/index.html");
    const double ratio = made / ref.total();
    std::printf("items %8d  pictures %5zu  Make CD (OK to closing message) %8.1f ms   rewrite + cp %8.1f ms "
                "(%.1f + %.1f)   make/reference %.2f  %s%s   (closing message: %s)\n",
                n, pictures.size(), made, ref.total(), ref.rewrite, ref.copy, ratio, bench::verdict(ratio <= 1.5),
                agree ? "" : "  (CD DIFFERS)", shownTitles.empty() ? "none" : shownTitles.back().c_str());
    std::printf("items %8d  memory around Make CD: %6.1f MB before, peak %6.1f MB, %6.1f MB after  kept %+6.1f MB  %s\n",
                n, cdMemory.before, cdMemory.peak, cdMemory.after, cdMemory.after - cdMemory.before,
                bench::verdict(cdMemory.kept()));
    std::printf("items %8d  memory around the all-items browse: %6.1f MB before, peak %6.1f MB, %6.1f MB after  kept "
                "%+6.1f MB  %s\n",
                n, browseMemory.before, browseMemory.peak, browseMemory.after, browseMemory.after - browseMemory.before,
                bench::verdict(browseMemory.kept()));
    std::fflush(stdout);
    fs::remove_all(refFolder);
    return agree && complete && ratio <= 1.5 && cdMemory.kept() && browseMemory.kept() ? 0 : 1;
}

}  // namespace

int main(int argc, char **argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    bench::TempFolder home("makecd");
    ::setenv("ZENVIK_HOME", home.path().c_str(), 1);
    QApplication app(argc, argv);
    // Every question answered as a user making CDs one after the other would: Yes to the
    // clearing of the last CD, OK to the closing message.
    rt::setMessageHandler([](const rt::MessageRequest &m) {
        shownTitles.push_back(m.title);
        return (m.buttons & rt::BUTTON_YES) ? rt::BUTTON_YES : (m.buttons & rt::BUTTON_OK) ? rt::BUTTON_OK : m.buttons;
    });

    nameProgramFolderFiles();
    rt::iniStore().setPath(home.file("zenvik.INI"));
    registerRecordFiles();
    registerMakeCdProcedures();
    DictionaryInit();
    const std::string primary = home.path().string();
    const std::string cd = rt::withSlash(home.file("Temp"));
    MainSystemFile.create();
    MainSystemFile.open(rt::mode::ReadWriteDenyNone);
    rt::clearRecord(dict::MainSystemFileDef, &MSY);
    MSY.PATHPRIMARYRESIDENCE = primary;
    MSY.PATHTOCD = cd;
    MSY.REPORTFORMAT = "Portrait";
    MainSystemFile.add();
    MainSystemFile.close();
    BuildSharedFileNames(primary);
    Category.create();

    QMdiArea area;
    rt::setMdiArea(&area);
    area.resize(1000, 700);
    area.show();

    int rc = 0;
    for (int n : bench::sizes(argc, argv))
        rc |= runSize(home, cd, n);
    rt::setMdiArea(nullptr);
    DictionaryKill();
    return rc;
}
