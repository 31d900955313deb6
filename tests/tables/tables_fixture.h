// The program around the reference tables: a temporary home with a settings record, the shared
// files in it and one client folder "A1", and a way to look at the files without the program.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QLineEdit>
#include <QPushButton>
#include <filesystem>
#include <string>
#include <vector>

#include "core/clients.h"
#include "model/dictionary.h"
#include "model/globals.h"
#include "model/managers.h"
#include "core/procedures.h"
#include "core/program.h"
#include "runtime/gui.h"
#include "runtime/ini_store.h"
#include "runtime/window.h"
#include "tables/tables.h"
#include "tests/support/gui_support.h"
#include "tests/support/program_support.h"
#include "tests/support/record_damage.h"
#include "tests/support/test_support.h"

class TablesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing_support::startWithSettings(home, {registerTableProcedures});
        std::filesystem::create_directories(home.file("A1"));
        nameClientFiles(clientFolder(home.path(), "A1"));
    }
    void TearDown() override
    {
        testing_support::stopProgram();
    }

    // A fresh settings record with the seeding switch.
    void writeSettings(int disableAutoBuild)
    {
        MainSystemFileRecord s;
        std::string memo;
        rt::RecordFile file(dict::MainSystemFileDef, &s, &memo);
        file.name = MainSystemFile.name;
        ASSERT_EQ(file.create(), 0);
        ASSERT_EQ(file.open(rt::mode::ReadWriteDenyNone), 0);
        rt::clearRecord(dict::MainSystemFileDef, &s);
        s.PATHPRIMARYRESIDENCE = home.path();
        s.REPORTFORMAT = "Portrait";
        s.DISABLEAUTOBUILD = static_cast<rt::Byte>(disableAutoBuild);
        ASSERT_EQ(file.add(), 0);
        file.close();
    }

    // SQL straight on a record file: the rows as they are on disk.
    static std::vector<std::string> column(const rt::RecordFile &f, const std::string &sql)
    {
        std::vector<std::string> out;
        sqlite3 *db = nullptr;
        if (sqlite3_open_v2(f.name.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
            sqlite3_stmt *st = nullptr;
            if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK)
                while (sqlite3_step(st) == SQLITE_ROW)
                    out.emplace_back(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
            sqlite3_finalize(st);
        }
        sqlite3_close(db);
        return out;
    }
    static long count(const rt::RecordFile &f, const std::string &where = "1")
    {
        if (!std::filesystem::exists(f.name))
            return 0;
        auto v = column(f, "SELECT count(*) FROM data WHERE " + where);
        return v.empty() ? -1 : std::stol(v[0]);
    }
    static void exec(const rt::RecordFile &f, const std::string &sql)
    {
        EXPECT_EQ(testing_support::sqliteExec(f.name, sql), "") << f.name;
    }

    // The started window with this procedure name, the n-th of them.
    static rt::WindowProcedure *window(const QString &procedure, int n = 0)
    {
        for (rt::WindowProcedure *w : rt::startedWindows())
            if (w->procedureName() == procedure && n-- == 0)
                return w;
        return nullptr;
    }
    static void type(QWidget *form, const char *field, const QString &text)
    {
        auto *e = testing_support::find<QLineEdit>(form, field);
        ASSERT_NE(e, nullptr) << field;
        e->setText(text);
    }
    static void click(QWidget *w, const char *button)
    {
        auto *b = testing_support::find<QPushButton>(w, button);
        ASSERT_NE(b, nullptr) << button;
        b->click();
    }

    testing_support::TempHome home;
    testing_support::ScriptedMessages box;
};
