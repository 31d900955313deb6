// Imports a CSV item list of 10,000, 100,000 and 1,000,000 lines (or the sizes given) into a
// client's item file with its keys, once through the import engine and once through the sqlite3
// shell (".import" into a temporary table of text columns, then one INSERT ... SELECT into the
// item table, timed together), each in a temporary folder of its own, three times a size (which
// of the two goes first alternating), and prints both rates and their ratio for each run. The
// shell works on the same file as the driver makes it, with the driver's journal, sync and page
// cache settings, and is not charged for starting: the time it takes to start and end on the
// file with nothing to do is taken off its time. A size passes when the median of its three
// ratios is at least 1; the exit status is 1 when one does not.
//
// Beside each import, another program reads the item file in a loop, as a list of another
// window would, with the program's own wait of 1 s for a lock: its longest read (its wait
// included) and the reads refused as locked are printed for the engine and, as the reference,
// for the shell. A size passes only if no read beside the engine was refused.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sqlite3.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "model/dictionary.h"
#include "model/import_process.h"
#include "runtime/record_file.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

fs::path freshFolder(const std::string &tag)
{
    std::string pattern = (fs::temp_directory_path() / ("orvane-import-" + tag + "-XXXXXX")).string();
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data())) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    return fs::path(buf.data());
}

// Description, category, type, location, cost, replacement cost, MSRP, quantity.
void writeList(const fs::path &file, int lines)
{
    std::ofstream out(file, std::ios::binary);
    for (int i = 0; i < lines; ++i) {
        unsigned h = static_cast<unsigned>(i) * 2654435761u;
        out << "\"Item " << h % 1000003 << ", of the household\",Category " << i % 21 << ",Type " << i % 7
            << ",Room " << i % 19 << "," << (i % 5000) << "." << (i % 100 < 10 ? "0" : "") << i % 100 << ","
            << (i % 3 ? std::to_string(i % 700) + ".50" : "") << ",," << 1 + i % 3 << "\r\n";
    }
}

// The reader: a program of its own (this one, started again), so that SQLite's locks between
// it and the import are those between two programs.
volatile std::sig_atomic_t g_stopReading = 0;

int readerMain(const char *db)
{
    std::signal(SIGTERM, [](int) { g_stopReading = 1; });
    sqlite3 *h = nullptr;
    if (sqlite3_open_v2(db, &h, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        return 1;
    sqlite3_busy_timeout(h, 1000);
    double longest = 0;
    long reads = 0, refused = 0;
    const pid_t bench = ::getppid();
    while (!g_stopReading && ::getppid() == bench) {  // nor does it outlive the bench
        const auto t0 = Clock::now();
        sqlite3_stmt *st = nullptr;
        int rc = sqlite3_prepare_v2(h, "SELECT assetnumber, description FROM data ORDER BY description LIMIT 30", -1,
                                    &st, nullptr);
        if (rc == SQLITE_OK) {
            while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            }
        }
        sqlite3_finalize(st);
        const double took = seconds(t0, Clock::now());
        if (g_stopReading)
            break;  // a wait cut short by the signal counts for nothing
        ++reads;
        longest = std::max(longest, took);
        if (rc != SQLITE_DONE)
            ++refused;
        ::usleep(10'000);
    }
    sqlite3_close(h);
    std::printf("%.1f %ld %ld\n", longest * 1e3, reads, refused);
    return 0;
}

struct Reading {
    double longestMs = 0;
    long reads = 0, refused = 0;
};

class Reader {
public:
    explicit Reader(const std::string &db)
    {
        int fds[2];
        if (::pipe(fds) != 0) {
            std::perror("pipe");
            std::exit(1);
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(fds[1], 1);
            ::close(fds[0]);
            ::close(fds[1]);
            ::execl("/proc/self/exe", "import_bench", "--reader", db.c_str(), static_cast<char *>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        out_ = ::fdopen(fds[0], "r");
        // Its first read, before the import starts.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    Reading stop()
    {
        Reading r;
        ::kill(pid_, SIGTERM);
        if (std::fscanf(out_, "%lf %ld %ld", &r.longestMs, &r.reads, &r.refused) != 3)
            r.refused = -1;
        std::fclose(out_);
        ::waitpid(pid_, nullptr, 0);
        return r;
    }

private:
    pid_t pid_ = -1;
    std::FILE *out_ = nullptr;
};

Reading lastReading;  // beside the last run

long long countRows(const std::string &db)
{
    std::string cmd = "sqlite3 '" + db + "' 'select count(*) from data'";
    FILE *p = ::popen(cmd.c_str(), "r");
    long long n = -1;
    if (p) {
        if (std::fscanf(p, "%lld", &n) != 1)
            n = -1;
        ::pclose(p);
    }
    return n;
}

double engineRun(int lines)
{
    fs::path dir = freshFolder("engine");
    fs::path csv = dir / "items.csv";
    writeList(csv, lines);
    MasterInventory.name = (dir / "qormas.tps").string();
    MasterInventory.create();
    MasterInventory.open(rt::mode::ReadWriteDenyNone);
    ImportASCIITab.name = csv.string();
    importing::Links links{};
    const int targets[] = {6, 1, 2, 3, 8, 9, 10, 7};
    for (int c = 0; c < 8; ++c)
        links[static_cast<std::size_t>(c + 1)] = static_cast<std::uint8_t>(targets[c]);
    Reader reader(MasterInventory.name);
    auto t0 = Clock::now();
    ImportASCIITab.open();
    std::int64_t added = 0;
    {
        importing::Importer imp(ImportASCIITab, MasterInventory, importing::Options{}, links,
                                static_cast<std::int64_t>(fs::file_size(csv)));
        while (imp.stepFor(std::chrono::milliseconds(250))) {  // as the progress window does
        }
        added = imp.outcome().itemsAdded;
    }
    ImportASCIITab.close();
    MasterInventory.close();
    auto t1 = Clock::now();
    lastReading = reader.stop();
    if (added != lines || countRows(MasterInventory.name) != lines) {
        std::fprintf(stderr, "engine added %lld of %d\n", static_cast<long long>(added), lines);
        std::exit(1);
    }
    fs::remove_all(dir);
    return seconds(t0, t1);
}

double shellStart = 0;  // of the last shell run, taken off its time

double shellRun(int lines)
{
    fs::path dir = freshFolder("shell");
    fs::path csv = dir / "items.csv";
    writeList(csv, lines);
    // The same item file, made by the driver, with its keys.
    const std::string db = (dir / "qormas.tps").string();
    MasterInventory.name = db;
    MasterInventory.create();
    fs::path script = dir / "import.sql", empty = dir / "empty.sql";
    {
        std::ofstream s(script);
        s << "PRAGMA journal_mode=DELETE;\nPRAGMA synchronous=FULL;\nPRAGMA cache_size=-" << rt::kPageCacheKiB
          << ";\n"
             "CREATE TEMP TABLE src(description TEXT, category TEXT, type TEXT, location TEXT, cost TEXT, "
             "repl TEXT, msrp TEXT, quantity TEXT);\n"
             ".import --csv --schema temp '"
          << csv.string()
          << "' src\n"
             "INSERT INTO data(assetnumber, status, description, category, type, location, quantity, howpurchased, "
             "originalcost, replacementcost, msrp, marketvalue, dateentered) "
             "SELECT rowid, 'Have', substr(trim(description), 1, 50), substr(category, 1, 20), substr(type, 1, 20), "
             "substr(location, 1, 20), CAST(quantity AS INTEGER), '?\?\?', "
             "CAST(round(cost * 100) AS INTEGER), CAST(round(repl * 100) AS INTEGER), "
             "CAST(round(msrp * 100) AS INTEGER), "
             "CASE WHEN repl <> '' AND repl + 0 <> 0 THEN CAST(round(repl * 100) AS INTEGER) "
             "WHEN msrp <> '' AND msrp + 0 <> 0 THEN CAST(round(msrp * 100) AS INTEGER) "
             "ELSE CAST(round(cost * 100) AS INTEGER) END, 80000 FROM src;\n"
             "DROP TABLE src;\n";
    }
    std::ofstream(empty) << "PRAGMA journal_mode=DELETE;\nSELECT 1 FROM data LIMIT 1;\n";
    auto shell = [&](const fs::path &input) {
        const std::string cmd = "sqlite3 '" + db + "' < '" + input.string() + "' > /dev/null";
        auto t0 = Clock::now();
        if (int rc = std::system(cmd.c_str()); rc != 0) {
            std::fprintf(stderr, "sqlite3 shell failed (%d)\n", rc);
            std::exit(1);
        }
        return seconds(t0, Clock::now());
    };
    // Starting the shell and opening the file: the fastest of five runs with nothing to import.
    double start = 1e9;
    for (int i = 0; i < 5; ++i)
        start = std::min(start, shell(empty));
    Reader reader(db);
    const double took = shell(script);
    lastReading = reader.stop();
    if (countRows(db) != lines) {
        std::fprintf(stderr, "sqlite3 shell import failed\n");
        std::exit(1);
    }
    fs::remove_all(dir);
    shellStart = start;
    return took - start;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::string(argv[1]) == "--reader")
        return readerMain(argv[2]);
    std::vector<int> sizes{10000, 100000, 1000000};
    if (argc > 1) {
        sizes.clear();
        for (int i = 1; i < argc; ++i)
            sizes.push_back(std::atoi(argv[i]));
    }
    if (std::system("sqlite3 -version > /dev/null") != 0) {
        std::fprintf(stderr, "the sqlite3 shell is needed (apt-get install sqlite3)\n");
        return 2;
    }
    constexpr int kRuns = 3;
    bool missed = false;
    std::printf("%-8s %3s %14s %15s %6s %12s | %-26s | %-26s\n", "lines", "run", "import lines/s", "sqlite3 lines/s",
                "ratio", "shell start", "reader beside the import", "reader beside the shell");
    std::printf("%-8s %3s %14s %15s %6s %12s | %12s %6s %6s | %12s %6s %6s\n", "", "", "", "", "", "ms", "longest ms",
                "reads", "refus.", "longest ms", "reads", "refus.");
    for (int n : sizes) {
        std::vector<double> ratios;
        long refused = 0;
        for (int run = 1; run <= kRuns; ++run) {
            double ours, ref;
            Reading besideOurs, besideRef;
            if (run % 2) {
                ours = engineRun(n);
                besideOurs = lastReading;
                ref = shellRun(n);
                besideRef = lastReading;
            } else {
                ref = shellRun(n);
                besideRef = lastReading;
                ours = engineRun(n);
                besideOurs = lastReading;
            }
            ratios.push_back(ref / ours);
            refused += besideOurs.refused != 0;
            std::printf("%-8d %3d %14.0f %15.0f %6.2f %12.1f | %12.1f %6ld %6ld | %12.1f %6ld %6ld\n", n, run, n / ours,
                        n / ref, ref / ours, shellStart * 1e3, besideOurs.longestMs, besideOurs.reads,
                        besideOurs.refused, besideRef.longestMs, besideRef.reads, besideRef.refused);
            std::fflush(stdout);
        }
        std::sort(ratios.begin(), ratios.end());
        const double median = ratios[kRuns / 2];
        missed |= median < 1.0 || refused;
        std::printf("%-8d median ratio %.2f (goal >= 1.00): %s; reads refused beside the import in %ld of %d runs "
                    "(goal 0): %s\n",
                    n, median, median >= 1.0 ? "ok" : "MISSED", refused, kRuns, refused ? "MISSED" : "ok");
    }
    return missed ? 1 : 0;
}
