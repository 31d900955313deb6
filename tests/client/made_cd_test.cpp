// The client program over a folder that the professional program's Make CD wrote: everything
// shows, and the folder is left as it was but for the client's INI file.
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <cstdlib>
#include <cstring>

#include "client/client.h"
#include "core/client_cd.h"
#include "model/dictionary.h"
#include "model/globals.h"
#include "model/client_files.h"
#include "runtime/browse_window.h"
#include "runtime/gui.h"
#include "runtime/paths.h"
#include "runtime/window.h"
#include "tests/support/gui_support.h"
#include "tests/support/program_support.h"
#include "tests/support/test_support.h"

using testing_support::find;
using testing_support::onNextModal;
using testing_support::pump;

namespace {

// Every file below the folder with a checksum of its bytes.
std::map<QString, QByteArray> tree(const std::string &root)
{
    std::map<QString, QByteArray> out;
    const QDir base(QString::fromStdString(root));
    QDirIterator it(base.path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        f.open(QIODevice::ReadOnly);
        out[base.relativeFilePath(f.fileName())] = QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
    }
    return out;
}

void addOne(rt::RecordFile &f)
{
    std::vector<unsigned char> keep(f.def().recordSize);
    std::memcpy(keep.data(), f.record(), keep.size());
    ASSERT_EQ(f.create(), 0) << f.name;
    ASSERT_EQ(f.open(rt::mode::ReadWriteDenyNone), 0);
    std::memcpy(f.record(), keep.data(), keep.size());
    ASSERT_EQ(f.add(), 0);
    f.close();
}

// The professional program's side: a producer, a client with every status among its items and
// one item with all four pictures, and the CD folder written for it.
std::string makeCd(const testing_support::TempHome &home)
{
    testing_support::startProgram(home);
    const std::string primary = home.path();
    rt::clearRecord(dict::MainSystemFileDef, &MSY);
    MSY.NAME = "Harbour Inventories";
    MSY.EMAILADDRESS = "desk@harbour.example";
    MSY.PATHPRIMARYRESIDENCE = primary;
    MSY.PATHTOCD = home.file("Temp/");
    addOne(MainSystemFile);
    BuildSharedFileNames(primary);
    QORClients.name = rt::joinPath(primary, "qorclnt.tps");
    rt::clearRecord(dict::QORClientsDef, &QOC);
    QOC.IDCODE = "A1";
    QOC.LASTNAME = "Okafor";
    addOne(QORClients);
    CAT.CATEGORY = "Furniture";
    addOne(Category);
    nameClientFiles(clientFolder(primary, "A1"));
    rt::makeFolder(clientFolder(primary, "A1"));
    LCT.LOCATION = "Attic";
    addOne(Location);
    BOX.LOCATION = "Attic";
    BOX.BOXNUMBER = "B7";
    addOne(BoxNumber);
    HEI.NAME = "Chidi";
    addOne(Heirs);
    USF.TITLEUSERFIELD1 = "Insurer";
    addOne(UserFields);

    const QSize sizes[] = {{300, 150}, {400, 400}, {100, 200}, {1000, 100}};
    for (int i = 0; i < 4; ++i)
        QImage(sizes[i], QImage::Format_RGB32).save(QString::fromStdString(home.file("pic" + std::to_string(i) + ".jpg")));
    EXPECT_EQ(MasterInventory.create(), 0);
    EXPECT_EQ(MasterInventory.open(rt::mode::ReadWriteDenyNone), 0);
    const char *statuses[] = {"Have", "Sell", "Want", "Sold", "Info"};
    for (int i = 0; i < 5; ++i) {
        rt::clearRecord(dict::MasterInventoryDef, static_cast<MasterInventoryRecord *>(&MAS));
        MAS.ASSETNUMBER = i + 1;
        MAS.STATUS = statuses[i];
        MAS.CATEGORY = "Furniture";
        MAS.LOCATION = "Attic";
        MAS.DESCRIPTION = std::string("Chair ") + statuses[i];
        MAS.QUANTITY = 2;
        MAS.MARKETVALUE.setCents(1050);
        MAS.HEIR = i == 0 ? "Chidi" : "";
        if (i == 0) {
            MAS.IMAGE = home.file("pic0.jpg");
            MAS.IMAGE2 = home.file("pic1.jpg");
            MAS.RECEIPTIMAGE = home.file("pic2.jpg");
            MAS.WARRANTYIMAGE = home.file("pic3.jpg");
        }
        EXPECT_EQ(MasterInventory.add(), 0);
    }
    MasterInventory.close();
    Glo.ActiveClientID = "A1";
    Glo.ActiveClientText = "Okafor";

    // The program files come from the build folder: the real client program and its libraries.
    const std::string program = rt::withSlash(ORVANE_BUILD_DIR);
    const std::string folder = prepareClientCdFolder(program);
    EXPECT_FALSE(folder.empty());
    ClientCdOutcome out = writeClientCd(folder, program, [](const std::string &) {});
    EXPECT_TRUE(out.complete()) << (out.missing.empty() ? "" : out.missing[0]);
    EXPECT_TRUE(rt::fileExists(folder + "marlotte"));
    EXPECT_TRUE(rt::fileExists(folder + "help/index.html"));
    EXPECT_EQ(out.items, 5);
    EXPECT_EQ(out.pictures, 4);
    testing_support::stopProgram();
    return folder;
}

TEST(MadeCd, OpensWithItsFilesUnchanged)
{
    testing_support::TempHome home;
    testing_support::ScriptedMessages box;
    const std::string folder = makeCd(home);
    const auto before = tree(folder);
    box.clear();
    if (const char *keep = std::getenv("ORVANE_CD_KEEP"); keep && *keep) {
        // A copy to start the copied program on by hand.
        QDir().mkpath(keep);
        for (const auto &[name, sum] : before) {
            QDir().mkpath(QFileInfo(QString(keep) + "/" + name).absolutePath());
            QFile::copy(QString::fromStdString(folder) + name, QString(keep) + "/" + name);
        }
    }

    ::setenv("MARLOTTE_FOLDER", folder.c_str(), 1);
    client::startProgram();
    ASSERT_NE(client::openFrame(), nullptr);
    EXPECT_EQ(CSF.NAME.str(), "Harbour Inventories");
    auto open = [](const char *procedure, const char *word) -> rt::BrowseWindow * {
        Glo.MenuSelect = word;
        Glo.MenuCategory = word;
        rt::runProcedure(procedure);
        pump(10);
        for (rt::WindowProcedure *w : rt::startedWindows())
            if (w->procedureName() == procedure)
                return static_cast<rt::BrowseWindow *>(w);
        return nullptr;
    };
    rt::BrowseWindow *browses[] = {open("BrowseOrvaneMasterSpec", "Furniture"),
                                   open("BrowseOrvaneMasterLocation", "Attic"), open("BrowseOrvaneMaster", "")};
    for (rt::BrowseWindow *b : browses) {
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->findChild<QLabel *>("Number of items")->text(), "5");
        EXPECT_EQ(b->findChild<QLabel *>("Value of items")->text(), "42.00");  // Have and Sell, 2 x 10.50 each
        for (int t = 0; t < b->tabs()->count(); ++t) {
            b->tabs()->setCurrentIndex(t);
            pump();
        }
        b->tabs()->setCurrentIndex(0);
        pump();
    }
    browses[2]->browse()->setCurrentRow(0);
    bool seen = false;
    onNextModal([&](QWidget *v) {
        seen = true;
        auto *tabs = v->findChild<QTabWidget *>("sheet");
        for (int t = 0; t < tabs->count(); ++t) {
            tabs->setCurrentIndex(t);
            pump();
        }
        for (const char *name : {"IMAGE picture", "IMAGE2 picture", "RECEIPTIMAGE picture", "WARRANTYIMAGE picture"})
            EXPECT_FALSE(v->findChild<QLabel *>(name)->isHidden()) << name;
        EXPECT_EQ(v->findChild<QLabel *>("Title 1")->text(), "Insurer");
        find<QPushButton>(v, "Close")->click();
    });
    browses[2]->changeButton()->click();
    EXPECT_TRUE(seen);
    rt::runProcedure("ReportFormat");
    pump(10);
    for (rt::WindowProcedure *w : rt::startedWindows())
        if (w->procedureName() == "ReportFormat")
            find<QRadioButton>(w, "Landscape")->click();
    client::closeFrame();
    pump(20);
    client::endProgram();
    ::unsetenv("MARLOTTE_FOLDER");
    EXPECT_TRUE(box.shown().empty()) << box.shown()[0].text;

    auto after = tree(folder);
    ASSERT_EQ(after.count("marlotte.INI"), 1u);
    after.erase("marlotte.INI");
    EXPECT_EQ(after, before);
}

}  // namespace
