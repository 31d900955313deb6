// The import wizard and its process windows, driven offscreen over a client's real files.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <sys/stat.h>

#include "model/dictionary.h"
#include "model/globals.h"
#include "core/import_wizard.h"
#include "model/client_files.h"
#include "runtime/gui.h"
#include "runtime/paths.h"
#include "runtime/window.h"
#include "tests/support/gui_support.h"
#include "tests/support/program_support.h"
#include "tests/support/record_damage.h"
#include "tests/support/test_support.h"

using namespace rt;
using testing_support::find;
using testing_support::pump;
using testing_support::ScriptedMessages;
using testing_support::TempHome;

namespace {

class ImportWizardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing_support::startProgram(home);
        BuildSharedFileNames(home.path());
        nameClientFiles(clientFolder(home.path(), "A1"));
        makeFolder(home.file("A1"));
        ASSERT_EQ(MasterInventory.create(), 0);
        Glo.ClientSelected = 1;
        csv = home.file("items.csv");
        std::ofstream(csv, std::ios::binary) << "Description,Room,Cost\r\n"
                                                "Lamp,Den,10\r\n"
                                                "\"Brass, old\",Kitchen,5\r\n"
                                                "Chair,Porch,7\r\n";
    }
    void TearDown() override { testing_support::stopProgram(); }

    WindowProcedure *wizard()
    {
        for (WindowProcedure *w : startedWindows())
            if (w->objectName() == "ImportDatabase")
                return w;
        return nullptr;
    }
    int openWizards()
    {
        int n = 0;
        for (WindowProcedure *w : startedWindows())
            n += w->objectName() == "ImportDatabase";
        return n;
    }
    QTableWidget *list() { return find<QTableWidget>(wizard(), "Browsing Records"); }
    QPushButton *button(const char *name)
    {
        auto *b = find<QPushButton>(wizard(), name);
        EXPECT_NE(b, nullptr) << name;
        return b;
    }
    QStringList row(int r)
    {
        QStringList s;
        for (int c = 0; c < 4; ++c)
            s << list()->item(r, c)->text();
        return s;
    }
    void display(const std::string &file)
    {
        find<QLineEdit>(wizard(), "FileName")->setText(QString::fromStdString(file));
        button("Display the file")->click();
    }
    // Presses a key on the results window once it shows; the text of its count is kept (and the
    // window saved as a picture at `shot`, when given).
    void answerResults(const QString &shot = {})
    {
        auto *timer = new QTimer;
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, [this, timer, shot] {
            QWidget *w = QApplication::activeModalWidget();
            if (w && w->objectName() == "ImportResults") {
                timer->stop();
                timer->deleteLater();
                added = find<QLabel>(w, "ItemsAdded")->text();
                details = find<QLabel>(w, "ImportDetails")->text();
                if (!shot.isEmpty())
                    w->grab().save(shot);
                QTest::keyClick(w, Qt::Key_Space);
            }
        });
        timer->start();
    }
    std::int64_t items()
    {
        sqlite3 *db = nullptr;
        sqlite3_open_v2(MasterInventory.name.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, "select count(*) from data", -1, &st, nullptr);
        std::int64_t n = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int64(st, 0) : -1;
        sqlite3_finalize(st);
        sqlite3_close(db);
        return n;
    }
    TempHome home;
    ScriptedMessages box;
    std::string csv;
    QString added, details;
};

TEST_F(ImportWizardTest, WalksTheLinesAndLinksColumns)
{
    runProcedure("ImportDatabase");
    ASSERT_NE(wizard(), nullptr);
    EXPECT_EQ(wizard()->windowTitle(), "Import ASCII File");
    runProcedure("ImportDatabase");  // brings the open one to the front
    EXPECT_EQ(openWizards(), 1);
    EXPECT_FALSE(button("<< Previous")->isEnabled());
    EXPECT_FALSE(find<QSpinBox>(wizard(), "RecordsToImport")->isVisibleTo(wizard()));

    display(csv);
    EXPECT_EQ(find<QLabel>(wizard(), "RecordCount")->text(), "4");
    ASSERT_EQ(list()->rowCount(), 3);
    EXPECT_EQ(row(0), (QStringList{"1", "Description", "", "0"}));

    button("Next >>")->click();
    button("Next >>")->click();
    ASSERT_EQ(list()->rowCount(), 3);
    EXPECT_EQ(row(0), (QStringList{"1", "\"Brass, old\"", "", "0"}));
    EXPECT_TRUE(button("<< Previous")->isEnabled());
    button("<< Previous")->click();
    EXPECT_EQ(row(1), (QStringList{"2", "Den", "", "0"}));

    list()->selectRow(1);
    button("Location")->click();
    EXPECT_EQ(row(1), (QStringList{"2", "Den", "Location", "3"}));
    EXPECT_FALSE(button("Next >>")->isEnabled());
    EXPECT_FALSE(button("<< Previous")->isEnabled());
    button("Color")->click();  // a linked row is unlinked, whichever button
    EXPECT_EQ(row(1), (QStringList{"2", "Den", "", "0"}));
    button("Cost")->click();
    list()->selectRow(0);
    button("Description")->click();
    button("Clear All")->click();
    for (int r = 0; r < 3; ++r)
        EXPECT_EQ(row(r)[3], "0");
    EXPECT_TRUE(button("Next >>")->isEnabled());

    // Another file shows its own columns, without the first one's.
    list()->selectRow(2);
    button("Cost")->click();
    const std::string other = home.file("other.txt");
    std::ofstream(other) << "Only one column\n";
    display(other);
    ASSERT_EQ(list()->rowCount(), 1);
    EXPECT_EQ(row(0), (QStringList{"1", "Only one column", "", "0"}));

    // A file that is not there is never created; a folder or a FIFO is refused at once.
    display(home.file("missing.csv"));
    EXPECT_TRUE(box.sawTitle("File Error"));
    EXPECT_FALSE(fileExists(home.file("missing.csv")));
    const std::string fifo = home.file("pipe.csv");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string &notAFile : {home.path(), fifo}) {
        box.clear();
        display(notAFile);
        ASSERT_EQ(box.shown().size(), 1u) << notAFile;
        EXPECT_EQ(box.shown()[0].text, "Error opening the text file|Error: " + errorTextFor(err::AccessDenied));
    }

    // The links of this opening are gone at the next.
    wizard()->requestClose();
    pump(10);
    EXPECT_EQ(openWizards(), 0);
    runProcedure("ImportDatabase");
    ASSERT_TRUE(ImportFields.isOpen());
    EXPECT_EQ(ImportFields.records(), 0);
    EXPECT_EQ(list()->rowCount(), 0);
}

TEST_F(ImportWizardTest, RefusesIncompleteImportsAndStaysOpenAfterATest)
{
    Glo.ImportUppercase = 1;
    runProcedure("ImportDatabase");
    ASSERT_NE(wizard(), nullptr);
    EXPECT_TRUE(find<QCheckBox>(wizard(), "Force Uppercase")->isChecked());  // kept from before
    find<QCheckBox>(wizard(), "Force Uppercase")->setChecked(false);

    button("Import")->click();
    ASSERT_EQ(box.shown().size(), 1u);
    EXPECT_EQ(box.shown()[0].title, "Data Error");
    EXPECT_EQ(box.shown()[0].text, "You must enter the name of the file you wish to import");
    EXPECT_EQ(box.shown()[0].buttons, BUTTON_RETRY);

    display(csv);
    find<QCheckBox>(wizard(), "First Record Is Header")->setChecked(true);
    find<QCheckBox>(wizard(), "Test Import")->setChecked(true);
    EXPECT_TRUE(find<QSpinBox>(wizard(), "RecordsToImport")->isVisibleTo(wizard()));
    box.clear();
    button("Import")->click();
    ASSERT_EQ(box.shown().size(), 1u);
    EXPECT_EQ(box.shown()[0].text, "You must enter the number of records you wish to import");

    find<QSpinBox>(wizard(), "RecordsToImport")->setValue(3);
    box.clear();
    button("Import")->click();  // nothing linked yet
    ASSERT_EQ(box.shown().size(), 1u);
    EXPECT_EQ(box.shown()[0].title, "Data Error");
    EXPECT_EQ(items(), 0);

    list()->selectRow(0);
    button("Description")->click();
    list()->selectRow(2);
    button("Cost")->click();
    answerResults();
    button("Import")->click();
    EXPECT_EQ(added, "2");  // three lines, the header among them
    EXPECT_EQ(items(), 2);
    ASSERT_NE(wizard(), nullptr);  // stays for another run
    EXPECT_FALSE(button("Next >>")->isEnabled());

    find<QCheckBox>(wizard(), "Test Import")->setChecked(false);
    answerResults();
    button("Import")->click();
    EXPECT_EQ(added, "3");
    EXPECT_TRUE(details.contains("Lines read: 4")) << details.toStdString();
    EXPECT_EQ(items(), 5);
    pump(10);
    EXPECT_EQ(openWizards(), 0);
    EXPECT_EQ(Glo.Response, RequestCancelled);
}

// A file that is no text is refused with a message when displayed and when imported, before
// anything is added; UTF-16 with its mark and CR-only lines are shown as lines.
TEST_F(ImportWizardTest, RefusesFilesThatAreNoTextAndShowsEveryTextForm)
{
    runProcedure("ImportDatabase");
    ASSERT_NE(wizard(), nullptr);
    const std::string utf16 = home.file("unicode.txt");
    {
        std::ofstream out(utf16, std::ios::binary);
        out << "\xFF\xFE";
        for (char16_t c : std::u16string(u"Caf\u00e9,Den,10\r\nLamp,Den,5\r\n"))
            out << static_cast<char>(c & 0xFF) << static_cast<char>(c >> 8);
    }
    const std::string crOnly = home.file("old.csv");
    std::ofstream(crOnly, std::ios::binary) << "Lamp,Den,10\rChair,Porch,7\rDesk,Office,1\r";
    struct {
        const std::string &file;
        const char *count;
        QStringList first;
    } shown[] = {{utf16, "2", {"1", "Caf\u00e9", "", "0"}}, {crOnly, "3", {"1", "Lamp", "", "0"}}};
    for (const auto &s : shown) {
        display(s.file);
        EXPECT_EQ(find<QLabel>(wizard(), "RecordCount")->text(), s.count) << s.file;
        ASSERT_EQ(list()->rowCount(), 3) << s.file;
        EXPECT_EQ(row(0), s.first) << s.file;
    }
    EXPECT_TRUE(box.shown().empty());

    std::string noText = "Lamp,Den,10\r\n";
    noText += std::string("\0\x01\x02", 3);
    const std::string binary = home.file("photo.csv");
    std::ofstream(binary, std::ios::binary) << noText;
    display(binary);
    ASSERT_EQ(box.shown().size(), 1u);
    EXPECT_EQ(box.shown()[0].title, "File Error");
    EXPECT_EQ(box.shown()[0].text, "Cannot import " + binary + "|It is not a text file: it holds NUL bytes.");
    EXPECT_EQ(list()->rowCount(), 0);
    EXPECT_EQ(find<QLabel>(wizard(), "RecordCount")->text(), "0");

    // Changed into no text after its columns were linked: the import adds nothing.
    display(csv);
    list()->selectRow(0);
    button("Description")->click();
    std::ofstream(csv, std::ios::binary | std::ios::trunc) << noText;
    box.clear();
    button("Import")->click();
    ASSERT_EQ(box.shown().size(), 1u);
    EXPECT_EQ(box.shown()[0].text, "Cannot import " + csv + "|It is not a text file: it holds NUL bytes.");
    EXPECT_EQ(items(), 0);
}

TEST_F(ImportWizardTest, CancelShowsTheItemsReallyAdded)
{
    constexpr int kLines = 400000;  // far more than the first slice of the import reads
    {
        std::ofstream big(csv, std::ios::binary | std::ios::trunc);
        for (int i = 0; i < kLines; ++i)
            big << "Item " << i << ",Den\n";
    }
    runProcedure("ImportDatabase");
    display(csv);
    list()->selectRow(0);
    button("Description")->click();
    auto *timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer] {
        QWidget *w = QApplication::activeModalWidget();
        if (w && w->objectName() == "ImportCollection") {
            timer->stop();
            timer->deleteLater();
            find<QPushButton>(w, "Cancel")->click();
        }
    });
    timer->start();
    answerResults();
    button("Import")->click();
    ASSERT_FALSE(added.isEmpty());
    EXPECT_EQ(added.toLongLong(), items());
    EXPECT_LT(items(), kLines);
    EXPECT_TRUE(details.contains("cancelled")) << details.toStdString();
}

// A list has read part of the client's rooms, as fast as a list reads, when a large file is
// displayed: another program's write to the rooms, with its 1 s wait, lands while the wizard
// counts the file's lines and repaints.
TEST_F(ImportWizardTest, CountingTheLinesWriterNeverLockedOut)
{
    {
        std::ofstream big(csv, std::ios::binary | std::ios::trunc);
        for (int i = 0; i < 2000; ++i)
            big << "Item " << i << ",Den\n";
    }
    LocationRecord room;
    RecordFile rooms(dict::LocationDef, &room);
    rooms.name = Location.name;
    ASSERT_EQ(rooms.create(), 0);
    ASSERT_EQ(rooms.open(mode::ReadWriteDenyNone), 0);
    {
        Transaction tx({&rooms});
        ASSERT_EQ(tx.begin(), 0);
        for (int i = 0; i < 400; ++i) {
            clearRecord(dict::LocationDef, &room);
            room.LOCATION = "Room " + std::to_string(i);
            ASSERT_EQ(rooms.add(), 0);
        }
        ASSERT_EQ(tx.commit(), 0);
    }
    runProcedure("ImportDatabase");
    ASSERT_NE(wizard(), nullptr);
    const testing_support::ScansHeldAsWhenFast held;
    rooms.set(*dict::LocationDef.key("LOCATIONKEY"));
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(rooms.next(), 0);
    std::string written = "not written";
    QTimer pause;
    QObject::connect(&pause, &QTimer::timeout, [&] {
        auto *counting = wizard()->findChild<QWidget *>("FindingRecords");
        if (!counting || !counting->isVisible())
            return;
        pause.stop();
        written = testing_support::writeAsAnotherProgram(
            rooms.name, "UPDATE data SET description = 'Changed elsewhere' WHERE rowid = 1");
    });
    pause.start(0);
    display(csv);
    pause.stop();
    EXPECT_EQ(find<QLabel>(wizard(), "RecordCount")->text(), "2000");
    EXPECT_EQ(written, "");
    EXPECT_TRUE(box.shown().empty());
    rooms.close();
}

TEST_F(ImportWizardTest, FileChooserMatchesMasksCaseBlind)
{
    const std::string folder = home.file("lists");
    makeFolder(folder);
    std::ofstream(folder + "/ITEMS.CSV") << "x\n";
    std::ofstream(folder + "/notes.txt") << "x\n";
    QStringList shown;
    testing_support::onNextModal([&](QWidget *w) {
        auto *dialog = qobject_cast<QFileDialog *>(w);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Select File To Import");
        auto *view = dialog->findChild<QListView *>("listView");
        ASSERT_NE(view, nullptr);
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 3000) {
            shown.clear();
            QModelIndex root = view->rootIndex();
            for (int r = 0; r < view->model()->rowCount(root); ++r)
                shown << view->model()->index(r, 0, root).data().toString();
            if (shown.contains("ITEMS.CSV"))
                break;
            pump(20);
        }
        dialog->reject();
    });
    EXPECT_EQ(askImportFile(nullptr, QString::fromStdString(folder)), "");
    EXPECT_TRUE(shown.contains("ITEMS.CSV")) << shown.join(",").toStdString();
    EXPECT_FALSE(shown.contains("notes.txt"));
}

}  // namespace

// The wizard with a test import chosen, for a person to look at: written only when
// ORVANE_SCREENSHOTS names a folder (run under a display server to see the real look).
TEST_F(ImportWizardTest, Screenshot)
{
    const char *out = std::getenv("ORVANE_SCREENSHOTS");
    if (!out || !*out)
        GTEST_SKIP() << "ORVANE_SCREENSHOTS is not set";
    runProcedure("ImportDatabase");
    ASSERT_NE(wizard(), nullptr);
    display(csv);
    for (QCheckBox *c : wizard()->findChildren<QCheckBox *>())
        if (c->text() == "Test Import")
            c->click();
    testing_support::pump(300);
    QWidget *shown = wizard();
    shown->window()->grab().save(QString(out) + "/import-wizard.png");

    // A file with a line of 3 MB: the wizard shows its start, the import refuses it and goes on.
    const std::string longLine = home.file("long.csv");
    {
        std::ofstream f(longLine, std::ios::binary);
        f << "Lamp,Den,10\r\n";
        for (int i = 0; i < 3 << 16; ++i)
            f << "Caf\xC3\xA9 table, oak, ";
        f << "\r\nChair,Porch,7\r\n";
    }
    for (QCheckBox *c : wizard()->findChildren<QCheckBox *>())
        if (c->text() == "Test Import" && c->isChecked())
            c->click();
    display(longLine);
    button("Next >>")->click();
    testing_support::pump(300);
    shown->window()->grab().save(QString(out) + "/import-wizard-long-line.png");
    button("<< Previous")->click();
    list()->selectRow(0);
    button("Description")->click();
    answerResults(QString(out) + "/import-results-long-line.png");
    button("Import")->click();
    EXPECT_EQ(added, "2");
    EXPECT_TRUE(details.contains("Lines refused as longer than 1000 characters: 1 (line 2)")) << details.toStdString();
}
