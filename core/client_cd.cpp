#include "core/client_cd.h"

#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
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
// The copying window hears of the item in hand no more often than this: painting the window
// for every item took most of the time of a large CD.
constexpr auto kProgressEvery = std::chrono::milliseconds(50);
// A copy refused because the source is no picture; not one of the runtime's error codes.
constexpr int kNotAPicture = -2;
const char *const kNotAPictureText = "not a JPEG, BMP or GIF picture";
// An item's picture fields, in the order its pictures are numbered on the CD.
struct PictureField {
    const char *name;
    decltype(MasterInventoryRecord::IMAGE) MasterInventoryRecord::*field;
};
const PictureField kPictureFields[] = {{"IMAGE", &MasterInventoryRecord::IMAGE},
                                       {"IMAGE2", &MasterInventoryRecord::IMAGE2},
                                       {"RECEIPTIMAGE", &MasterInventoryRecord::RECEIPTIMAGE},
                                       {"WARRANTYIMAGE", &MasterInventoryRecord::WARRANTYIMAGE}};
constexpr std::size_t kPictureCount = std::size(kPictureFields);

// The folder a path really names: absolute, without "." or "..", every link resolved, and no
// trailing "/". Empty when it cannot be resolved.
std::string normalFolder(const std::string &path)
{
    std::error_code ec;
    fs::path a = fs::absolute(rt::clip(path), ec);
    if (ec)
        return {};
    fs::path p = fs::weakly_canonical(a, ec);
    if (ec)
        return {};
    std::string s = p.lexically_normal().string();
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
            if (rel.empty() || rel.has_root_path() || *rel.begin() == "..")
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

// The files the writer puts below the CD folder besides the record files and the pictures, as
// paths relative to it: the client program with its libraries, the extras and the client help.
// All are taken from the program folder; nothing in the CD folder decides them.
std::vector<std::string> programFileNames(const std::string &programFolder)
{
    std::vector<std::string> names = clientProgramFiles(programFolder);
    for (const char *f : kProgramExtras)
        names.push_back(f);
    std::error_code ec;
    fs::path help = fs::path(rt::clip(programFolder)) / kClientHelpSource;
    std::vector<std::string> helpFiles;
    for (auto it = fs::recursive_directory_iterator(help, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        if (it->is_regular_file(ec))
            helpFiles.push_back((fs::path("help") / it->path().lexically_relative(help)).string());
    std::sort(helpFiles.begin(), helpFiles.end());
    names.insert(names.end(), helpFiles.begin(), helpFiles.end());
    return names;
}

// A relative path that stays where it is put: no root, no "." or "..".
bool plainRelative(const fs::path &rel)
{
    if (rel.empty() || rel.has_root_path())
        return false;
    for (const fs::path &part : rel)
        if (part == "." || part == ".." || part.empty())
            return false;
    return true;
}

// The entry at `rel` below `folder` when every folder on the way is a real folder there (a
// link is never followed) and the entry itself is no folder; else nothing.
std::optional<fs::path> ownEntry(const fs::path &folder, const fs::path &rel)
{
    if (!plainRelative(rel))
        return std::nullopt;
    fs::path at = folder;
    std::error_code ec;
    for (auto it = rel.begin(); it != rel.end(); ++it) {
        at /= *it;
        fs::file_status st = fs::symlink_status(at, ec);
        if (ec || !fs::exists(st))
            return std::nullopt;
        bool last = std::next(it) == rel.end();
        if (last)
            return fs::is_directory(st) ? std::nullopt : std::optional<fs::path>(at);
        if (!fs::is_directory(st))
            return std::nullopt;
    }
    return std::nullopt;
}

// What the clearing removes from the folder: only the files this writer puts there, by their
// names. A folder is never removed whole: the help files go one by one, so a user's own files
// in help/ stay.
std::vector<fs::path> leftovers(const std::string &folder, const std::string &programFolder)
{
    std::vector<std::string> names;
    for (const char *f : kRecordFiles)
        for (const char *suffix : {"", "-journal", ".create", ".create-journal"}) {
            names.push_back(std::string(f) + suffix);
            names.push_back(backupTempName(std::string(f) + suffix));
        }
    names.push_back(kClientProgram);
    for (const std::string &f : programFileNames(programFolder))
        names.push_back(f);
    std::set<fs::path> out;
    for (const std::string &n : names)
        if (std::optional<fs::path> p = ownEntry(folder, n))
            out.insert(*p);
    // The pictures and the client program's INI file: by the form of their names.
    std::error_code ec;
    for (const fs::directory_entry &e : fs::directory_iterator(folder, ec)) {
        std::string name = e.path().filename().string();
        if ((isCdPictureName(name) || rt::equalNoCase(name, "marlotte.INI")) && !e.is_directory(ec))
            if (std::optional<fs::path> p = ownEntry(folder, name))
                out.insert(*p);
    }
    return {out.begin(), out.end()};
}

bool clearFolder(const std::string &folder, const std::vector<fs::path> &paths)
{
    bool ok = true;
    std::error_code ec;
    std::set<fs::path> parents;
    for (auto it = paths.rbegin(); it != paths.rend(); ++it) {
        // A file or a link, never what a link points at.
        if (!fs::remove(*it, ec) && ec)
            ok = false;
        fs::path rel = it->lexically_relative(folder).parent_path();
        for (; !rel.empty(); rel = rel.parent_path())
            parents.insert(fs::path(folder) / rel);
    }
    // A folder of the writer's (a library's, the help's) goes once it is empty; anything else in
    // it stays. ownEntry only went through real folders, so none of these is a link.
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
    if (primary.empty() || data.empty() || !inside(target, data))
        return false;
    if (target == data)
        return true;
    fs::path rel = fs::path(target).lexically_relative(data);
    std::string first = rel.begin()->string();
    return validIdCode(first) && clientExists(primary, first);
}

// The record files in the folder that this writer does not write: its data would be mixed with
// theirs, or a copy would replace them.
std::vector<std::string> foreignRecordFiles(const std::string &folder)
{
    std::vector<std::string> out;
    std::error_code ec;
    for (const fs::directory_entry &e : fs::directory_iterator(folder, ec)) {
        std::string name = e.path().filename().string();
        if (name.size() < 4 || !rt::equalNoCase(name.substr(name.size() - 4), ".tps"))
            continue;
        if (std::find(std::begin(kRecordFiles), std::end(kRecordFiles), name) == std::end(kRecordFiles))
            out.push_back(name);
    }
    std::sort(out.begin(), out.end());
    return out;
}

int openErrorCode(const std::string &source, int error)
{
    std::error_code ec;
    if (error == ENOENT || error == ENOTDIR) {
        fs::path parent = fs::path(source).parent_path();
        return parent.empty() || fs::is_directory(parent, ec) ? rt::err::FileNotFound : rt::err::PathNotFound;
    }
    if (error == EACCES || error == EPERM)
        return rt::err::AccessDenied;
    if (error == EBUSY || error == ETXTBSY)
        return rt::err::AlreadyOpen;
    return -1;
}

struct Fd {
    int fd = -1;
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// Opens `rel` below `folder` for writing, making the folders on the way. Every step is taken
// below the one before without following a link, so the file is inside the folder whatever the
// folder holds. Returns the descriptor, or -1 with the reason in `why`.
int createInFolder(const std::string &folder, const std::string &rel, mode_t mode, std::string &why)
{
    fs::path path(rel);
    if (!plainRelative(path)) {
        why = "not a name inside the CD folder";
        return -1;
    }
    Fd dir;
    dir.fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (auto it = path.begin(); dir.fd >= 0 && std::next(it) != path.end(); ++it) {
        ::mkdirat(dir.fd, it->c_str(), 0755);
        int next = ::openat(dir.fd, it->c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0 && (errno == ELOOP || errno == ENOTDIR)) {
            why = (fs::path(folder) / *it).string() + " is a link or a file, not a folder";
            return -1;
        }
        ::close(dir.fd);
        dir.fd = next;
    }
    if (dir.fd < 0) {
        why = std::strerror(errno);
        return -1;
    }
    int fd = ::openat(dir.fd, path.filename().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0)
        why = errno == ELOOP ? (fs::path(folder) / path).string() + " is a link" : std::strerror(errno);
    return fd;
}

bool copyBytes(int from, int to)
{
    off_t at = 0;
    for (;;) {
        ssize_t n = ::copy_file_range(from, &at, to, nullptr, 1 << 30, 0);
        if (n == 0)
            return true;
        if (n > 0)
            continue;
        if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
            return false;
        break;  // not between these two files: copied by hand from where it stopped
    }
    std::vector<char> buf(1 << 16);
    for (;;) {
        ssize_t n = ::pread(from, buf.data(), buf.size(), at);
        if (n == 0)
            return true;
        if (n < 0)
            return false;
        at += n;
        for (ssize_t done = 0; done < n;) {
            ssize_t w = ::write(to, buf.data() + done, static_cast<std::size_t>(n - done));
            if (w < 0)
                return false;
            done += w;
        }
    }
}

// JPEG, BMP or GIF, by the first bytes of the file.
bool pictureHeader(int fd)
{
    unsigned char h[6] = {};
    ssize_t n = ::pread(fd, h, sizeof h, 0);
    if (n >= 3 && h[0] == 0xFF && h[1] == 0xD8 && h[2] == 0xFF)
        return true;
    if (n >= 2 && h[0] == 'B' && h[1] == 'M')
        return true;
    return n == 6 && (std::memcmp(h, "GIF87a", 6) == 0 || std::memcmp(h, "GIF89a", 6) == 0);
}

// Copies a regular file to `rel` below `folder`, keeping its permissions; with `picture`, only a
// JPEG, BMP or GIF file. Returns 0, the runtime's code, kNotAPicture, or -1 (the text in `why`).
int copyIntoFolder(const std::string &source, const std::string &folder, const std::string &rel, bool picture,
                   std::string &why)
{
    why.clear();
    Fd in;
    struct stat st;
    in.fd = rt::openRegularFile(source, st);
    if (in.fd == rt::kNotRegularFile) {
        why = picture ? kNotAPictureText : "it is not a file";
        return picture ? kNotAPicture : -1;
    }
    if (in.fd < 0) {
        int code = openErrorCode(source, errno);
        if (code == -1)
            why = std::strerror(errno);
        return code;
    }
    if (picture && !pictureHeader(in.fd)) {
        why = kNotAPictureText;
        return kNotAPicture;
    }
    Fd out;
    out.fd = createInFolder(folder, rel, st.st_mode & 0777, why);
    if (out.fd < 0)
        return -1;
    if (!copyBytes(in.fd, out.fd) || ::fchmod(out.fd, st.st_mode & 0777) != 0) {
        why = std::strerror(errno);
        ::unlinkat(AT_FDCWD, (fs::path(folder) / rel).c_str(), 0);
        return -1;
    }
    return 0;
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
        // The items are copied by the driver in one pass; only the items with pictures come back
        // here first, in asset order, so that the pictures are numbered as the items run.
        std::vector<int> pictureFields;
        for (const PictureField &p : kPictureFields)
            pictureFields.push_back(dict::MasterInventoryTempDef.fieldIndex(p.name));
        std::map<std::int64_t, std::array<std::string, kPictureCount>> named;
        auto told = std::chrono::steady_clock::now() - kProgressEvery;
        auto tell = [&](const MasterInventoryRecord &at) {
            if (!progress_)
                return;
            auto now = std::chrono::steady_clock::now();
            if (now - told >= kProgressEvery) {
                told = now;
                progress_(rt::formatText("@s40", at.DESCRIPTION.str()));
            }
        };
        rc = target.addCopiesOf(
            source, *dict::MasterInventoryDef.key("ASSETKEY"), pictureFields,
            [&](std::int64_t position) {
                tell(copy);
                copyPictures(copy, copy);
                std::array<std::string, kPictureCount> &names = named[position];
                for (std::size_t i = 0; i < kPictureCount; ++i)
                    names[i] = (copy.*kPictureFields[i].field).str();
            },
            [&] { tell(copy); });
        if (rc == 0) {
            out_.items = static_cast<int>(target.records());
            source.close();
            target.close();
            return;
        }
        // What the driver could not copy whole is added item by item, so that an item that cannot
        // be added is named and the others still reach the CD. The pictures already copied keep
        // their names.
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
            tell(item);
            static_cast<MasterInventoryRecord &>(copy) = item;
            copy.MEMO = item.MEMO;
            if (auto it = named.find(source.position()); it != named.end()) {
                for (std::size_t i = 0; i < kPictureCount; ++i)
                    copy.*kPictureFields[i].field = it->second[i];
            } else {
                copyPictures(item, copy);
            }
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

    // `from` and `to` may be the same record: each field's source is read before it is renamed.
    void copyPictures(const MasterInventoryRecord &from, MasterInventoryRecord &to)
    {
        for (const PictureField &p : kPictureFields)
            copyPicture(from, from.*p.field, to.*p.field);
    }

    template <typename Field>
    void copyPicture(const MasterInventoryRecord &item, const Field &source, Field &copy)
    {
        if (source.view().empty())
            return;
        std::string from = source.str();
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
        int code = copyIntoFolder(from, folder_, name, true, why);
        if (code == 0) {
            ++out_.pictures;
            return;
        }
        std::string text;
        switch (code) {
        case kNotAPicture:
            // Whatever else a picture field names (a text, a device, a file of the system) stays
            // off the CD; the closing message lists it.
            out_.missing.push_back("picture " + from + " (asset #" + rt::formatNumber("@n_07", item.ASSETNUMBER) +
                                   "): " + kNotAPictureText + ", not copied");
            return;
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
        // The client program, when it is found, leads the names.
        const std::vector<std::string> names = programFileNames(program_);
        if (names.empty() || names.front() != kClientProgram)
            out_.missing.push_back(std::string("the client program ") + kClientProgram + " (not found beside " +
                                   "this program in " + program_ + ")");
        std::error_code ec;
        if (!fs::is_regular_file(fs::path(program_) / kClientHelpSource / "index.html", ec))
            out_.missing.push_back("the client help folder (not found in " + program_ + kClientHelpSource + ")");
        const std::string helpPrefix = "help/";
        for (const std::string &f : names) {
            bool help = f.compare(0, helpPrefix.size(), helpPrefix) == 0;
            std::string source =
                program_ + (help ? std::string(kClientHelpSource) + "/" + f.substr(helpPrefix.size()) : f);
            std::string why;
            if (copyIntoFolder(source, folder_, f, false, why) != 0)
                out_.missing.push_back(f + (why.empty() ? " (not found in " + program_ + ")" : " (" + why + ")"));
        }
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
    // Only the headers, the dynamic section and its strings are read: a library built with its
    // debugging information is tens of megabytes, and every Make CD looks at each of them.
    Fd in;
    struct stat st;
    in.fd = rt::openRegularFile(path, st);
    if (in.fd < 0)
        return false;
    const std::uint64_t fileSize = static_cast<std::uint64_t>(st.st_size);
    auto fits = [&](std::uint64_t offset, std::uint64_t size) {
        return offset <= fileSize && size <= fileSize - offset;
    };
    auto readAt = [&](std::uint64_t offset, void *to, std::uint64_t size) {
        if (!fits(offset, size))
            return false;
        for (std::uint64_t done = 0; done < size;) {
            const ssize_t n = ::pread(in.fd, static_cast<char *>(to) + done, size - done,
                                      static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            done += static_cast<std::uint64_t>(n);
        }
        return true;
    };
    Elf64_Ehdr eh;
    if (!readAt(0, &eh, sizeof eh))
        return false;
    if (std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 || eh.e_ident[EI_CLASS] != ELFCLASS64 ||
        eh.e_ident[EI_DATA] != ELFDATA2LSB || eh.e_shentsize != sizeof(Elf64_Shdr))
        return false;
    auto section = [&](std::uint32_t i, Elf64_Shdr &sh) {
        return i < eh.e_shnum && readAt(eh.e_shoff + std::uint64_t(i) * sizeof(Elf64_Shdr), &sh, sizeof sh);
    };
    for (std::uint32_t i = 0; i < eh.e_shnum; ++i) {
        Elf64_Shdr dyn, strings;
        if (!section(i, dyn) || dyn.sh_type != SHT_DYNAMIC)
            continue;
        if (!section(dyn.sh_link, strings) || !fits(dyn.sh_offset, dyn.sh_size) ||
            !fits(strings.sh_offset, strings.sh_size))
            return false;
        std::string entries(dyn.sh_size, '\0'), names(strings.sh_size, '\0');
        if (!readAt(dyn.sh_offset, entries.data(), dyn.sh_size) ||
            !readAt(strings.sh_offset, names.data(), strings.sh_size))
            return false;
        auto text = [&](std::uint64_t at) {
            if (at >= names.size())
                return std::string();
            const char *s = names.data() + at;
            return std::string(s, strnlen(s, names.size() - at));
        };
        std::string runPath, rPath;
        for (std::uint64_t at = 0; at + sizeof(Elf64_Dyn) <= entries.size(); at += sizeof(Elf64_Dyn)) {
            Elf64_Dyn d;
            std::memcpy(&d, entries.data() + at, sizeof d);
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
    std::string typed = rt::clip(settings.PATHTOCD.str());
    if (typed.empty()) {
        fatal("You must setup the default CD drive designation in the Main System File first", "Drive/Path Not Set");
        return {};
    }
    // Every rule is applied to the folder the path really names: "TEMP/../../docs" or a link
    // named TEMP that leads elsewhere is judged, made and cleared as the folder it reaches.
    std::string path = normalFolder(typed);
    if (path.empty()) {
        fatal("Unable to create the directory||" + typed, "Directory Error");
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
    // The backup's own files (a client's heirs, locations and boxes) have the CD's file names.
    std::string backup = rt::clip(settings.PATHTOBACKUP.str());
    std::string backupFolder = backup.empty() ? std::string() : normalFolder(backup);
    if (!backupFolder.empty() && inside(path, backupFolder)) {
        fatal("The CD path||" + path + "||is in the backup folder " + backupFolder +
                  ": the CD would overwrite the backup's files.",
              "Invalid Path");
        return {};
    }
    if (std::vector<std::string> foreign = foreignRecordFiles(path); !foreign.empty()) {
        std::string names;
        for (const std::string &f : foreign)
            names += (names.empty() ? "" : ", ") + f;
        fatal("The CD path||" + path + "||holds record files that Make CD did not write (" + names +
                  "): the CD would be mixed with them.",
              "Invalid Path");
        return {};
    }
    // Made, then resolved once more: the folder made must be the one the rules were applied to.
    if (rt::makeFolder(path) != 0 || !rt::folderExists(path) || normalFolder(path) != path) {
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
