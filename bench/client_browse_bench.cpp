// The client browse over 100,000 clients: how long the list takes to show its first page, and
// how long a locator jump takes, against reading the same first page with raw SQLite.
#include <sqlite3.h>

#include <QApplication>
#include <QHeaderView>
#include <QTableView>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "core/dictionary.h"
#include "runtime/browse.h"
#include "runtime/error_manager.h"
#include "runtime/file_manager.h"

namespace {
using Clock = std::chrono::steady_clock;
double ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

// Reads every cell of the rows the view shows, as painting would.
void readVisible(QTableView &view, int firstRow, int rows)
{
    for (int r = firstRow; r < firstRow + rows && r < view.model()->rowCount(); ++r)
        for (int c = 0; c < view.model()->columnCount(); ++c)
            (void)view.model()->index(r, c).data();
}
}  // namespace

int main(int argc, char **argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const int n = argc > 1 ? std::atoi(argv[1]) : 100000;
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "orvane-bench-clients";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    QORClients.name = (dir / "qorclnt.tps").string();
    QORClients.create();
    QORClients.open(rt::mode::ReadWriteDenyNone);
    {
        rt::Transaction tx({&QORClients});
        tx.begin();
        for (int i = 0; i < n; ++i) {
            rt::clearRecord(dict::QORClientsDef, static_cast<QORClientsRecord *>(&QOC));
            QOC.NOTES.clear();
            unsigned h = static_cast<unsigned>(i) * 2654435761u;
            QOC.IDCODE = "C" + std::to_string(i);
            QOC.LASTNAME = std::string(1, static_cast<char>('A' + h % 26)) + "name" + std::to_string(h % 99991);
            QOC.FIRSTNAME = "First" + std::to_string(i % 500);
            QOC.ADDRESS1 = std::to_string(h % 9999) + " Main Street";
            QOC.CSZ = "Springfield, IL 62701";
            QOC.HOMEPHONE = std::to_string(5550000000LL + h % 9999999);
            QOC.DATELASTUPDATE = 80000 + static_cast<int>(h % 3000);
            QORClients.add();
        }
        tx.commit();
    }
    QORClients.close();

    rt::ErrorManager errors;
    rt::FileManager fm(QORClients, errors);
    fm.open();
    fm.useFile();
    QTableView view;
    view.resize(900, 600);
    const int visible = 30;

    auto t0 = Clock::now();
    rt::Browse browse(&view, fm);
    browse.addColumn("ID Code", "IDCODE", "@s8");
    browse.addColumn("Last Name", "LASTNAME", "@s25");
    browse.addColumn("First Name", "FIRSTNAME", "@s20");
    browse.addColumn("Address 1", "ADDRESS1", "@s40");
    browse.addColumn("CSZ", "CSZ", "@s40");
    browse.addColumn("Date Update", "DATELASTUPDATE", "@d1b");
    browse.addColumn("Home Phone", "HOMEPHONE", "@p(###) ###-####p");
    browse.addSortOrder({dict::QORClientsDef.key("LASTNAMEKEY"), {}, rt::LocatorKind::Text});
    browse.setOrder(0);
    readVisible(view, 0, visible);
    auto t1 = Clock::now();
    browse.locate("Mname5");
    int row = browse.currentRow();
    readVisible(view, std::max(0, row - visible / 2), visible);
    auto t2 = Clock::now();

    // Reference: the same first page read with one raw query.
    sqlite3 *db = nullptr;
    sqlite3_open(QORClients.name.c_str(), &db);
    auto t3 = Clock::now();
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, "SELECT idcode, lastname, firstname, address1, csz, datelastupdate, homephone FROM data "
                       "ORDER BY lastname, firstname, rowid LIMIT 30", -1, &st, nullptr);
    int rows = 0;
    while (sqlite3_step(st) == SQLITE_ROW)
        ++rows;
    sqlite3_finalize(st);
    auto t4 = Clock::now();
    sqlite3_close(db);

    std::printf("clients: %d, rows listed: %d\n", n, browse.model().rowCount());
    std::printf("first page shown:   %8.2f ms   (raw first-page query %.2f ms, ratio %.1f)\n", ms(t0, t1), ms(t3, t4),
                ms(t0, t1) / std::max(ms(t3, t4), 0.001));
    std::printf("locator jump:       %8.2f ms   (landed on row %d: %s)\n", ms(t1, t2), row,
                view.model()->index(row, 1).data().toString().toStdString().c_str());
    fm.close();
    std::filesystem::remove_all(dir);
    return browse.model().rowCount() == n ? 0 : 1;
}
