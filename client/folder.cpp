#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <cctype>
#include <cstdlib>
#include <unistd.h>

#include "client/client.h"
#include "runtime/paths.h"
#include "runtime/text.h"

namespace client {

namespace {
std::string &fixed()
{
    static std::string f;
    return f;
}

std::string absoluteOf(const std::string &path)
{
    return QDir::cleanPath(QFileInfo(QString::fromStdString(path)).absoluteFilePath()).toStdString();
}
}  // namespace

void fixFolder()
{
    std::string f;
    if (const char *env = std::getenv("MARLOTTE_FOLDER"); env && *env)
        f = env;
    else if (std::string exe = rt::executableFolder();
             !exe.empty() && rt::fileExists(rt::joinPath(exe, dict::ClientSystemFileDef.diskName)))
        f = exe;
    else
        f = QDir::currentPath().toStdString();
    fixed() = absoluteOf(f);
}

const std::string &folder()
{
    if (fixed().empty())
        fixFolder();
    return fixed();
}

std::string fileIn(std::string_view bareName) { return rt::joinPath(folder(), bareName); }

std::string iniPath()
{
    if (::access(folder().c_str(), W_OK) == 0)
        return fileIn("marlotte.INI");
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty())
        config = QDir::homePath() + "/.config";
    QDir().mkpath(config + "/marlotte");
    return rt::joinPath((config + "/marlotte").toStdString(), "marlotte.INI");
}

bool isPictureName(std::string_view name)
{
    std::string n = rt::clip(name);
    if (n.size() < 4 || !rt::equalNoCase(std::string_view(n).substr(0, 3), "Pic"))
        return false;
    std::size_t i = 3;
    while (i < n.size() && std::isdigit(static_cast<unsigned char>(n[i])))
        ++i;
    if (i == 3)
        return false;
    // The suffix is what the CD writer kept of the source's name: its short extension.
    if (i < n.size() && n[i] == '.')
        ++i;
    if (n.size() - i > 5)
        return false;
    for (; i < n.size(); ++i)
        if (!std::isalnum(static_cast<unsigned char>(n[i])))
            return false;
    return true;
}

QString picturePath(std::string_view name)
{
    if (!isPictureName(name))
        return {};
    QFileInfo file(QString::fromStdString(fileIn(rt::clip(name))));
    // A link that leads out of the folder is not one of its pictures.
    if (file.exists() && QFileInfo(file.canonicalFilePath()).absolutePath() !=
                             QFileInfo(QString::fromStdString(folder())).canonicalFilePath())
        return {};
    return file.absoluteFilePath();
}

}  // namespace client
