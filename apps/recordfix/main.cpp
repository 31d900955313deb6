// recordfix, the repair program: salvages every row of a damaged record file that a readable
// page holds into a fresh file made from its example file, logs the outcome and, with /W,
// shows it in a window as soon as the repair ends.
//
//   recordfix FILE /E:EXAMPLE [/K] [/L:LOG] [/W]
//
// The damaged original is always kept beside the repaired file (/K is accepted for that). The
// log defaults to recordfix.log in the file's folder; an outcome shown in a window goes to the
// log of shown outcomes (LOG.shown) instead, so that it is not shown a second time.
// Exit code: 0 repaired with every row kept, 3 repaired with rows lost or set aside, 1 not
// repaired, 2 wrong command line.
#include <QApplication>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string>

#include "model/dictionary.h"
#include "model/record_salvage.h"
#include "model/record_salvage_checks.h"
#include "runtime/message.h"
#include "runtime/text.h"

namespace {

// The record's limits when the file is one of the program's record files.
std::vector<salvage::ColumnCheck> checksOf(const std::string &file)
{
    std::string base = std::filesystem::path(file).filename().string();
    for (const rt::TableDef *def : dict::allTables())
        if (def->driver == rt::Driver::TopSpeed && rt::equalNoCase(def->diskName, base))
            return salvage::checksFor(*def);
    return {};
}

}  // namespace

int main(int argc, char **argv)
{
    std::string file, example, log;
    bool window = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        std::string head = a.substr(0, 3);
        for (char &c : head)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        auto option = [&](const std::string &name) { return head.compare(0, name.size(), name) == 0; };
        if (option("/E:"))
            example = a.substr(3);
        else if (option("/L:"))
            log = a.substr(3);
        else if (option("/W"))
            window = true;
        else if (option("/K"))
            continue;
        else if (file.empty())
            file = a;
    }
    if (file.empty() || example.empty()) {
        std::fprintf(stderr, "usage: recordfix FILE /E:EXAMPLE [/K] [/L:LOG] [/W]\n");
        return 2;
    }
    if (log.empty())
        log = (std::filesystem::path(file).parent_path() / "recordfix.log").string();
    salvage::Outcome outcome = salvage::salvageRecordFile(file, example, checksOf(file));
    std::string text = salvage::outcomeText(file, outcome);
    std::printf("%s\n", text.c_str());
    bool shown = false;
    if (window) {
        QApplication app(argc, argv);
        // A long list of lost asset numbers is left to the log.
        std::string lines;
        for (char c : salvage::outcomeText(file, outcome, 40))
            lines += c == '\n' ? '|' : c;
        if (!outcome.lostKeys.empty() && outcome.lostKeys.size() > 40)
            lines += "||The whole list is in " + log + ".shown";
        rt::message(lines, "File Repair Results", outcome.complete() ? rt::Icon::Information : rt::Icon::Exclamation);
        shown = true;
    }
    std::string target = shown ? log + ".shown" : log;
    if (!salvage::appendLog(target, text + "\n"))
        std::fprintf(stderr, "recordfix: the log %s cannot be written\n", target.c_str());
    return !outcome.ok ? 1 : outcome.complete() ? 0 : 3;
}
