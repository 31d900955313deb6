#include "tests/support/program_support.h"

#include <cstdlib>

#include "model/dictionary.h"
#include "model/globals.h"
#include "model/managers.h"
#include "core/program.h"
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
