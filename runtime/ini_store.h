// The INI store of the program: window placement under each procedure's name.
#pragma once

#include <QString>

#include "runtime/ini.h"

class QWidget;

namespace rt {

class IniStore : public IniFile {
public:
    using IniFile::IniFile;
    // Keys "Maximize", "XPos", "YPos", "Width", "Height" under the procedure's section.
    void restoreWindow(const QString &procedure, QWidget *window) const;
    void saveWindow(const QString &procedure, const QWidget *window);
};

// The program's one INI store (zenvik.INI or marlotte.INI), bound at program start.
IniStore &iniStore();

}  // namespace rt
