#include "core/client_cd.h"

#include <elf.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>

#include "core/backup.h"
#include "model/dictionary.h"
#include "model/globals.h"
#include "model/client_files.h"
#include "model/user_fields.h"
#include "runtime/errors.h"
#include "runtime/message.h"
#include "runtime/paths.h"
#include "runtime/picture.h"
#include "runtime/record_file.h"
#include "runtime/text.h"

namespace fs = std::filesystem;

const char *const kClientProgram = "marlotte";
const char *const kClientHelpSource = "help/client";

namespace {

const char *const kRecordFiles[] = {"master.tps", "clntsys.tps", "qorcat.tps",
                                    "qorbox.tps", "qorloc.tps",  "qorhrs.tps"};
const char *const kProgramExtras[] = {"autorun.inf", "orvane.ico"};
constexpr int kMaxPictures = 99999;
// A missing list longer than this is cut in the closing message.
constexpr std::size_t kMissingShown = 15;

std::string normalFolder(const std::string &path)
{
    std::error_code ec;
    fs::path p = fs::weakly_canonical(fs::absolute(rt::clip(path), ec), ec);
    std::string s = ec ? rt::clip(path) : p.string();
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    return s;
}

bool inside(const std::string &folder, const std::string &parent)
{
    return folder == parent || (folder.size() > parent.size() && folder.compare(0, parent.size(), parent) == 0 &&
                                (parent == "/" || folder[parent.size()] == '/'));
}

void fatal(const std::string &text, const std::string &title)
{
    rt::beep();
    rt::message(text, title, rt::Icon::Exclamation, rt::BUTTON_ABORT);
}

bool isOrigin(const std::string &entry, std::string &rest)
{
    for (const char *token : {"$ORIGIN", "${ORIGIN}"}) {
        std::size_t n = std::strlen(token);
        if (entry.compare(0, n, token) == 0 && (entry.size() == n || entry[n] == '/')) {
            rest = entry.substr(n);
            return true;
        }
    }
    return false;
}

// Adds the libraries that `file` (relative to `root`) finds through its "$ORIGIN" entries.
void addOriginLibraries(const fs::path &root, const fs::path &file, std::vector<std::string> &out,
                        std::set<std::string> &seen)
{
    ElfDependencies deps;
    if (!readElfDependencies((root / file).string(), deps))
        return;
    for (const std::string &lib : deps.needed) {
        for (const std::string &entry : deps.runPath) {
            std::string rest;
            if (!isOrigin(entry, rest))
                continue;  // an absolute entry points at the system's libraries
            fs::path rel = (file.parent_path() / fs::path(rest).relative_path() / lib).lexically_normal();
            if (rel.empty() || *rel.begin() == "..")
                continue;  // outside the program folder: nothing the CD can carry alongside
            std::error_code ec;
            if (!fs::is_regular_file(root / rel, ec))
                continue;
            if (seen.insert(rel.string()).second) {
                out.push_back(rel.string());
                addOriginLibraries(root, rel, out, seen);
            }
            break;  // the loader takes the first entry that holds the library
        }
    }
}

// What the clearing removes from the folder: only what this writer puts there.
std::vector<fs::path> leftovers(const std::string &folder, const std::string &programFolder)
{
    std::set<std::string> names;
    for (const char *f : kRecordFiles)
        for (const char *suffix : {"", "-journal", ".create", ".create-journal"}) {
            names.insert(std::string(f) + suffix);
            names.insert(backupTempName(std::string(f) + suffix));
        }
    names.insert(kClientProgram);
    for (const char *f : kProgramExtras)
        names.insert(f);
    // The libraries of the program about to be copied and of the one an earlier CD carries.
    std::vector<std::string> libraries = clientProgramFiles(programFolder);
    for (const std::string &l : clientProgramFiles(folder))
        libraries.push_back(l);
    std::vector<fs::path> out;
    std::error_code ec;
    for (const std::string &l : libraries) {
        fs::path p = fs::path(folder) / l;
        if (!fs::path(l).has_parent_path())
            names.insert(l);
        else if (fs::is_regular_file(p, ec))
            out.push_back(p);
    }

    for (const fs::directory_entry &e : fs::directory_iterator(folder, ec)) {
        std::string name = e.path().filename().string();
        bool dir = e.is_directory(ec) && !e.is_symlink(ec);
        if (dir ? name == "help"
                : names.count(name) || isCdPictureName(name) || rt::equalNoCase(name, "marlotte.INI"))
            out.push_back(e.path());
    }
    return out;
}

bool clearFolder(const std::string &folder, const std::vector<fs::path> &paths)
{
    bool ok = true;
    std::error_code ec;
    std::set<fs::path> parents;
    for (auto it = paths.rbegin(); it != paths.rend(); ++it) {
        fs::remove_all(*it, ec);
        if (ec)
            ok = false;
        fs::path rel = it->lexically_relative(folder).parent_path();
        for (; !rel.empty() && *rel.begin() != ".."; rel = rel.parent_path())
            parents.insert(fs::path(folder) / rel);
    }
    // A library's own folder goes once it is empty; anything else in it stays.
    for (auto it = parents.rbegin(); it != parents.rend(); ++it)
        if (fs::is_empty(*it, ec))
            fs::remove(*it, ec);
    return ok;
}

bool clientExists(const std::string &primary, const std::string &id)
{
    QORClientsBuffer rec;
    rt::RecordFile file(dict::QORClientsDef, &rec, &rec.NOTES);
    file.name = rt::joinPath(primary, dict::QORClientsDef.diskName);
    if (file.open(rt::mode::ReadOnlyDenyNone) != 0)
        return false;
    rt::clearRecord(dict::QORClientsDef, &rec);
    rec.IDCODE = id;
    bool found = file.get(*dict::QORClientsDef.key("IDCODEKEY")) == 0;
    file.close();
    return found;
}

// The CD path is a folder whose files the clearing would take for an earlier CD's.
bool isDataFolder(const std::string &cd, const std::string &primary, const std::string &programFolder)
{
    std::string target = normalFolder(cd);
    std::string data = normalFolder(primary);
    if (!programFolder.empty() && target == normalFolder(programFolder))
        return true;
    if (primary.empty() || !inside(target, data))
        return false;
    if (target == data)
        return true;
    fs::path rel = fs::path(target).lexically_relative(data);
    std::string first = rel.begin()->string();
    return validIdCode(first) && clientExists(primary, first);
}

int copyErrorCode(const std::string &source, const std::error_code &ec)
{
    std::error_code e2;
    if (!fs::exists(source, e2)) {
        fs::path parent = fs::path(source).parent_path();
        return parent.empty() || fs::is_directory(parent, e2) ? rt::err::FileNotFound : rt::err::PathNotFound;
    }
    if (ec == std::errc::permission_denied || ec == std::errc::operation_not_permitted)
        return rt::err::AccessDenied;
    if (ec == std::errc::device_or_resource_busy || ec == std::errc::text_file_busy)
        return rt::err::AlreadyOpen;
    return -1;
}

// Copies a plain file; returns 0, or the runtime's code (-1: another failure, text in `why`).
int copyPlainFile(const std::string &source, const std::string &target, std::string &why)
{
    std::error_code ec;
    why.clear();
    if (!fs::is_regular_file(source, ec)) {
        ec = std::make_error_code(std::errc::no_such_file_or_directory);
        int code = copyErrorCode(source, ec);
        if (code == -1)
            why = "it is not a file";
        return code;
    }
    fs::copy_file(source, target, fs::copy_options::overwrite_existing, ec);
    if (!ec)
        fs::permissions(target, fs::status(source, ec).permissions(), ec);
    if (!ec)
        return 0;
    why = ec.message();
    return copyErrorCode(source, ec);
}

class Writer {
public:
    Writer(std::string folder, std::string programFolder, const std::function<void(const std::string &)> &progress)
        : folder_(rt::withSlash(folder)), program_(rt::withSlash(programFolder)), progress_(progress)
    {
    }

    ClientCdOutcome go()
    {
        if (!readStart())
            return out_;
        out_.started = true;
        writeItems();
        writeSystemRecord();
        for (const char *name : {"qorcat.tps", "qorbox.tps", "qorloc.tps", "qorhrs.tps"})
            copyDataFile(name);
        copyProgramFiles();
        return out_;
    }

private:
    bool readStart()
    {
        if (!readSettingsCopy(settings_)) {
            fatal("Error reading main system file", "File Error");
            out_.missing.push_back("everything: the main system file could not be read");
            return false;
        }
        primary_ = rt::clip(settings_.PATHPRIMARYRESIDENCE.str());
        std::string id = rt::clip(Glo.ActiveClientID.str());
        client_ = clientFolder(primary_, id);

        // A client who never opened the titles form has no titles record: the titles stay blank.
        rt::clearRecord(dict::UserFieldsDef, &titles_);
        {
            UserFieldsRecord buffer;
            rt::RecordFile file(dict::UserFieldsDef, &buffer);
            file.name = rt::joinPath(client_, dict::UserFieldsDef.diskName);
            int rc = file.open(rt::mode::ReadOnlyDenyNone);
            if (rc == 0) {
                rc = model::readTitlesRecord(file, titles_);
                file.close();
                if (rc == rt::err::NoRecord)
                    rc = 0;
            } else if (rc == rt::err::FileNotFound) {
                rc = 0;
            }
            if (rc != 0) {
                fatal("Error reading user fields file", "File Error");
                out_.missing.push_back("everything: the user fields file could not be read (" +
                                       rt::errorTextFor(rc) + ")");
                return false;
            }
        }

        rt::RecordFile clients(dict::QORClientsDef, &clientRecord_, &clientRecord_.NOTES);
        clients.name = rt::joinPath(primary_, dict::QORClientsDef.diskName);
        int rc = clients.open(rt::mode::ReadOnlyDenyNone);
        if (rc == 0) {
            rt::clearRecord(dict::QORClientsDef, &clientRecord_);
            clientRecord_.IDCODE = id;
            rc = clients.get(*dict::QORClientsDef.key("IDCODEKEY"));
            clients.close();
        }
        if (rc != 0 || id.empty()) {
            fatal("Error reading client information", "File Error");
            out_.missing.push_back("everything: the client's record could not be read");
            return false;
        }
        return true;
    }

    void writeItems()
    {
        MasterInventoryBuffer item;
        rt::RecordFile source(dict::MasterInventoryDef, static_cast<MasterInventoryRecord *>(&item), &item.MEMO);
        source.name = rt::joinPath(client_, dict::MasterInventoryDef.diskName);
        MasterInventoryBuffer copy;
        rt::RecordFile target(dict::MasterInventoryTempDef, static_cast<MasterInventoryRecord *>(&copy), &copy.MEMO);
        target.name = folder_ + "master.tps";
        if (target.create() != 0 || target.open(rt::mode::ReadWriteExclusive) != 0) {
            readError("Error creating " + target.name + ": " + rt::errorText(), "master.tps (the client's items)");
            return;
        }
        int rc = source.open(rt::mode::ReadOnlyDenyNone);
        if (rc == rt::err::FileNotFound) {
            target.close();  // a client without items gets an empty item file
            return;
        }
        if (rc != 0) {
            readError("Error reading home inventory file: " + rt::errorText(), "the client's items");
            target.close();
            return;
        }
        // One transaction for the whole file: one per item would sync the disk for every item.
        rt::Transaction tx({&target});
        if (tx.begin() != 0) {
            readError("Error writing " + target.name + ": " + rt::errorText(), "the client's items");
            source.close();
            target.close();
            return;
        }
        std::vector<std::string> notAdded;
        int added = 0;
        rt::clearRecord(dict::MasterInventoryDef, static_cast<MasterInventoryRecord *>(&item));
        source.set(*dict::MasterInventoryDef.key("ASSETKEY"));
        while ((rc = source.next()) == 0) {
            if (progress_)
                progress_(rt::formatText("@s40", item.DESCRIPTION.str()));
            static_cast<MasterInventoryRecord &>(copy) = item;
            copy.MEMO = item.MEMO;
            copyPicture(item, item.IMAGE, copy.IMAGE);
            copyPicture(item, item.IMAGE2, copy.IMAGE2);
            copyPicture(item, item.RECEIPTIMAGE, copy.RECEIPTIMAGE);
            copyPicture(item, item.WARRANTYIMAGE, copy.WARRANTYIMAGE);
            if (target.add() != 0) {
                std::string why = rt::errorText();
                std::string number = rt::formatNumber("@n_07", item.ASSETNUMBER);
                rt::beep();
                rt::message("Error adding asset #: " + number, "File Error", rt::Icon::Exclamation);
                notAdded.push_back("asset #" + number + " (" + why + ")");
                continue;
            }
            ++added;
        }
        bool readOk = rt::errorCode() == rt::err::NoRecord;
        std::string readWhy = rt::errorText();
        source.close();
        if (tx.commit() != 0) {
            std::string why = rt::errorText();
            tx.rollback();
            target.close();
            readError("Error writing " + target.name + ": " + why, "the client's items (none were written)");
            return;
        }
        target.close();
        out_.items = added;
        for (const std::string &n : notAdded)
            out_.missing.push_back(n);
        if (!readOk)
            readError("Error reading home inventory file: " + readWhy,
                      "the items after asset #" + rt::formatNumber("@n_07", item.ASSETNUMBER));
    }

    template <typename Field>
    void copyPicture(const MasterInventoryRecord &item, const Field &source, Field &copy)
    {
        std::string from = rt::clip(source.str());
        if (from.empty())
            return;
        if (pictures_ == kMaxPictures) {
            if (!toldTooMany_)
                rt::message("The client has more than 99,999 pictures. Only the first 99,999 are copied to the CD.",
                            "Copy Error", rt::Icon::Exclamation);
            toldTooMany_ = true;
            copy = "";
            out_.missing.push_back("picture " + from + " (asset #" + rt::formatNumber("@n_07", item.ASSETNUMBER) +
                                   "): more than 99,999 pictures");
            return;
        }
        ++pictures_;
        std::string name = "Pic" + rt::formatNumber("@n05", pictures_) + cdPictureExtension(from);
        copy = name;  // named even when the copy fails: the client program shows an empty area
        std::string why;
        int code = copyPlainFile(from, folder_ + name, why);
        if (code == 0) {
            ++out_.pictures;
            return;
        }
        std::string text;
        switch (code) {
        case rt::err::FileNotFound:
            text = "File Not Found";
            break;
        case rt::err::PathNotFound:
            text = "Path Not Found";
            break;
        case rt::err::AccessDenied:
            text = "Access Denied";
            break;
        case rt::err::AlreadyOpen:
            text = "File Already Open";
            break;
        default:
            text = why;
        }
        rt::message("Error copying picture: " + text, "Copy Error", rt::Icon::Exclamation);
        out_.missing.push_back("picture " + from + " (asset #" + rt::formatNumber("@n_07", item.ASSETNUMBER) +
                               "): " + text);
    }

    void writeSystemRecord()
    {
        ClientSystemFileRecord csf;
        rt::clearRecord(dict::ClientSystemFileDef, &csf);
        csf.NAME = settings_.NAME;
        csf.ADDRESS = settings_.ADDRESS;
        csf.CSZ = settings_.CSZ;
        csf.PHONE = settings_.PHONE;
        csf.EMAILADDRESS = settings_.EMAILADDRESS;
        csf.PRINTADDRESSLINE = 0;
        csf.PRINTPHONELINE = 0;
        csf.PRINTEMAILADDRESSLINE = 0;
        csf.REPORTFORMAT = "";
        csf.LASTNAME = clientRecord_.LASTNAME;
        csf.FIRSTNAME = clientRecord_.FIRSTNAME;
        csf.ADDRESS1 = clientRecord_.ADDRESS1;
        csf.ADDRESS2 = clientRecord_.ADDRESS2;
        csf.ADDRESS3 = clientRecord_.ADDRESS3;
        csf.CLIENTCSZ = clientRecord_.CSZ;
        csf.HOMEPHONE = clientRecord_.HOMEPHONE;
        csf.WORKPHONE = clientRecord_.WORKPHONE;
        csf.WORKEXT = clientRecord_.WORKEXT;
        csf.CELLPHONE = clientRecord_.CELLPHONE;
        csf.FAX = clientRecord_.FAX;
        csf.EMAIL = clientRecord_.EMAIL;
        csf.TITLEUSERFIELD1 = titles_.TITLEUSERFIELD1;
        csf.TITLEUSERFIELD2 = titles_.TITLEUSERFIELD2;
        csf.TITLEUSERFIELD3 = titles_.TITLEUSERFIELD3;
        csf.TITLEUSERFIELD4 = titles_.TITLEUSERFIELD4;
        rt::RecordFile file(dict::ClientSystemFileDef, &csf);
        file.name = folder_ + "clntsys.tps";
        int rc = file.create();
        if (rc == 0)
            rc = file.open(rt::mode::ReadWriteExclusive);
        if (rc == 0) {
            rc = file.add();
            file.close();
            rt::setError(rc);
        }
        if (rc != 0)
            readError("Error writing client system file: " + rt::errorText(), "clntsys.tps (the client system record)");
    }

    void copyDataFile(const std::string &name)
    {
        std::string source = rt::joinPath(name == "qorcat.tps" ? primary_ : client_, name);
        std::string why;
        int code = copyRecordFile(source, folder_, why);
        if (code == rt::err::FileNotFound) {
            // The client program opens every file it knows and cannot create one on a disc:
            // a table never filled goes on the CD empty.
            const rt::TableDef *def = nullptr;
            for (const rt::TableDef *t : dict::allTables())
                if (t->diskName == name && t != &dict::MasterInventoryTempDef)
                    def = t;
            std::vector<unsigned char> buffer(def->recordSize);
            rt::RecordFile empty(*def, buffer.data());
            empty.name = folder_ + name;
            code = empty.create();
            why = rt::errorText();
        }
        if (code != 0) {
            rt::message("Error copying " + source + ": " + why, "Copy Error", rt::Icon::Exclamation);
            out_.missing.push_back(name + " (" + why + ")");
        }
    }

    void copyProgramFiles()
    {
        std::vector<std::string> files = clientProgramFiles(program_);
        if (files.empty())
            out_.missing.push_back(std::string("the client program ") + kClientProgram + " (not found beside " +
                                   "this program in " + program_ + ")");
        for (const char *extra : kProgramExtras)
            files.push_back(extra);
        std::error_code ec;
        for (const std::string &f : files) {
            fs::path target = fs::path(folder_) / f;
            fs::create_directories(target.parent_path(), ec);
            std::string why;
            if (copyPlainFile(program_ + f, target.string(), why) != 0)
                out_.missing.push_back(f + (why.empty() ? " (not found in " + program_ + ")" : " (" + why + ")"));
        }
        fs::path help = fs::path(program_) / kClientHelpSource;
        if (!fs::is_regular_file(help / "index.html", ec)) {
            out_.missing.push_back("the client help folder (not found in " + program_ + kClientHelpSource + ")");
            return;
        }
        fs::copy(help, fs::path(folder_) / "help", fs::copy_options::recursive | fs::copy_options::overwrite_existing,
                 ec);
        if (ec)
            out_.missing.push_back("the client help folder (" + ec.message() + ")");
    }

    void readError(const std::string &text, const std::string &missing)
    {
        fatal(text, "File Error");
        out_.missing.push_back(missing);
    }

    std::string folder_, program_;
    const std::function<void(const std::string &)> &progress_;
    ClientCdOutcome out_;
    MainSystemFileRecord settings_;
    UserFieldsRecord titles_;
    QORClientsBuffer clientRecord_;
    std::string primary_, client_;
    int pictures_ = 0;
    bool toldTooMany_ = false;
};

}  // namespace

bool readElfDependencies(const std::string &path, ElfDependencies &out)
{
    out = {};
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto fits = [&](std::uint64_t offset, std::uint64_t size) {
        return offset <= data.size() && size <= data.size() - offset;
    };
    Elf64_Ehdr eh;
    if (!fits(0, sizeof eh))
        return false;
    std::memcpy(&eh, data.data(), sizeof eh);
    if (std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 || eh.e_ident[EI_CLASS] != ELFCLASS64 ||
        eh.e_ident[EI_DATA] != ELFDATA2LSB || eh.e_shentsize != sizeof(Elf64_Shdr))
        return false;
    auto section = [&](std::uint32_t i, Elf64_Shdr &sh) {
        std::uint64_t at = eh.e_shoff + std::uint64_t(i) * sizeof(Elf64_Shdr);
        if (i >= eh.e_shnum || !fits(at, sizeof sh))
            return false;
        std::memcpy(&sh, data.data() + at, sizeof sh);
        return true;
    };
    for (std::uint32_t i = 0; i < eh.e_shnum; ++i) {
        Elf64_Shdr dyn, strings;
        if (!section(i, dyn) || dyn.sh_type != SHT_DYNAMIC)
            continue;
        if (!section(dyn.sh_link, strings) || !fits(dyn.sh_offset, dyn.sh_size) ||
            !fits(strings.sh_offset, strings.sh_size))
            return false;
        auto text = [&](std::uint64_t at) {
            if (at >= strings.sh_size)
                return std::string();
            const char *s = data.data() + strings.sh_offset + at;
            return std::string(s, strnlen(s, strings.sh_size - at));
        };
        std::string runPath, rPath;
        for (std::uint64_t at = 0; at + sizeof(Elf64_Dyn) <= dyn.sh_size; at += sizeof(Elf64_Dyn)) {
            Elf64_Dyn d;
            std::memcpy(&d, data.data() + dyn.sh_offset + at, sizeof d);
            if (d.d_tag == DT_NULL)
                break;
            if (d.d_tag == DT_NEEDED)
                out.needed.push_back(text(d.d_un.d_val));
            else if (d.d_tag == DT_RUNPATH)
                runPath = text(d.d_un.d_val);
            else if (d.d_tag == DT_RPATH)
                rPath = text(d.d_un.d_val);
        }
        // The loader ignores DT_RPATH where DT_RUNPATH is present.
        std::string path = runPath.empty() ? rPath : runPath;
        std::size_t start = 0;
        while (!path.empty() && start <= path.size()) {
            std::size_t end = path.find(':', start);
            if (end == std::string::npos)
                end = path.size();
            if (end > start)
                out.runPath.push_back(path.substr(start, end - start));
            start = end + 1;
        }
        return true;
    }
    return false;
}

std::vector<std::string> clientProgramFiles(const std::string &programFolder)
{
    std::vector<std::string> out;
    std::error_code ec;
    fs::path root(rt::clip(programFolder));
    if (root.empty() || !fs::is_regular_file(root / kClientProgram, ec))
        return out;
    out.push_back(kClientProgram);
    std::set<std::string> seen{kClientProgram};
    addOriginLibraries(root, kClientProgram, out, seen);
    return out;
}

bool isCdPictureName(const std::string &name)
{
    if (name.size() < 8 || name.compare(0, 3, "Pic") != 0)
        return false;
    for (std::size_t i = 3; i < 8; ++i)
        if (name[i] < '0' || name[i] > '9')
            return false;
    return name.size() == 8 || cdPictureExtension(name) == name.substr(8);
}

std::string cdPictureExtension(const std::string &source)
{
    std::string base = rt::baseName(rt::clip(source));
    std::size_t dot = base.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return {};
    std::string ext = base.substr(dot + 1);
    if (ext.empty() || ext.size() > 5)
        return {};
    for (char c : ext)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return {};
    return "." + ext;
}

std::string prepareClientCdFolder(const std::string &programFolder)
{
    MainSystemFileRecord settings;
    if (!readSettingsCopy(settings)) {
        fatal("Error reading main systen file", "File Error");
        return {};
    }
    std::string path = rt::clip(settings.PATHTOCD.str());
    if (path.empty()) {
        fatal("You must setup the default CD drive designation in the Main System File first", "Drive/Path Not Set");
        return {};
    }
    // A drive letter means nothing here: every path, one character long or not, is a folder.
    if (rt::upper(path).find("TEMP") == std::string::npos) {
        fatal("Invalid path, must contain TEMP", "Invalid Path");
        return {};
    }
    if (isDataFolder(path, rt::clip(settings.PATHPRIMARYRESIDENCE.str()), programFolder)) {
        fatal("The CD path||" + path + "||is a data directory: clearing it would delete the data files there.",
              "Invalid Path");
        return {};
    }
    if (rt::makeFolder(path) != 0 || !rt::folderExists(path)) {
        fatal("Unable to create the directory||" + path, "Directory Error");
        return {};
    }
    std::vector<fs::path> old = leftovers(path, programFolder);
    if (!old.empty()) {
        int answer = rt::message("All existing files in the directory||" + rt::upper(path) + "||" +
                                     "Will be erased...|Do you wish to proceed?",
                                 "Delete All Files Warning", rt::Icon::Question, rt::BUTTON_YES | rt::BUTTON_NO,
                                 rt::BUTTON_NO);
        if (answer != rt::BUTTON_YES)
            return {};
        if (!clearFolder(path, old)) {
            fatal("Unable to erase the files of the earlier CD in||" + path, "Directory Error");
            return {};
        }
    }
    return rt::withSlash(path);
}

ClientCdOutcome writeClientCd(const std::string &folder, const std::string &programFolder,
                              const std::function<void(const std::string &)> &progress)
{
    Writer w(folder, programFolder, progress);
    return w.go();
}

void reportClientCd(const ClientCdOutcome &outcome, const std::string &folder)
{
    if (outcome.complete()) {
        rt::message("CD writing complete", "Make CD Complete", rt::Icon::None, rt::BUTTON_OK);
        return;
    }
    std::string text = "The client CD in " + rt::clip(folder) + " is incomplete.||Missing:";
    for (std::size_t i = 0; i < outcome.missing.size() && i < kMissingShown; ++i)
        text += "|" + outcome.missing[i];
    if (outcome.missing.size() > kMissingShown)
        text += "|and " + std::to_string(outcome.missing.size() - kMissingShown) + " more";
    rt::message(text, "Make CD Incomplete", rt::Icon::Exclamation, rt::BUTTON_OK);
}
