#include "runtime/file_recovery.h"

#include <sqlite3.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace rt {

namespace fs = std::filesystem;

namespace {
std::function<void(const std::string &)> &damageObserver()
{
    static std::function<void(const std::string &)> o;
    return o;
}
bool g_recoverHot = true;

// SQLite names a super-journal after the transaction's first file: "<file>-mj" and hex digits.
bool isSuperJournalName(const std::string &name)
{
    std::size_t at = name.rfind("-mj");
    if (at == std::string::npos || at == 0 || at + 3 == name.size())
        return false;
    for (std::size_t i = at + 3; i < name.size(); ++i)
        if (!std::isxdigit(static_cast<unsigned char>(name[i])))
            return false;
    return true;
}
}  // namespace

void setDamagedFileObserver(std::function<void(const std::string &)> observer) { damageObserver() = std::move(observer); }

void noteDamagedFile(const std::string &path)
{
    if (!damageObserver() || path.empty())
        return;
    std::error_code ec;
    fs::path full = fs::absolute(path, ec);
    damageObserver()(ec ? path : full.lexically_normal().string());
}

void setRecoverHotJournals(bool on) { g_recoverHot = on; }
bool recoverHotJournals() { return g_recoverHot; }

bool recoverHotJournal(const std::string &path)
{
    std::error_code ec;
    const std::string journal = path + "-journal";
    if (!fs::exists(journal, ec))
        return true;
    std::string dir = fs::absolute(path, ec).parent_path().string();
    if (!g_recoverHot || ::access(path.c_str(), W_OK) != 0 || ::access(dir.c_str(), W_OK) != 0)
        return false;
    // The first read of a read/write connection rolls a hot journal back; a journal that a live
    // transaction of another process owns is left alone (that read only waits or fails).
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK)
        sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    sqlite3_close_v2(db);
    return !fs::exists(journal, ec);
}

std::string repairLeftBeside(const std::string &path)
{
    std::error_code ec;
    if (path.empty() || fs::exists(path, ec))
        return {};
    std::string text;
    // The repair program's names (model/record_salvage.cpp).
    if (fs::exists(path + ".recordfix-new", ec))
        text = "A repair of the file did not finish: its repaired rows are in " + path + ".recordfix-new.";
    fs::path p(path);
    std::string kept;
    for (fs::directory_iterator it(p.parent_path().empty() ? fs::path(".") : p.parent_path(), ec), end;
         !ec && it != end; it.increment(ec))
        if (it->path().filename().string().rfind(p.filename().string() + ".damaged", 0) == 0 &&
            !it->path().filename().string().ends_with("-journal"))
            kept = it->path().string();
    if (!kept.empty())
        text += std::string(text.empty() ? "" : " ") + "The damaged original of a repair is kept as " + kept + ".";
    if (!text.empty())
        text += " The file is not created empty.";
    return text;
}

void removeStaleSuperJournals(const std::string &path)
{
    std::error_code ec;
    fs::path dir = fs::absolute(path, ec).parent_path();
    if (ec)
        return;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (!isSuperJournalName(it->path().filename().string()) || !it->is_regular_file(ec))
            continue;
        // A super-journal is the list of its transaction's journals, each name ended by a NUL.
        std::ifstream in(it->path(), std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!in.eof() && in.fail())
            continue;
        std::vector<std::string> journals;
        std::size_t at = 0;
        bool complete = true;
        while (at < text.size()) {
            std::size_t nul = text.find('\0', at);
            if (nul == std::string::npos) {
                complete = false;  // still being written
                break;
            }
            if (nul > at)
                journals.push_back(text.substr(at, nul - at));
            if (!journals.empty() && !journals.back().ends_with("-journal"))
                complete = false;  // not a list of journals: not ours to judge
            at = nul + 1;
        }
        if (!complete || journals.empty())
            continue;
        bool owned = false;
        for (const std::string &j : journals)
            if (fs::exists(j, ec) || ec)
                owned = true;
        if (!owned)
            fs::remove(it->path(), ec);
        ec.clear();
    }
}

}  // namespace rt
