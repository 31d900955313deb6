// The part of the file maintenance that runs before the frame: the offer to repair a file whose
// opening did not complete in an earlier run.
#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <string>
#include <vector>

#include "core/dictionary.h"
#include "core/globals.h"
#include "core/procedures.h"
#include "runtime/file_structure.h"
#include "runtime/gui.h"
#include "runtime/paths.h"
#include "runtime/message.h"
#include "runtime/text.h"
#include "runtime/window.h"

namespace {

// Starts the repair program on the file, detached, with an argument list (never a shell).
void startRepair(rt::RecordFile &file)
{
    std::string result = rt::ds_MakeTPE(file);
    if (result == "1") {
        rt::message("Unable to create TPE Example file.", "Error");
        return;
    }
    if (result == "2") {
        rt::message("Not a TOPSPEED file.", "Error");
        return;
    }
    if (result == "3") {
        rt::message("Error creating TPE file : " + rt::clip(rt::errorText()), "Error");
        return;
    }
    QString program = QCoreApplication::applicationDirPath() + "/recordfix";
    if (!QFileInfo(program).isExecutable())
        return;
    QString name = QString::fromStdString(rt::clip(file.name));
    QString example = QString::fromStdString(rt::exampleFileName(file.name));
    QProcess::startDetached(program, {name, "/E:" + example, "/K"});
}

}  // namespace

bool offerBadFileRepair()
{
    rt::takeRequest();
    rt::IniFile profile = rt::profileFile();
    std::string bad = rt::clip(profile.read(rt::ds_AppName(), "BadFile", ""));
    if (bad.empty())
        return false;
    int answer = rt::message("Warning : The program may have crashed attempting to open the file " + bad +
                                 ". Do you wish to have the program attempt to fix the file ? ",
                             "Warning", rt::Icon::Question, rt::BUTTON_YES | rt::BUTTON_NO, rt::BUTTON_YES);
    rt::setResponse(rt::RequestCancelled);
    if (answer != rt::BUTTON_YES)
        return false;
    rt::message("This program needs to close while the Fix Utility attempts to fix the file. When the fix program "
                "finishes running you can run this application again.",
                "Information", rt::Icon::Information);
    if (rt::RecordFile *file = dict::fileByLabel(bad)) {
        startRepair(*file);
    } else {
        // A file found damaged is noted by its full path: repaired there, as its record type.
        for (rt::RecordFile *f : dict::allFiles()) {
            if (!rt::equalNoCase(f->def().diskName, rt::baseName(bad)))
                continue;
            std::vector<unsigned char> scratch(f->def().recordSize);
            std::string memo;
            rt::RecordFile damaged(f->def(), scratch.data(), &memo);
            damaged.name = bad;
            startRepair(damaged);
            break;
        }
    }
    profile.write(rt::ds_AppName(), "BadFile", "");
    return true;
}
