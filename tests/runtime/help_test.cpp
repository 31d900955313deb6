// The help of both programs as a user meets it: every link of a page opens a page (a link to a
// missing file blanks the help window), and every help context the code names has a page of its
// own (a context without one shows the Contents without a word about the window).
#include <gtest/gtest.h>

#include <QString>
#include <sys/stat.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "runtime/help.h"

namespace fs = std::filesystem;

namespace {

const fs::path kSource = ORVANE_SOURCE_DIR;
// The professional program's help, and the client program's: the client CD carries only its
// own folder, so a client page can lead nowhere outside it.
const fs::path kProfessionalHelp = kSource / "help";
const fs::path kClientHelp = kSource / "help" / "client";

std::string slurp(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool inside(const fs::path &file, const fs::path &folder)
{
    const fs::path rel = file.lexically_normal().lexically_relative(folder.lexically_normal());
    return !rel.empty() && *rel.begin() != "..";
}

// The names a link may end on: id="..." or the old name="..." of an anchor.
std::set<std::string> anchorsOf(const std::string &html)
{
    static const std::regex anchor(R"re(\b(?:id|name)\s*=\s*["']([^"']+)["'])re", std::regex::icase);
    std::set<std::string> out;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), anchor); it != std::sregex_iterator(); ++it)
        out.insert((*it)[1]);
    return out;
}

// What is wrong with every link of the pages in `root`. `ownFolderOnly`: the folder is carried
// alone (the client CD), so no link may leave it.
std::vector<std::string> brokenLinks(const fs::path &root, bool ownFolderOnly)
{
    static const std::regex link(R"re(\b(?:href|src)\s*=\s*["']([^"']*)["'])re", std::regex::icase);
    static const std::regex external(R"re(^[A-Za-z][A-Za-z0-9+.-]*:)re");
    std::vector<std::string> out;
    for (const fs::directory_entry &e : fs::directory_iterator(root)) {
        if (!e.is_regular_file() || e.path().extension() != ".html")
            continue;
        const std::string html = slurp(e.path());
        const std::string page = e.path().lexically_relative(kSource).string();
        for (auto it = std::sregex_iterator(html.begin(), html.end(), link); it != std::sregex_iterator(); ++it) {
            const std::string target = (*it)[1];
            if (std::regex_search(target, external))
                continue;  // a web address opens in the browser
            const std::size_t hash = target.find('#');
            const std::string file = target.substr(0, hash);
            const fs::path to = file.empty() ? e.path() : (e.path().parent_path() / file).lexically_normal();
            if (file.empty() && hash == std::string::npos)
                out.push_back(page + ": an empty link");
            else if (!fs::is_regular_file(to))
                out.push_back(page + ": " + target + " (no such page)");
            else if (ownFolderOnly && !inside(to, root))
                out.push_back(page + ": " + target + " (outside the program's help folder)");
            else if (hash != std::string::npos && !anchorsOf(slurp(to)).count(target.substr(hash + 1)))
                out.push_back(page + ": " + target + " (no such place on the page)");
        }
    }
    return out;
}

// The help of each program that opens a window of the code in `folder` (the first folder of
// its path). The runtime's windows and Help menu are in both programs; the client program's own
// windows are its alone, as are the professional frame's and the reference tables'; the shared
// libraries' windows are in one program or both.
enum class Opener { Professional, Client, Both, Either };
Opener openerOf(const std::string &folder)
{
    if (folder == "client")
        return Opener::Client;
    if (folder == "core" || folder == "tables")
        return Opener::Professional;
    if (folder == "runtime")
        return Opener::Both;
    return Opener::Either;
}

struct NamedContext {
    std::string context;
    std::string where;  // the source file that names it
};

// The string literals of a source file, comments left out.
std::vector<std::string> stringLiterals(const std::string &code)
{
    std::vector<std::string> out;
    std::size_t i = 0;
    const std::size_t n = code.size();
    while (i < n) {
        if (code.compare(i, 2, "//") == 0) {
            i = code.find('\n', i);
        } else if (code.compare(i, 2, "/*") == 0) {
            i = code.find("*/", i + 2);
            if (i != std::string::npos)
                i += 2;
        } else if (code[i] == '"' || code[i] == '\'') {
            const char quote = code[i++];
            std::string text;
            while (i < n && code[i] != quote && code[i] != '\n') {
                if (code[i] == '\\' && i + 1 < n)
                    text += code[i++];
                text += code[i++];
            }
            ++i;
            if (quote == '"')
                out.push_back(text);
        } else {
            ++i;
        }
        if (i == std::string::npos)
            break;
    }
    return out;
}

// Every help context named in the programs' code ("~" and the page's name in capitals), with the
// file that names it. Tests, benchmarks and build folders are not code of the programs.
std::vector<NamedContext> contextsInTheCode()
{
    static const std::regex context(R"re(~[A-Z][A-Z0-9_]*)re");
    std::vector<NamedContext> out;
    for (auto it = fs::recursive_directory_iterator(kSource); it != fs::recursive_directory_iterator(); ++it) {
        const fs::path &p = it->path();
        const std::string name = p.filename().string();
        if (it->is_directory()) {
            if (name.front() == '.' || name == "tests" || name == "bench" || name == "fuzz" || name == "help" ||
                fs::exists(p / "CMakeCache.txt"))
                it.disable_recursion_pending();
            continue;
        }
        if (p.extension() != ".cpp" && p.extension() != ".h")
            continue;
        const std::string where = p.lexically_relative(kSource).string();
        for (const std::string &literal : stringLiterals(slurp(p)))
            if (std::regex_match(literal, context))
                out.push_back({literal, where});
    }
    return out;
}

// Whether the help in `folder` has a page of the context's own (not the Contents it falls back on).
bool hasPage(const fs::path &folder, const std::string &context)
{
    rt::setHelpFolder(QString::fromStdString(folder.string()));
    const fs::path page = rt::helpPage(QString::fromStdString(context)).toStdString();
    rt::setHelpFolder(QString());
    return fs::is_regular_file(page) && page.filename() != "index.html";
}

}  // namespace

TEST(HelpLinksResolve, EveryLinkOfBothProgramsLeadsToAPageOfItsHelp)
{
    ASSERT_TRUE(fs::is_regular_file(kProfessionalHelp / "index.html"));
    ASSERT_TRUE(fs::is_regular_file(kClientHelp / "index.html"));
    std::vector<std::string> broken = brokenLinks(kProfessionalHelp, false);
    const std::vector<std::string> client = brokenLinks(kClientHelp, true);
    broken.insert(broken.end(), client.begin(), client.end());
    EXPECT_TRUE(broken.empty()) << [&] {
        std::string s;
        for (const std::string &b : broken)
            s += "\n  " + b;
        return s;
    }();
}

TEST(HelpContexts, EveryContextTheCodeOpensHasItsPage)
{
    const std::vector<NamedContext> named = contextsInTheCode();
    // The scan finds the contexts of both programs' windows; none found would be a scan of nothing.
    std::set<std::string> folders;
    for (const NamedContext &n : named)
        folders.insert(fs::path(n.where).begin()->string());
    ASSERT_TRUE(folders.count("client") && folders.count("core") && folders.count("runtime")) << named.size();

    std::vector<std::string> missing;
    for (const NamedContext &n : named) {
        const bool professional = hasPage(kProfessionalHelp, n.context);
        const bool client = hasPage(kClientHelp, n.context);
        bool ok = true;
        switch (openerOf(fs::path(n.where).begin()->string())) {
        case Opener::Professional: ok = professional; break;
        case Opener::Client: ok = client; break;
        case Opener::Both: ok = professional && client; break;
        case Opener::Either: ok = professional || client; break;
        }
        if (!ok)
            missing.push_back(n.context + " (" + n.where + ")" + (professional ? "" : " no page in help/") +
                              (client ? "" : " no page in help/client/"));
    }
    EXPECT_TRUE(missing.empty()) << [&] {
        std::string s;
        for (const std::string &m : missing)
            s += "\n  " + m;
        return s;
    }();
}

// A pipe under a page's name (or a folder) was opened as the page: the help window waited on it
// for good. A context whose page is missing, a pipe or a folder opens the Contents.
TEST(HelpContexts, APageThatDoesNotReadOpensTheContents)
{
    const fs::path folder = fs::temp_directory_path() / ("orvane-help-" + std::to_string(::getpid()));
    fs::create_directories(folder / "calendar.html");
    std::ofstream(folder / "index.html") << "<html>Contents</html>";
    std::ofstream(folder / "about.html") << "<html>About</html>";
    ASSERT_EQ(::mkfifo((folder / "backup.html").c_str(), 0600), 0);
    const QString before = rt::helpFolder();
    rt::setHelpFolder(QString::fromStdString(folder.string()));
    for (const auto &[context, page] : {std::pair{"~ABOUT", "about.html"}, std::pair{"~BACKUP", "index.html"},
                                        std::pair{"~CALENDAR", "index.html"}, std::pair{"~MISSING", "index.html"}})
        EXPECT_EQ(fs::path(rt::helpPage(context).toStdString()).filename(), page) << context;
    rt::setHelpFolder(before);
    fs::remove_all(folder);
}
