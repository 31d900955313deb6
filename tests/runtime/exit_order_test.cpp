// A driver error, then a clean end of the program with files still open: the globals' destructors
// must not reach the error text or the open-file registry, which may already be gone. Built with
// AddressSanitizer where the compiler has it; a use-after-free at exit then fails the run.
//
// A program of its own rather than a GoogleTest case: the fault lies in what happens after main
// returns, so the process's exit status is the verdict.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "model/dictionary.h"
#include "runtime/errors.h"

namespace fs = std::filesystem;

namespace {

int failed(const char *what)
{
    std::fprintf(stderr, "exit_order_test: %s (error %d: %s)\n", what, rt::errorCode(), rt::errorText().c_str());
    return 1;
}

// Scribbles over one data page in the middle of the file, keeping the schema page intact, the way
// a damaged disk or an interrupted copy leaves it.
bool overwritePage(const std::string &path)
{
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    if (!f)
        return false;
    f.seekg(0, std::ios::end);
    const auto size = static_cast<long long>(f.tellg());
    const long long page = 4096;
    const long long at = (size / page / 2) * page;
    if (at < page)
        return false;
    f.seekp(at);
    std::string junk(page, '\xA5');
    f.write(junk.data(), static_cast<std::streamsize>(junk.size()));
    return static_cast<bool>(f);
}

}  // namespace

int main()
{
    std::string tmpl = (fs::temp_directory_path() / "orvane-exit-XXXXXX").string();
    if (!::mkdtemp(tmpl.data()))
        return failed("no temporary folder");
    const std::string dir = tmpl + "/";
    struct Cleanup {
        std::string dir;
        ~Cleanup()
        {
            std::error_code ec;
            fs::remove_all(dir, ec);
        }
    } cleanup{dir};

    // An item file of many pages, then damaged in the middle.
    MasterInventory.name = dir + "qormas.tps";
    if (MasterInventory.create() != 0 || MasterInventory.open() != 0)
        return failed("cannot make the item file");
    for (int i = 1; i <= 400; ++i) {
        rt::clearRecord(dict::MasterInventoryDef, static_cast<MasterInventoryRecord *>(&MAS));
        MAS.ASSETNUMBER = i;
        MAS.DESCRIPTION = "Item number " + std::to_string(i) + " with a description long enough to fill pages";
        MAS.MEMO = std::string(300, static_cast<char>('a' + i % 26));
        if (MasterInventory.add() != 0)
            return failed("cannot add an item");
    }
    MasterInventory.close();
    if (!overwritePage(MasterInventory.name))
        return failed("cannot damage the item file");

    // Files left open at the end: the import text and a record file.
    {
        std::ofstream(dir + "qorimp.tps") << "first\tline\nsecond\tline\n";
    }
    ImportASCIITab.name = dir + "qorimp.tps";
    if (ImportASCIITab.open() != 0 || ImportASCIITab.next() != 0)
        return failed("cannot read the import text");
    Category.name = dir + "qorcat.tps";
    if (Category.create() != 0 || Category.open() != 0)
        return failed("cannot make the category file");

    // Reading the damaged file ends in the driver's own message, which stays the current error.
    if (MasterInventory.open() != 0)
        return failed("the damaged file does not open");
    MasterInventory.setFileOrder();
    int code = 0;
    for (int n = 0; n < 1000 && (code = MasterInventory.next()) == 0; ++n) {
    }
    if (code != rt::err::DriverError)
        return failed("reading the damaged file gave no driver error");
    std::printf("driver error: %s\n", rt::fileErrorText().c_str());
    return 0;  // the globals' destructors run from here on
}
