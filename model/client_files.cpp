#include "model/client_files.h"

#include "model/dictionary.h"
#include "runtime/paths.h"
#include "runtime/text.h"

namespace {
void nameFrom(rt::RecordFile &file, const std::string &folder)
{
    file.name = folder.empty() ? std::string() : rt::joinPath(folder, file.def().diskName);
}
}  // namespace

bool validIdCode(const std::string &idCode)
{
    std::string code = rt::clip(idCode);
    if (!rt::isBareName(code))
        return false;
    for (char c : code)
        if (c < '0' || (c > '9' && c < 'A') || c > 'Z')
            return false;
    return true;
}

std::string clientFolder(const std::string &primaryPath, const std::string &idCode)
{
    if (!validIdCode(idCode))
        return std::string();
    return rt::joinPath(primaryPath, rt::clip(idCode));
}

void BuildSharedFileNames(const std::string &primaryPath)
{
    for (rt::RecordFile *f : {&QORClients, &CustomReportSetups, &QORSubject, &Category, &Conditions, &Heirs,
                              &Manufacturers, &Type, &Vendors})
        nameFrom(*f, primaryPath);
}

void nameClientFiles(const std::string &folder)
{
    ImportASCIITab.name = folder.empty() ? std::string() : rt::joinPath(folder, dict::ImportASCIITabDef.diskName);
    for (rt::RecordFile *f : {&ImportFields, &Location, &MasterInventory, &BoxNumber, &UserFields, &Heirs})
        nameFrom(*f, folder);
}

bool readSettingsCopy(MainSystemFileRecord &copy)
{
    // Read through a record file of our own on the same disk file, so that the shared settings
    // buffer (and a settings form editing it) is never overwritten.
    std::string memo;
    rt::RecordFile file(dict::MainSystemFileDef, &copy, &memo);
    file.name = MainSystemFile.name;
    rt::clearRecord(dict::MainSystemFileDef, &copy);
    if (file.open(rt::mode::ReadOnlyDenyNone) != 0)
        return false;
    file.setFileOrder();
    bool ok = file.next() == 0;
    file.close();
    return ok;
}
