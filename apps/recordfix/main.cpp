// recordfix, the repair program: salvages every row of a damaged record file that a readable
// page holds into a fresh file made from its example file and logs the outcome.
//
//   recordfix FILE /E:EXAMPLE [/K] [/L:LOG]
//
// The damaged original is always kept beside the repaired file (/K is accepted for that). The
// log defaults to recordfix.log in the file's folder.
// Exit code: 0 repaired with every row kept as stored, 3 repaired with rows lost, set aside or
// kept with a damaged text cut short, 1 not repaired (a file another program holds is left
// alone), 2 wrong command line.
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string>

#include "model/dictionary.h"
#include "model/record_salvage.h"
#include "model/record_salvage_checks.h"
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
        else if (option("/K"))
            continue;
        else if (file.empty())
            file = a;
    }
    if (file.empty() || example.empty()) {
        std::fprintf(stderr, "usage: recordfix FILE /E:EXAMPLE [/K] [/L:LOG]\n");
        return 2;
    }
    if (log.empty())
        log = (std::filesystem::path(file).parent_path() / "recordfix.log").string();
    salvage::Outcome outcome = salvage::salvageRecordFile(file, example, checksOf(file));
    std::string text = salvage::outcomeText(file, outcome);
    std::printf("%s\n", text.c_str());
    if (!salvage::appendLog(log, text + "\n"))
        std::fprintf(stderr, "recordfix: the log %s cannot be written\n", log.c_str());
    return !outcome.ok ? 1 : outcome.complete() ? 0 : 3;
}
