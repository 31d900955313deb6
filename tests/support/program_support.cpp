#include "tests/support/program_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "model/dictionary.h"
#include "model/globals.h"
#include "model/managers.h"
#include "model/client_files.h"
#include "core/program.h"
#include "runtime/paths.h"
#include "runtime/record_file.h"
#include "runtime/gui.h"
#include "runtime/ini_store.h"
#include "runtime/window.h"
#include "tests/support/gui_support.h"

namespace testing_support {

void startProgram(const TempHome &home, std::initializer_list<ProcedureModule> modules)
{
    // Each test holds its own running-copy lock in its own home.
    ::setenv("XDG_RUNTIME_DIR", home.path().c_str(), 1);
    rt::releaseSingleInstance();
    dict::resetGlobals();
    resetProgramGlobals();
    nameProgramFolderFiles();
    installProfessionalEdition();
    rt::iniStore().setPath(home.file("zenvik.INI"));
    for (ProcedureModule m : modules)
        addProcedureModule(m);
    registerProgramProcedures();
    registerRecordFiles();
    DictionaryInit();
}

void putRecord(rt::RecordFile &file, const std::function<void()> &fill)
{
    if (!rt::fileExists(file.name)) {
        ASSERT_EQ(file.create(), 0);
    }
    ASSERT_EQ(file.open(rt::mode::ReadWriteDenyNone), 0);
    rt::clearRecord(file.def(), file.record());
    if (file.memo())
        file.memo()->clear();
    fill();
    ASSERT_EQ(file.add(), 0);
    file.close();
}

void writeSettings(const TempHome &home, const std::function<void()> &more)
{
    if (rt::fileExists(MainSystemFile.name))
        std::remove(MainSystemFile.name.c_str());
    putRecord(MainSystemFile, [&] {
        MSY.PATHPRIMARYRESIDENCE = home.path();
        MSY.REPORTFORMAT = "Portrait";
        if (more)
            more();
    });
}

void startWithSettings(const TempHome &home, std::initializer_list<ProcedureModule> modules,
                       const std::function<void()> &moreSettings, bool clientA1)
{
    startProgram(home, modules);
    writeSettings(home, moreSettings);
    BuildSharedFileNames(home.path());
    if (!clientA1)
        return;
    nameClientFiles(clientFolder(home.path(), "A1"));
    rt::makeFolder(home.file("A1"));
    Glo.ClientSelected = 1;
}

void stopProgram()
{
    rt::setProcedureObserver(nullptr);
    for (rt::WindowProcedure *w : rt::startedWindows())
        w->requestClose();
    pump(20);
    DictionaryKill();
    rt::releaseSingleInstance();
}

}  // namespace testing_support
