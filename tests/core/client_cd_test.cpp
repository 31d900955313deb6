#include <elf.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include "core/client_cd.h"
#include "model/dictionary.h"
#include "model/globals.h"
#include "model/client_files.h"
#include "runtime/gui.h"
#include "runtime/paths.h"
#include "runtime/window.h"
#include "tests/support/gui_support.h"
#include "tests/support/program_support.h"
#include "tests/support/record_damage.h"
#include "tests/support/test_support.h"

using namespace rt;
using testing_support::ScriptedMessages;
using testing_support::TempHome;
namespace fs = std::filesystem;

namespace {

void writeFile(const std::string &path, const std::string &bytes)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Every file below the folder, by relative path.
std::vector<std::string> treeOf(const std::string &root)
{
    std::vector<std::string> files;
    for (auto &e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file())
            files.push_back(fs::relative(e.path(), root).string());
    std::sort(files.begin(), files.end());
    return files;
}

std::map<std::string, std::size_t> checksums(const std::string &root)
{
    std::map<std::string, std::size_t> sums;
    for (const std::string &f : treeOf(root))
        sums[f] = std::hash<std::string>{}(testing_support::readBytes(joinPath(root, f)));
    return sums;
}

// A 64-bit ELF file whose dynamic section names `needed` and the run path `runPath`, as the
// client program's does.
std::string elfNaming(const std::vector<std::string> &needed, const std::string &runPath)
{
    std::string strings(1, '\0');
    std::vector<Elf64_Dyn> dyn;
    for (const std::string &n : needed) {
        dyn.push_back({DT_NEEDED, {strings.size()}});
        strings += n + '\0';
    }
    dyn.push_back({DT_RUNPATH, {strings.size()}});
    strings += runPath + '\0';
    dyn.push_back({DT_NULL, {0}});
    Elf64_Ehdr eh{};
    std::memcpy(eh.e_ident, ELFMAG, SELFMAG);
    eh.e_ident[EI_CLASS] = ELFCLASS64;
    eh.e_ident[EI_DATA] = ELFDATA2LSB;
    eh.e_ident[EI_VERSION] = EV_CURRENT;
    eh.e_type = ET_EXEC;
    eh.e_machine = EM_X86_64;
    eh.e_version = EV_CURRENT;
    eh.e_ehsize = sizeof eh;
    eh.e_shentsize = sizeof(Elf64_Shdr);
    eh.e_shnum = 3;
    const std::size_t dynBytes = dyn.size() * sizeof(Elf64_Dyn);
    eh.e_shoff = sizeof eh + dynBytes + strings.size();
    Elf64_Shdr sh[3]{};
    sh[1].sh_type = SHT_DYNAMIC;
    sh[1].sh_offset = sizeof eh;
    sh[1].sh_size = dynBytes;
    sh[1].sh_link = 2;
    sh[2].sh_type = SHT_STRTAB;
    sh[2].sh_offset = sizeof eh + dynBytes;
    sh[2].sh_size = strings.size();
    std::string out(reinterpret_cast<const char *>(&eh), sizeof eh);
    out.append(reinterpret_cast<const char *>(dyn.data()), dynBytes);
    out += strings;
    out.append(reinterpret_cast<const char *>(sh), sizeof sh);
    return out;
}

bool isPictureField(const std::string &name)
{
    return name == "IMAGE" || name == "IMAGE2" || name == "RECEIPTIMAGE" || name == "WARRANTYIMAGE";
}

// Fills every field of an item with a value of its own.
void fillItem(MasterInventoryBuffer &item, int asset, int seed)
{
    clearRecord(dict::MasterInventoryDef, &item);
    int i = 0;
    for (const FieldDef &f : dict::MasterInventoryDef.fields) {
        ++i;
        if (f.kind == FieldKind::STRING)
            setFieldText(f, &item, f.name + std::string("-") + std::to_string(seed) + "\xc3\xa9");
        else
            setFieldNumber(f, &item, (i * 7 + seed) % 200 + 1);
    }
    item.ASSETNUMBER = asset;
    item.IMAGE = "";
    item.IMAGE2 = "";
    item.RECEIPTIMAGE = "";
    item.WARRANTYIMAGE = "";
    item.MEMO = "Bought in Lyon, r\xc3\xa9" "par\xc3\xa9 1998.\r\nSecond line\twith a tab " + std::to_string(seed);
}

// The first bytes of a JPEG, a BMP and a GIF file: what makes a file a picture to the CD.
const std::string kJpeg = "\xff\xd8\xff\xe0 piano picture bytes";
const std::string kBmp = "BM receipt bytes";
const std::string kGif = "GIF89a clock picture bytes";

const std::vector<std::string> kCdFiles = {
    "Pic00001.jpeg", "Pic00002.PNG", "Pic00003",     "autorun.inf",    "clntsys.tps",    "help/index.html",
    "libcdfake_a.so", "libcdfake_b.so", "marlotte",  "master.tps",     "orvane.ico",     "qorbox.tps",
    "qorcat.tps",    "qorhrs.tps",   "qorloc.tps"};

class ClientCd : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing_support::startProgram(home);
        primary = home.path();
        cd = home.file("Temp/");
        program = home.file("prog.temp/");  // passes the path rule, for the refusal of its own
        fs::copy(FAKE_CLIENT_PROGRAM_DIR, program, fs::copy_options::recursive);
        writeFile(program + "autorun.inf", "[autorun]\r\nopen=marlotte\r\n");
        writeFile(program + "orvane.ico", std::string("\0\0\1\0", 4));
        writeFile(program + "help/client/index.html", "<html>client help</html>");
        writeFile(program + "help/index.html", "<html>the professional program's help</html>");

        clearRecord(dict::MainSystemFileDef, &MSY);
        MSY.NAME = "Harbour Inventories";
        MSY.ADDRESS = "12 Quay Street";
        MSY.CSZ = "Portsmouth";
        MSY.PHONE = "555 0100";
        MSY.EMAILADDRESS = "desk@harbour.example";
        MSY.PRINTADDRESSLINE = 1;
        MSY.REPORTFORMAT = "Laser";
        MSY.PATHPRIMARYRESIDENCE = primary;
        MSY.PATHTOCD = cd;
        addOne(MainSystemFile);
        BuildSharedFileNames(primary);
        addClient("A1", "Okafor", "Ada");
        ASSERT_EQ(Category.create(), 0);
        ASSERT_EQ(Category.open(mode::ReadWriteDenyNone), 0);
        for (const char *c : {"Furniture", "Music"}) {
            CAT.CATEGORY = c;
            CAT.DESCRIPTION = std::string(c) + " of the house";
            ASSERT_EQ(Category.add(), 0);
        }
        Category.close();

        nameClientFiles(clientFolder(primary, "A1"));
        ASSERT_EQ(makeFolder(clientFolder(primary, "A1")), 0);
        LCT.LOCATION = "Attic";
        addOne(Location);
        BOX.LOCATION = "Attic";
        BOX.BOXNUMBER = "B7";
        addOne(BoxNumber);
        HEI.NAME = "Chidi";
        addOne(Heirs);
        USF.TITLEUSERFIELD1 = "Insurer";
        USF.TITLEUSERFIELD2 = "Policy";
        USF.TITLEUSERFIELD3 = "Room";
        USF.TITLEUSERFIELD4 = "Colour code";
        addOne(UserFields);

        // Entered out of asset order: the CD follows the asset key.
        writeFile(home.file("pics/clock"), kGif);
        writeFile(home.file("pics/piano.jpeg"), kJpeg);
        writeFile(home.file("pics/receipt.PNG"), kBmp);
        ASSERT_EQ(MasterInventory.create(), 0);
        ASSERT_EQ(MasterInventory.open(mode::ReadWriteDenyNone), 0);
        fillItem(MAS, 7, 2);
        MAS.IMAGE2 = home.file("pics/clock");
        MAS.IMAGE3 = "/elsewhere/clock-detail.jpg";
        items[7] = MAS;
        ASSERT_EQ(MasterInventory.add(), 0);
        fillItem(MAS, 3, 1);
        MAS.IMAGE = home.file("pics/piano.jpeg");
        MAS.RECEIPTIMAGE = home.file("pics/receipt.PNG");
        items[3] = MAS;
        ASSERT_EQ(MasterInventory.add(), 0);
        MasterInventory.close();

        Glo.ActiveClientID = "A1";
        Glo.ActiveClientText = "Ada Okafor";
    }
    void TearDown() override { testing_support::stopProgram(); }

    void addOne(RecordFile &f)
    {
        std::vector<unsigned char> keep(f.def().recordSize);
        std::memcpy(keep.data(), f.record(), keep.size());
        ASSERT_EQ(f.create(), 0) << f.name;
        ASSERT_EQ(f.open(mode::ReadWriteDenyNone), 0);
        std::memcpy(f.record(), keep.data(), keep.size());
        ASSERT_EQ(f.add(), 0);
        f.close();
    }
    void addClient(const std::string &id, const std::string &last, const std::string &first)
    {
        QORClients.name = joinPath(primary, "qorclnt.tps");
        if (!fileExists(QORClients.name)) {
            ASSERT_EQ(QORClients.create(), 0);
        }
        ASSERT_EQ(QORClients.open(mode::ReadWriteDenyNone), 0);
        clearRecord(dict::QORClientsDef, &QOC);
        QOC.IDCODE = id;
        QOC.LASTNAME = last;
        QOC.FIRSTNAME = first;
        QOC.ADDRESS1 = "3 Elm Row";
        QOC.ADDRESS3 = "Flat 2";
        QOC.CSZ = "Leeds LS1";
        QOC.HOMEPHONE = "5550111";
        QOC.WORKEXT = "12";
        QOC.EMAIL = "ada@example.org";
        ASSERT_EQ(QORClients.add(), 0);
        QORClients.close();
    }
    void setCdPath(const std::string &path, const std::string &backup = "")
    {
        ASSERT_EQ(MainSystemFile.open(mode::ReadWriteDenyNone), 0);
        MainSystemFile.setFileOrder();
        ASSERT_EQ(MainSystemFile.next(), 0);
        MSY.PATHTOCD = path;
        MSY.PATHTOBACKUP = backup;
        ASSERT_EQ(MainSystemFile.put(), 0);
        MainSystemFile.close();
    }
    // The whole run, as the two windows do it.
    ClientCdOutcome make()
    {
        std::string folder = prepareClientCdFolder(program);
        if (folder.empty())
            return {};
        ClientCdOutcome out = writeClientCd(folder, program, [this](const std::string &d) { progress.push_back(d); });
        reportClientCd(out, folder);
        return out;
    }

    TempHome home;
    ScriptedMessages box;
    std::string primary, cd, program;
    std::map<int, MasterInventoryBuffer> items;
    std::vector<std::string> progress;
};

}  // namespace

TEST_F(ClientCd, WritesTheFolderTheClientProgramReadsAndRunsFrom)
{
    ClientCdOutcome out = make();
    EXPECT_TRUE(out.complete());
    EXPECT_EQ(out.items, 2);
    EXPECT_EQ(out.pictures, 3);
    EXPECT_EQ(treeOf(cd), kCdFiles);
    ASSERT_EQ(box.shown().size(), 1u) << box.shown()[0].text;
    EXPECT_EQ(box.shown()[0].text, "CD writing complete");
    EXPECT_EQ(box.shown()[0].title, "Make CD Complete");
    // The first item at once, then no more often than every 50 ms.
    ASSERT_FALSE(progress.empty());
    EXPECT_LE(progress.size(), 2u);
    EXPECT_EQ(progress[0], "DESCRIPTION-1\xc3\xa9");
    EXPECT_EQ(testing_support::readBytes(cd + "Pic00001.jpeg"), kJpeg);
    EXPECT_EQ(testing_support::readBytes(cd + "Pic00002.PNG"), kBmp);
    EXPECT_EQ(testing_support::readBytes(cd + "Pic00003"), kGif);
    EXPECT_EQ(testing_support::readBytes(cd + "help/index.html"), "<html>client help</html>");

    // From outside: closed files, no journal, sound databases.
    for (const std::string &f : treeOf(cd))
        EXPECT_EQ(f.find("-journal"), std::string::npos) << f;
    for (const char *f : {"master.tps", "clntsys.tps", "qorcat.tps", "qorbox.tps", "qorloc.tps", "qorhrs.tps"})
        EXPECT_EQ(testing_support::sqliteText(cd + f, "PRAGMA integrity_check"), "ok") << f;
    std::map<std::string, std::size_t> before = checksums(cd);

    // The items as the client program reads them: read-only, as MasterInventory.
    MasterInventoryBuffer read;
    RecordFile master(dict::MasterInventoryDef, static_cast<MasterInventoryRecord *>(&read), &read.MEMO);
    master.name = cd + "master.tps";
    ASSERT_EQ(master.open(mode::ReadOnlyDenyNone), 0);
    const std::map<int, std::vector<std::string>> pictures = {{3, {"Pic00001.jpeg", "", "Pic00002.PNG", ""}},
                                                              {7, {"", "Pic00003", "", ""}}};
    int seen = 0;
    master.set(*dict::MasterInventoryDef.key("ASSETKEY"));
    while (master.next() == 0) {
        ++seen;
        const MasterInventoryBuffer &source = items.at(read.ASSETNUMBER);
        int picture = 0;
        for (const FieldDef &f : dict::MasterInventoryDef.fields) {
            std::string name = f.name;
            if (isPictureField(name))
                EXPECT_EQ(fieldText(f, &read), pictures.at(read.ASSETNUMBER)[picture++]) << name;
            else
                EXPECT_EQ(fieldText(f, &read), fieldText(f, &source)) << name;
        }
        EXPECT_EQ(read.MEMO, source.MEMO);
    }
    EXPECT_EQ(seen, 2);
    master.close();

    ClientSystemFileRecord csf;
    RecordFile system(dict::ClientSystemFileDef, &csf);
    system.name = cd + "clntsys.tps";
    ASSERT_EQ(system.open(mode::ReadOnlyDenyNone), 0);
    EXPECT_EQ(system.records(), 1);
    system.setFileOrder();
    ASSERT_EQ(system.next(), 0);
    system.close();
    EXPECT_EQ(csf.NAME.str(), "Harbour Inventories");
    EXPECT_EQ(csf.EMAILADDRESS.str(), "desk@harbour.example");
    EXPECT_EQ(csf.LASTNAME.str(), "Okafor");
    EXPECT_EQ(csf.ADDRESS3.str(), "Flat 2");
    EXPECT_EQ(csf.CLIENTCSZ.str(), "Leeds LS1");
    EXPECT_EQ(csf.WORKEXT.str(), "12");
    EXPECT_EQ(csf.EMAIL.str(), "ada@example.org");
    EXPECT_EQ(csf.TITLEUSERFIELD1.str(), "Insurer");
    EXPECT_EQ(csf.TITLEUSERFIELD4.str(), "Colour code");
    EXPECT_EQ(csf.PRINTADDRESSLINE, 0);
    EXPECT_EQ(testing_support::sqliteText(cd + "clntsys.tps", "SELECT typeof(reportformat) || ':' || reportformat "
                                                              "FROM data"),
              "text:");
    EXPECT_EQ(testing_support::sqliteNumber(cd + "qorcat.tps", "SELECT count(*) FROM data"), 2);
    EXPECT_EQ(testing_support::sqliteText(cd + "qorbox.tps", "SELECT boxnumber FROM data"), "B7");
    EXPECT_EQ(checksums(cd), before);

    // The client program starts from the folder, its libraries found beside it.
    std::string command = "cd '" + cd + "' && ./marlotte > /dev/null";
    int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

    // A second CD for another client replaces the first one's items and system record.
    addClient("B2", "Mensah", "Kofi");
    ASSERT_EQ(makeFolder(clientFolder(primary, "B2")), 0);
    nameClientFiles(clientFolder(primary, "B2"));
    ASSERT_EQ(UserFields.create(), 0);  // the titles file without its record
    Glo.ActiveClientID = "B2";
    box.clear();
    box.answer(BUTTON_YES);
    out = make();
    EXPECT_EQ(box.shown()[0].title, "Delete All Files Warning");
    EXPECT_EQ(out.items, 0);
    EXPECT_EQ(testing_support::sqliteNumber(cd + "master.tps", "SELECT count(*) FROM data"), 0);
    EXPECT_EQ(testing_support::sqliteText(cd + "clntsys.tps", "SELECT group_concat(lastname) FROM data"), "Mensah");
    EXPECT_FALSE(fs::exists(cd + "Pic00001.jpeg"));
    // The client without a titles record, boxes, locations or heirs: blank titles, empty files.
    EXPECT_EQ(testing_support::sqliteText(cd + "clntsys.tps", "SELECT titleuserfield1 FROM data"), "");
    EXPECT_EQ(testing_support::sqliteNumber(cd + "qorhrs.tps", "SELECT count(*) FROM data"), 0);
    EXPECT_TRUE(out.complete());
    EXPECT_EQ(box.shown().back().text, "CD writing complete");
}

TEST_F(ClientCd, PathRulesAndTheClearing)
{
    struct Case {
        std::string path, title, text;
    };
    const std::vector<Case> refused = {
        {"", "Drive/Path Not Set", "You must setup the default CD drive designation in the Main System File first"},
        {home.file("cdstage/"), "Invalid Path", "Invalid path, must contain TEMP"},
        {"E", "Invalid Path", "Invalid path, must contain TEMP"},
    };
    for (const Case &c : refused) {
        setCdPath(c.path);
        box.clear();
        EXPECT_EQ(prepareClientCdFolder(program), "") << c.path;
        ASSERT_EQ(box.shown().size(), 1u) << c.path;
        EXPECT_EQ(box.shown()[0].title, c.title);
        EXPECT_EQ(box.shown()[0].text, c.text);
        EXPECT_EQ(box.shown()[0].buttons, BUTTON_ABORT);
    }
    EXPECT_FALSE(fs::exists(home.file("cdstage")));

    // "temp" in any letter case passes.
    for (const char *folder : {"stage.tEmP", "TEMP/disc"}) {
        setCdPath(home.file(folder));
        box.clear();
        EXPECT_EQ(prepareClientCdFolder(program), withSlash(home.file(folder)));
        EXPECT_TRUE(box.shown().empty());
        EXPECT_TRUE(folderExists(home.file(folder)));
    }

    // A client's folder (or one inside it), the primary data folder and the program's folder
    // are refused before anything is deleted.
    addClient("TEMP2", "Mensah", "Kofi");
    std::string data = clientFolder(primary, "TEMP2");
    nameClientFiles(data);
    ASSERT_EQ(makeFolder(data + "/Pictures"), 0);
    LCT.LOCATION = "Garage";
    addOne(Location);
    addOne(Heirs);
    writeFile(data + "/Pic00001.jpg", "the client's own picture");
    std::map<std::string, std::size_t> live = checksums(primary);
    for (const std::string &path : {data, data + "/Pictures/", withSlash(program)}) {
        setCdPath(path);
        box.clear();
        box.answer(BUTTON_YES);
        EXPECT_EQ(prepareClientCdFolder(program), "") << path;
        ASSERT_EQ(box.shown().size(), 1u) << path;
        EXPECT_EQ(box.shown()[0].title, "Invalid Path");
        EXPECT_NE(box.shown()[0].text.find("is a data directory"), std::string::npos);
    }
    std::map<std::string, std::size_t> after = checksums(primary);
    after.erase("mainsys.tps");  // the CD path changes there
    live.erase("mainsys.tps");
    EXPECT_EQ(after, live);

    // An earlier CD's files are cleared, and only those; No leaves the folder as it was.
    setCdPath(cd);
    for (const char *f : {"Pic00004.jpg", "master.tps", "master.tps-journal", "marlotte.INI", "marlotte",
                          "libcdfake_a.so", "help/old.html", "notes.txt", "other/Pic00009.jpg", "Pic123.jpg"})
        writeFile(cd + f, "left from before");
    std::vector<std::string> earlier = treeOf(cd);
    box.clear();
    box.answer(BUTTON_NO);
    EXPECT_EQ(prepareClientCdFolder(program), "");
    ASSERT_EQ(box.shown().size(), 1u);
    EXPECT_EQ(box.shown()[0].title, "Delete All Files Warning");
    EXPECT_EQ(box.shown()[0].text, "All existing files in the directory||" + upper(home.file("Temp")) +
                                       "||Will be erased...|Do you wish to proceed?");
    EXPECT_EQ(box.shown()[0].buttons, BUTTON_YES | BUTTON_NO);
    EXPECT_EQ(box.shown()[0].defaultButton, BUTTON_NO);
    EXPECT_EQ(treeOf(cd), earlier);

    box.clear();
    box.answer(BUTTON_YES);
    ClientCdOutcome out = make();
    EXPECT_TRUE(out.complete());
    std::vector<std::string> expected = kCdFiles;
    for (const char *kept : {"Pic123.jpg", "notes.txt", "other/Pic00009.jpg", "help/old.html"})
        expected.push_back(kept);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(treeOf(cd), expected);
}

TEST_F(ClientCd, EveryFailureIsToldAndTheFolderIsNotCalledComplete)
{
    // The clock's picture is gone and the client program is not built.
    fs::remove(home.file("pics/clock"));
    fs::remove(program + "marlotte");
    ClientCdOutcome out = make();
    EXPECT_FALSE(out.complete());
    EXPECT_EQ(out.items, 2);
    ASSERT_EQ(box.shown().size(), 2u);
    EXPECT_EQ(box.shown()[0].title, "Copy Error");
    EXPECT_EQ(box.shown()[0].text, "Error copying picture: File Not Found");
    EXPECT_EQ(box.shown()[1].title, "Make CD Incomplete");
    const std::string &last = box.shown()[1].text;
    EXPECT_EQ(last.rfind("The client CD in " + cd + " is incomplete.||Missing:|", 0), 0u) << last;
    EXPECT_NE(last.find("picture " + home.file("pics/clock") + " (asset #"), std::string::npos) << last;
    EXPECT_NE(last.find("the client program marlotte"), std::string::npos) << last;
    EXPECT_FALSE(fs::exists(cd + "libcdfake_a.so"));
    // The item still names its picture, as the client program expects.
    EXPECT_EQ(testing_support::sqliteText(cd + "master.tps", "SELECT image2 FROM data WHERE assetnumber = 7"),
              "Pic00003");

    // A titles file that cannot be read stops the copying before anything is written.
    std::ofstream(UserFields.name, std::ios::trunc) << std::string(2048, 'x');
    box.clear();
    box.answer(BUTTON_YES);
    out = make();
    EXPECT_FALSE(out.started);
    ASSERT_EQ(box.shown().size(), 3u);
    EXPECT_EQ(box.shown()[1].text, "Error reading user fields file");
    EXPECT_EQ(box.shown()[1].title, "File Error");
    EXPECT_EQ(box.shown()[2].title, "Make CD Incomplete");
    EXPECT_EQ(treeOf(cd), std::vector<std::string>{});
}

// An item without its number cannot be copied as stored: the items go one by one, the item is
// numbered as adding numbers it, and the pictures already copied are neither copied again nor
// renumbered.
TEST_F(ClientCd, AnItemWithoutItsNumberIsAddedItemByItem)
{
    ASSERT_EQ(testing_support::sqliteExec(MasterInventory.name, "UPDATE data SET assetnumber = 0 WHERE assetnumber = 3"), "");
    ClientCdOutcome out = make();
    EXPECT_TRUE(out.complete());
    EXPECT_EQ(out.items, 2);
    EXPECT_EQ(out.pictures, 3);
    EXPECT_EQ(treeOf(cd), kCdFiles);
    EXPECT_EQ(testing_support::sqliteText(cd + "master.tps",
                                          "SELECT group_concat(assetnumber || ':' || image || ':' || image2 || ':' || "
                                          "receiptimage, ' ') FROM (SELECT * FROM data ORDER BY rowid)"),
              "1:Pic00001.jpeg::Pic00002.PNG 7::Pic00003:");
}

// While the items are written, a pause of the run (the window repainting in processEvents(), the
// user reading that a picture could not be copied) leaves the client's item file open to another
// program's write with its 1 s wait; the CD holds the items as they stood when the copy began.
TEST_F(ClientCd, WhileTheItemsAreCopiedWriterNeverLockedOut)
{
    std::vector<std::string> written;
    auto write = [&] {
        written.push_back(testing_support::writeAsAnotherProgram(
            MasterInventory.name, "UPDATE data SET description = 'Changed elsewhere' WHERE assetnumber = 3"));
    };
    box.whileShown([&](const MessageRequest &) { write(); });
    fs::remove(home.file("pics/clock"));
    std::string folder = prepareClientCdFolder(program);
    ASSERT_FALSE(folder.empty());
    int repaints = 0;
    ClientCdOutcome out = writeClientCd(folder, program, [&](const std::string &) {
        if (repaints++ == 0)
            QTimer::singleShot(0, write);
        QApplication::processEvents();
    });
    EXPECT_TRUE(box.sawText("Error copying picture: File Not Found"));
    ASSERT_EQ(written.size(), 2u);  // one while the message was read, one in the repaint
    EXPECT_EQ(written, std::vector<std::string>(2, ""));
    EXPECT_EQ(out.items, 2);
    EXPECT_EQ(testing_support::sqliteText(cd + "master.tps", "SELECT description FROM data WHERE assetnumber = 3"),
              items[3].DESCRIPTION.str());
}

// Damage in the middle of the items: the CD gets the items before it, and says what is missing.
TEST_F(ClientCd, DamagedItemsGiveAnIncompleteCdThatSaysSo)
{
    ASSERT_EQ(MasterInventory.open(mode::ReadWriteDenyNone), 0);
    {
        Transaction tx({&MasterInventory});
        ASSERT_EQ(tx.begin(), 0);
        for (int asset = 10; asset < 610; ++asset) {
            fillItem(MAS, asset, asset);
            ASSERT_EQ(MasterInventory.add(), 0);
        }
        ASSERT_EQ(tx.commit(), 0);
    }
    MasterInventory.close();
    std::vector<std::int64_t> leaves = testing_support::tableLeafPages(MasterInventory.name);
    testing_support::overwritePage(MasterInventory.name, leaves[leaves.size() / 2]);
    ClientCdOutcome out = make();
    EXPECT_FALSE(out.complete());
    EXPECT_GT(out.items, 2);
    EXPECT_LT(out.items, 602);
    EXPECT_EQ(out.pictures, 3);
    EXPECT_EQ(testing_support::sqliteNumber(cd + "master.tps", "SELECT count(*) FROM data"), out.items);
    ASSERT_GE(box.shown().size(), 2u);
    EXPECT_EQ(box.shown()[0].title, "File Error");
    EXPECT_EQ(box.shown()[0].text.rfind("Error reading home inventory file: ", 0), 0u) << box.shown()[0].text;
    EXPECT_EQ(box.shown().back().title, "Make CD Incomplete");
    EXPECT_NE(box.shown().back().text.find("the items after asset #"), std::string::npos) << box.shown().back().text;
}

TEST_F(ClientCd, NothingOutsideTheCdFolderChanges)
{
    // Outside the CD folder: a documents folder with a help of its own, a library, the backup
    // folder with a client's backup, and a staging folder holding another program's record file.
    writeFile(home.file("docs/help/index.html"), "the user's own help");
    writeFile(home.file("docs/master.tps"), "a document named like the CD's items");
    writeFile(home.file("outside/libdecoy.so"), "a library of the system");
    const std::string backup = home.file("TEMPbk/");
    for (const char *f : {"A1/qorhrs.tps", "A1/qorloc.tps", "A1/qorufd.tps", "qorclnt.tps"})
        writeFile(backup + f, std::string("the backup's ") + f);
    writeFile(home.file("TEMPdata/qorufd.tps"), "titles of another program");
    fs::create_directory_symlink(home.file("docs"), home.file("LinkTEMP"));
    ASSERT_EQ(::mkfifo(home.file("pics/pipe").c_str(), 0600), 0);
    // What an old Make CD took from a client program found in the folder: outside libraries.
    const std::string planted = elfNaming({home.file("outside/libdecoy.so"), "libdecoy.so"}, "$ORIGIN/../outside");
    ElfDependencies deps;
    writeFile(home.file("planted"), planted);
    ASSERT_TRUE(readElfDependencies(home.file("planted"), deps));
    ASSERT_EQ(deps.needed.size(), 2u);
    writeFile(home.file("cut"), planted.substr(0, 100));  // its sections lie past the end
    EXPECT_FALSE(readElfDependencies(home.file("cut"), deps));
    EXPECT_FALSE(readElfDependencies(home.file("pics/pipe"), deps));

    auto setPictures = [&](const char *image, const char *receipt, const char *image2) {
        char *sql = sqlite3_mprintf("UPDATE data SET image = %Q, receiptimage = %Q WHERE assetnumber = 3;"
                                    "UPDATE data SET image2 = %Q WHERE assetnumber = 7",
                                    image, receipt, image2);
        EXPECT_EQ(testing_support::sqliteExec(MasterInventory.name, sql), "");
        sqlite3_free(sql);
    };
    const std::string notAPicture = "not a JPEG, BMP or GIF picture, not copied";
    struct Case {
        std::string what, path, refusal;  // refusal: the message's title and a part of its text
        std::function<void()> plant;
        std::vector<std::string> missing;  // each a part of one line of the closing message
    };
    const std::vector<Case> cases = {
        {"a client program in the folder naming outside libraries", cd, "",
         [&] {
             writeFile(cd + "marlotte", planted);
             writeFile(cd + "libdecoy.so", "an earlier CD's copy");
         },
         {}},
        {"'..' out of the TEMP folder", home.file("Temp/../docs/"), "Invalid path, must contain TEMP", [] {}, {}},
        {"a link named TEMP leading out", home.file("LinkTEMP/"), "Invalid path, must contain TEMP", [] {}, {}},
        {"'..' within the TEMP folder", home.file("Temp/gone/../"), "", [] {}, {}},
        {"links in the CD folder leading out", cd, "",
         [&] {
             fs::create_directories(cd);
             fs::create_directory_symlink(home.file("docs/help"), cd + "help");
             fs::create_symlink(home.file("docs/master.tps"), cd + "master.tps");
             fs::create_symlink(backup + "A1/qorhrs.tps", cd + "qorhrs.tps");
         },
         {"help/index.html (" + cd + "help is a link or a file, not a folder)"}},
        {"the backup folder", backup, "is in the backup folder", [] {}, {}},
        {"a folder inside the backup folder", backup + "A1", "is in the backup folder", [] {}, {}},
        {"a folder of record files Make CD does not write", home.file("TEMPdata"),
         "holds record files that Make CD did not write (qorufd.tps)", [] {}, {}},
        {"picture fields naming no picture", cd, "",
         [&] { setPictures("/etc/passwd", home.file("pics/pipe").c_str(), home.file("pics").c_str()); },
         {"picture /etc/passwd (asset #", "picture " + home.file("pics/pipe") + " (asset #",
          "picture " + home.file("pics") + " (asset #"}},
    };
    auto outside = [&] {
        std::map<std::string, std::size_t> sums = checksums(home.path());
        std::erase_if(sums, [](const auto &e) { return e.first.rfind("Temp/", 0) == 0 || e.first == "mainsys.tps"; });
        return sums;
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(cd);
        setCdPath(c.path, backup);
        c.plant();
        const auto before = outside();
        ASSERT_EQ(before.count("docs/help/index.html") + before.count("outside/libdecoy.so") +
                      before.count("TEMPbk/A1/qorhrs.tps"),
                  3u);
        box.clear();
        box.answer(BUTTON_YES);
        ClientCdOutcome out = make();
        EXPECT_EQ(outside(), before);
        ASSERT_FALSE(box.shown().empty());
        if (!c.refusal.empty()) {
            EXPECT_FALSE(out.started);
            ASSERT_EQ(box.shown().size(), 1u);
            EXPECT_EQ(box.shown()[0].title, "Invalid Path");
            EXPECT_NE(box.shown()[0].text.find(c.refusal), std::string::npos) << box.shown()[0].text;
            continue;
        }
        EXPECT_EQ(out.items, 2);
        EXPECT_EQ(fs::is_symlink(cd + "master.tps"), false);
        EXPECT_EQ(testing_support::sqliteNumber(cd + "master.tps", "SELECT count(*) FROM data"), 2);
        EXPECT_EQ(testing_support::readBytes(cd + "marlotte"), testing_support::readBytes(program + "marlotte"));
        EXPECT_EQ(out.missing.size(), c.missing.size());
        for (const std::string &m : c.missing)
            EXPECT_NE(box.shown().back().text.find(m), std::string::npos) << m << "\n" << box.shown().back().text;
        if (c.missing.empty())
            EXPECT_EQ(box.shown().back().text, "CD writing complete");
    }
    // No picture file came onto the CD for the fields that named none; the items name theirs.
    EXPECT_FALSE(fs::exists(cd + "Pic00001"));
    EXPECT_FALSE(fs::exists(cd + "Pic00002"));
    EXPECT_EQ(testing_support::sqliteText(cd + "master.tps", "SELECT image || ',' || receiptimage FROM data "
                                                             "WHERE assetnumber = 3"),
              "Pic00001,Pic00002");
}

TEST(ClientCdNames, PicturesKeepTheirSourcesRealSuffix)
{
    EXPECT_EQ(cdPictureExtension("/p/house.jpeg"), ".jpeg");
    EXPECT_EQ(cdPictureExtension("/p/House.JPG  "), ".JPG");
    EXPECT_EQ(cdPictureExtension("/p/scan.tiff5"), ".tiff5");
    EXPECT_EQ(cdPictureExtension("/p/scan"), "");
    EXPECT_EQ(cdPictureExtension("/p.d/scan"), "");
    EXPECT_EQ(cdPictureExtension("/p/scan.backup"), "");  // six letters
    EXPECT_EQ(cdPictureExtension("/p/scan.j-g"), "");
    EXPECT_EQ(cdPictureExtension("/p/.hidden"), "");
    EXPECT_TRUE(isCdPictureName("Pic00001"));
    EXPECT_TRUE(isCdPictureName("Pic99999.jpeg"));
    EXPECT_FALSE(isCdPictureName("Pic0001.jpg"));
    EXPECT_FALSE(isCdPictureName("pic00001.jpg"));
    EXPECT_FALSE(isCdPictureName("Pic00001.tar.gz"));
    EXPECT_FALSE(isCdPictureName("Pic00001x"));
}

TEST_F(ClientCd, TheWindowsCloseTheOthersFirstAndMakeTheCd)
{
    QMdiArea area;
    rt::setMdiArea(&area);
    struct Unset {
        ~Unset()
        {
            for (WindowProcedure *w : startedWindows())
                w->requestClose();
            testing_support::pump(20);
            rt::setMdiArea(nullptr);
        }
    } unset;
    area.show();
    // A window that will not close: no CD is made.
    struct Stubborn : WindowProcedure {
        Stubborn() : WindowProcedure("Stubborn") {}
        bool canClose() override { return !stubborn; }
        bool stubborn = true;
    };
    auto *stubborn = new Stubborn;
    stubborn->start();
    rt::runProcedure("MakeCD");
    testing_support::pump(20);
    EXPECT_TRUE(box.shown().empty());
    EXPECT_FALSE(fs::exists(cd));
    ASSERT_EQ(startedWindows().size(), 1u);

    stubborn->stubborn = false;
    rt::runProcedure("MakeCD");
    testing_support::pump(20);
    ASSERT_EQ(startedWindows().size(), 1u);
    WindowProcedure *make = startedWindows()[0];
    EXPECT_EQ(make->procedureName(), "MakeCD");
    EXPECT_EQ(make->windowTitle(), "Make Client CD");
    EXPECT_EQ(testing_support::find<QLabel>(make, "ActiveClient")->text(), "Ada Okafor");
    EXPECT_EQ(testing_support::find<QLabel>(make, "CDPath")->text().toStdString(), cd);
    testing_support::find<QPushButton>(make, "OK")->click();
    testing_support::pump(50);
    EXPECT_TRUE(startedWindows().empty());
    // The test program's folder holds no client program.
    ASSERT_FALSE(box.shown().empty());
    EXPECT_EQ(box.shown().back().title, "Make CD Incomplete");
    EXPECT_EQ(testing_support::sqliteNumber(cd + "master.tps", "SELECT count(*) FROM data"), 2);
}
