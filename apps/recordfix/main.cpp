// recordfix, the repair program: salvages every readable row of a damaged record file into a
// fresh file made from its example file and logs the outcome.
//
//   recordfix FILE /E:EXAMPLE [/K] [/L:LOG]
//
// The damaged original is always kept beside the repaired file (/K is accepted for that). The
// log defaults to recordfix.log in the file's folder.
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string>

#include "model/record_salvage.h"

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
    salvage::Outcome outcome = salvage::salvageRecordFile(file, example);
    std::string text = salvage::outcomeText(file, outcome);
    std::printf("%s\n", text.c_str());
    if (!salvage::appendLog(log, text + "\n"))
        std::fprintf(stderr, "recordfix: the log %s cannot be written\n", log.c_str());
    return outcome.ok ? 0 : 1;
}
