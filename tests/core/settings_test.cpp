#include <gtest/gtest.h>

#include <filesystem>
#include <sqlite3.h>

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QToolButton>
#include <QtTest/QTest>

#include "model/dictionary.h"
#include "model/globals.h"
#include "core/main_frame.h"
#include "model/managers.h"
#include "core/procedures.h"
#include "core/program.h"
#include "core/settings.h"
#include "runtime/calendar_widget.h"
#include "runtime/dates.h"
#include "runtime/gui.h"
#include "runtime/ini_store.h"
#include "runtime/picture.h"
#include "runtime/window.h"
#include "tests/support/gui_support.h"
#include "tests/support/program_support.h"
#include "tests/support/test_support.h"

using namespace rt;
using testing_support::find;

namespace {

class Settings : public ::testing::Test {
protected:
    void SetUp() override
    {
        setLockWaitUnitMs(10);
        testing_support::startProgram(home);
    }
    void TearDown() override
    {
        unlock();
        testing_support::stopProgram();
    }

    // The settings record on disk as "FIELD=value" lines of its non-blank fields; "none" when
    // the file holds no record, "2 records" when it holds more than one.
    std::string onDisk()
    {
        MainSystemFileRecord r;
        RecordFile disk(dict::MainSystemFileDef, &r);
        disk.name = MainSystemFile.name;
        if (disk.open(mode::ReadOnlyDenyNone) != 0)
            return "unreadable";
        std::int64_t count = disk.records();
        disk.setFileOrder();
        bool found = disk.next() == 0;
        disk.close();
        if (count > 1)
            return std::to_string(count) + " records";
        return found ? describe(r) : "none";
    }
    static std::string describe(const MainSystemFileRecord &r)
    {
        std::string s;
        for (const FieldDef &f : dict::MainSystemFileDef.fields) {
            std::string v = fieldText(f, &r);
            if (!v.empty() && v != "0")
                s += std::string(f.name) + "=" + v + "\n";
        }
        return s;
    }
    void writeSettings(const std::function<void(MainSystemFileRecord &)> &fill)
    {
        ASSERT_EQ(MainSystemFile.create(), 0);
        ASSERT_EQ(MainSystemFile.open(mode::ReadWriteDenyNone), 0);
        clearRecord(dict::MainSystemFileDef, &MSY);
        fill(MSY);
        ASSERT_EQ(MainSystemFile.add(), 0);
        MainSystemFile.close();
    }
    // Another program holds the file: every write waits and fails.
    void lock()
    {
        ASSERT_EQ(sqlite3_open(MainSystemFile.name.c_str(), &locker), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(locker, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    }
    void unlock()
    {
        sqlite3_close(locker);
        locker = nullptr;
    }
    // Drives the next modal window; closes it if the steps left it open, so that a failing test
    // cannot hang.
    static void drive(std::function<void(QDialog *)> steps)
    {
        testing_support::onNextModal([steps](QWidget *w) {
            auto *d = static_cast<QDialog *>(w);
            steps(d);
            if (d->isVisible())
                d->reject();
        });
    }
    static void setText(QDialog *d, const char *name, const QString &text) { find<QLineEdit>(d, name)->setText(text); }
    static void click(QWidget *d, const char *name) { find<QAbstractButton>(d, name)->click(); }

    testing_support::TempHome home;
    testing_support::ScriptedMessages box;
    sqlite3 *locker = nullptr;
};

void press(QWidget *w, QPoint at, Qt::MouseButton button)
{
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(at), w->mapToGlobal(QPointF(at)), button, button, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

}  // namespace

TEST_F(Settings, SetupWizardPagesChecksAndRecord)
{
    ASSERT_EQ(MainSystemFile.create(), 0);
    drive([&](QDialog *d) {
        auto *pages = find<QStackedWidget>(d, "Pages");
        auto state = [&] {
            return std::tuple(pages->currentIndex() + 1, find<QPushButton>(d, "<< Back")->isEnabled(),
                              find<QPushButton>(d, "Next >>")->isEnabled(), find<QPushButton>(d, "Finish")->isHidden());
        };
        EXPECT_EQ(state(), std::tuple(1, false, true, true));
        click(d, "Next >>");
        EXPECT_EQ(state(), std::tuple(2, true, true, true));
        click(d, "Next >>");
        EXPECT_EQ(state(), std::tuple(3, true, false, false));
        click(d, "<< Back");
        click(d, "<< Back");
        EXPECT_EQ(state(), std::tuple(1, false, true, true));
        click(d, "Next >>");
        click(d, "Next >>");

        // The required entries in order, blanks alone counting as empty; each refusal takes the
        // cursor back to page 2.
        setText(d, "Name", "   ");
        const std::tuple<const char *, const char *, const char *> order[] = {
            {"Name", "Please enter your name...", "Kim Appraiser"},
            {"Address", "Please enter your address...", "12 Elm Street"},
            {"CSZ", "Please enter your city, state, and zip code...", "Springfield, IL"},
        };
        for (auto [entry, text, value] : order) {
            box.clear();
            click(d, "Finish");
            ASSERT_EQ(box.shown().size(), 1u);
            EXPECT_EQ(std::tuple(box.shown()[0].text, box.shown()[0].title, box.shown()[0].buttons),
                      std::tuple(std::string(text), std::string("Data Error"), int(BUTTON_RETRY)));
            EXPECT_EQ(state(), std::tuple(2, true, true, true)) << entry;
            EXPECT_EQ(d->focusWidget(), find<QLineEdit>(d, entry));
            setText(d, entry, value);
            click(d, "Next >>");
        }
        click(d, "Finish");  // phone and e-mail may stay blank
    });
    NewUser();
    EXPECT_EQ(Glo.Response, RequestCompleted);
    // Password off and seeding on are the cleared fields: they do not show.
    EXPECT_EQ(onDisk(), "NAME=Kim Appraiser\nADDRESS=12 Elm Street\nCSZ=Springfield, IL\n"
                        "PRINTADDRESSLINE=1\nPRINTPHONELINE=1\nPRINTEMAILADDRESSLINE=1\nUSEMEMORYWIZARD=1\n"
                        "AUTOADD=Prompt\nPATHPRIMARYRESIDENCE=" + home.path() + "\nACTIVERESIDENCE=Primary\n"
                        "REPORTFORMAT=Portrait\nSHOWTIPSATSTARTUP=1\nTIMEZONE=-5\nREMINDBACKUP=1\n"
                        "PATHTOBACKUP=" + home.path() + "backup/\n");
    EXPECT_EQ(describe(MSY), onDisk());
}

TEST_F(Settings, SetupWizardWritesNothingUntilTheRecordIsAdded)
{
    ASSERT_EQ(MainSystemFile.create(), 0);
    MSY.NAME = "before";
    drive([](QDialog *d) { d->close(); });
    NewUser();
    EXPECT_EQ(onDisk(), "none");
    EXPECT_EQ(Glo.Response, RequestCancelled);

    lock();
    drive([&](QDialog *d) {
        setText(d, "Name", "Kim");
        setText(d, "Address", "1 Main St");
        setText(d, "CSZ", "Dover");
        click(d, "Finish");
        EXPECT_TRUE(box.sawTitle("Record was not added"));
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(MSY.NAME, "before");
        unlock();
        click(d, "Finish");
        EXPECT_FALSE(d->isVisible());
    });
    NewUser();
    EXPECT_EQ(onDisk().substr(0, 9), "NAME=Kim\n");
    EXPECT_EQ(MSY.NAME, "Kim");
}

TEST_F(Settings, FormWritesTheEditsAndRefusesAPasswordlessPassword)
{
    writeSettings([&](MainSystemFileRecord &r) {
        r.NAME = "Kim";
        r.PRINTPHONELINE = 1;
        r.AUTOADD = "Prompt";
        r.REPORTFORMAT = "Portrait";
        r.TIMEZONE = -5;
    });
    drive([&](QDialog *d) {
        EXPECT_EQ(d->windowTitle(), "Update the Main Setup file");
        EXPECT_TRUE(find<QCheckBox>(d, "Print Phone Line")->isChecked());
        EXPECT_TRUE(find<QRadioButton>(d, "Prompt")->isChecked());
        EXPECT_EQ(find<QLineEdit>(d, "Password")->echoMode(), QLineEdit::Password);
        // Ctrl+' brings a field back to the value it had when the form opened.
        setText(d, "Name", "typo");
        find<QLineEdit>(d, "Name")->setFocus();
        emit d->findChild<QShortcut *>()->activated();
        EXPECT_EQ(find<QLineEdit>(d, "Name")->text(), "Kim");

        setText(d, "Name", "Lee");
        find<QCheckBox>(d, "Print Phone Line")->setChecked(false);
        find<QCheckBox>(d, "Disable Auto Build")->setChecked(true);
        find<QRadioButton>(d, "Never")->setChecked(true);
        find<QRadioButton>(d, "Landscape")->setChecked(true);
        setText(d, "PrimaryPath", "/srv/inventory");
        setText(d, "PathToBackup", "/srv/backup/");
        find<QCheckBox>(d, "Use Password")->setChecked(true);
        click(d, "OK");
        ASSERT_EQ(box.shown().size(), 1u);
        EXPECT_EQ(std::tuple(box.shown()[0].text, box.shown()[0].title, box.shown()[0].buttons),
                  std::tuple(std::string("You must enter a password when you have selected to use a password"),
                             std::string("Missing Password"), int(BUTTON_RETRY)));
        EXPECT_EQ(d->focusWidget(), find<QLineEdit>(d, "Password"));
        setText(d, "Password", "Secret");
        // " Set Default" fills the CD path on screen only; OK writes it.
        click(d, "SetDefault");
        EXPECT_EQ(find<QLineEdit>(d, "CDDrive")->text().toStdString(), home.path() + "Temp/");
        EXPECT_EQ(onDisk(), "NAME=Kim\nPRINTPHONELINE=1\nAUTOADD=Prompt\nREPORTFORMAT=Portrait\nTIMEZONE=-5\n");
        EXPECT_EQ(MSY.NAME, "Kim");
        click(d, "OK");
    });
    UpdateSystem();
    EXPECT_EQ(Glo.Response, RequestCompleted);
    EXPECT_EQ(onDisk(), "NAME=Lee\nAUTOADD=Never\nPATHPRIMARYRESIDENCE=/srv/inventory/\nUSEPASSWORD=1\n"
                        "PASSWORD=Secret\nREPORTFORMAT=Landscape\nDISABLEAUTOBUILD=1\nTIMEZONE=-5\n"
                        "PATHTOBACKUP=/srv/backup/\nPATHTOCD=" + home.path() + "Temp/\n");
    EXPECT_EQ(describe(MSY), onDisk());
}

TEST_F(Settings, FormCancelAndFailedWriteChangeNothing)
{
    writeSettings([](MainSystemFileRecord &r) { r.NAME = "Kim"; });
    const std::string before = onDisk();
    for (bool closeBox : {false, true}) {
        drive([&](QDialog *d) {
            setText(d, "Name", "Changed");
            click(d, "SetDefault");
            closeBox ? (void)d->close() : click(d, "Cancel");
        });
        UpdateSystem();
        EXPECT_EQ(Glo.Response, RequestCancelled);
        EXPECT_EQ(onDisk(), before);
        EXPECT_EQ(describe(MSY), before);
    }
    drive([&](QDialog *d) {
        setText(d, "Name", "Changed");
        lock();
        click(d, "OK");
        EXPECT_TRUE(box.sawTitle("Record was not updated"));
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(MSY.NAME, "Kim");
        unlock();
        click(d, "OK");
        EXPECT_FALSE(d->isVisible());
    });
    UpdateSystem();
    EXPECT_EQ(onDisk(), "NAME=Changed\n");
    EXPECT_EQ(MSY.NAME, "Changed");
}

TEST_F(Settings, FormAddsItsDefaultsToAnEmptyFile)
{
    ASSERT_EQ(MainSystemFile.create(), 0);
    drive([&](QDialog *d) {
        EXPECT_EQ(find<QLineEdit>(d, "PrimaryPath")->text().toStdString(), home.path());
        click(d, "Cancel");
    });
    UpdateSystem();
    EXPECT_EQ(onDisk(), "PRINTADDRESSLINE=1\nPRINTPHONELINE=1\nPRINTEMAILADDRESSLINE=1\nUSEMEMORYWIZARD=1\n"
                        "AUTOADD=Prompt\nPATHPRIMARYRESIDENCE=" + home.path() + "\nREPORTFORMAT=Portrait\n"
                        "REMINDBACKUP=1\nPATHTOBACKUP=" + home.path() + "backup/\n");
}

TEST_F(Settings, PasswordOneAttemptComparedCaseSensitively)
{
    MSY.PASSWORD = "Secret";
    struct Case {
        const char *typed, *button;  // no button: the close box
        int ok;
        bool denied;
    };
    for (Case c : {Case{"secret", "OK", 0, true}, Case{"Secret   ", "OK", 1, false}, Case{" Secret", "OK", 0, true},
                   Case{"Secret", "Cancel", 0, false}, Case{"Secret", nullptr, 0, false}}) {
        box.clear();
        Glo.PasswordOK = 1;
        drive([&](QDialog *d) {
            EXPECT_EQ(find<QLineEdit>(d, "Password")->echoMode(), QLineEdit::Password);
            setText(d, "Password", c.typed);
            c.button ? click(d, c.button) : (void)d->close();
            EXPECT_FALSE(d->isVisible());
        });
        FinalPassword();
        EXPECT_EQ(Glo.PasswordOK, c.ok) << c.typed;
        ASSERT_EQ(box.shown().size(), c.denied ? 1u : 0u) << c.typed;
        if (c.denied) {
            EXPECT_EQ(std::tuple(box.shown()[0].text, box.shown()[0].title, box.shown()[0].buttons),
                      std::tuple(std::string("ACCESS DENIED..."), std::string("Improper Password"), int(BUTTON_ABORT)));
        }
    }
}

TEST_F(Settings, RefusedPasswordEndsStartUp)
{
    writeSettings([](MainSystemFileRecord &r) {
        r.USEPASSWORD = 1;
        r.PASSWORD = "Secret";
        r.REMINDBACKUP = 1;
    });
    std::vector<std::string> called;
    setProcedureObserver([&](const std::string &n) { called.push_back(n); });
    drive([](QDialog *d) {
        setText(d, "Password", "SECRET");
        click(d, "OK");
    });
    {
        MainFrame frame;
        EXPECT_EQ(frame.init(), 3);
        frame.kill();
    }
    setProcedureObserver(nullptr);
    EXPECT_TRUE(box.sawText("ACCESS DENIED..."));
    EXPECT_EQ(called, std::vector<std::string>{"FinalPassword"});  // no seeding, no backup
}

TEST_F(Settings, CalendarStepsClicksAndRightButton)
{
    CalendarWidget cal;
    QString status;
    int alerts = 0;
    QObject::connect(&cal, &CalendarWidget::dateChanged, [&](std::int32_t, const QString &s) { status = s; });
    QObject::connect(&cal, &CalendarWidget::alerted, [&] { ++alerts; });
    cal.setCurrentDate(makeDate(1, 31, 2001));
    click(&cal, "NextMonth");
    EXPECT_EQ(cal.currentDate(), makeDate(3, 3, 2001));
    EXPECT_EQ(status, "March 3, 2001");
    click(&cal, "PreviousYear");
    click(&cal, "NextWeek");
    click(&cal, "PreviousDay");
    EXPECT_EQ(cal.currentDate(), makeDate(3, 9, 2000));

    // August 2020 starts on a Saturday: the cells before the 1st and after the 31st take no
    // click; a click on a day, up to its edges, selects it; the gaps between cells do nothing.
    cal.setCurrentDate(makeDate(8, 20, 2020));
    for (int blank : {0, 5, 37, 41}) {
        press(cal.grid(), cal.cellRect(blank).center(), Qt::LeftButton);
        EXPECT_EQ(cal.currentDate(), makeDate(8, 20, 2020)) << blank;
    }
    press(cal.grid(), cal.cellRect(6).topLeft(), Qt::LeftButton);
    EXPECT_EQ(cal.currentDate(), makeDate(8, 1, 2020));
    press(cal.grid(), cal.cellRect(36).bottomRight(), Qt::LeftButton);
    EXPECT_EQ(cal.currentDate(), makeDate(8, 31, 2020));
    EXPECT_EQ(status, "August 31, 2020");
    press(cal.grid(), cal.cellRect(6).topRight() + QPoint(2, 0), Qt::LeftButton);
    press(cal.grid(), cal.cellRect(10).center(), Qt::RightButton);
    EXPECT_EQ(cal.currentDate(), makeDate(8, 31, 2020));
    EXPECT_EQ(alerts, 1);
}

TEST_F(Settings, DatePickerAnswersOnlyOnSelect)
{
    Glo.SelectedDate = 12345;
    // Cancel, the right mouse button and the close box leave without a date.
    for (int way = 0; way < 3; ++way) {
        Glo.DatePicked = 1;
        drive([&](QDialog *d) {
            EXPECT_EQ(Glo.DatePicked, 0);
            click(d, "NextDay");
            way == 0 ? click(d, "Cancel") : way == 1 ? press(d, QPoint(2, 2), Qt::RightButton) : (void)d->close();
        });
        SelectDate();
        EXPECT_EQ(std::tuple(Glo.DatePicked, Glo.SelectedDate.get()), std::tuple(0, 12345)) << way;
    }
    drive([&](QDialog *d) {
        EXPECT_EQ(find<QLabel>(d, "StatusText")->text().toStdString(), formatDate("@d4", today()));
        click(d, "NextDay");
        click(d, "Select");
    });
    SelectDate();
    EXPECT_EQ(std::tuple(Glo.DatePicked, Glo.SelectedDate.get()), std::tuple(1, today() + 1));
    EXPECT_FALSE(IniFile(home.file("zenvik.INI")).has("SelectDate", "XPos"));
}

TEST_F(Settings, CalendarWindowRunsOnItsOwnAndTouchesNoGlobal)
{
    Glo.DatePicked = 7;
    runProcedure("CalendarWindow");
    ASSERT_EQ(startedWindows().size(), 1);
    WindowProcedure *w = startedWindows().front();
    EXPECT_EQ(w->windowTitle(), "Calendar");
    click(w, "NextYear");
    click(w, "Exit");
    testing_support::pump(20);
    EXPECT_TRUE(startedWindows().empty());
    EXPECT_EQ(Glo.DatePicked, 7);
    EXPECT_FALSE(IniFile(home.file("zenvik.INI")).has("CalendarWindow", "XPos"));
}

TEST_F(Settings, ModalWindowsOutliveTheWindowsAroundThem)
{
    // A window that has ended waits for its deferred deletion, which takes its children along:
    // a modal window opened meanwhile must not become one of them.
    runProcedure("CalendarWindow");
    ASSERT_EQ(startedWindows().size(), 1);
    QPointer<WindowProcedure> ended = startedWindows().front();
    const QWidget *endedAddress = ended.data();
    ASSERT_TRUE(QTest::qWaitForWindowActive(ended));
    click(ended, "Exit");
    drive([&](QDialog *d) {
        EXPECT_NE(d->parentWidget(), endedAddress);
        testing_support::pump(20);
        click(d, "Select");
    });
    SelectDate();
    EXPECT_EQ(Glo.DatePicked, 1);
    EXPECT_TRUE(ended.isNull());

    // An owner deleted while its modal window runs takes the window along; the caller gets no date.
    auto *owner = new QDialog;
    owner->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(owner));
    QWidget *ownerSeen = nullptr;
    testing_support::onNextModal([&](QWidget *w) {
        ownerSeen = w->parentWidget();
        delete owner;
    });
    SelectDate();
    EXPECT_EQ(ownerSeen, owner);
    EXPECT_EQ(Glo.DatePicked, 0);
}

TEST_F(Settings, SetupWizardRefusesAHomeTooLongForThePathFields)
{
    ASSERT_EQ(MainSystemFile.create(), 0);
    // The settings file stays where it is; only the home folder that the paths would name grows.
    std::string longHome = home.path() + std::string(60, 'x') + "/";
    std::filesystem::create_directories(longHome);
    ::setenv("ZENVIK_HOME", longHome.c_str(), 1);
    drive([&](QDialog *d) {
        click(d, "Next >>");
        setText(d, "Name", "Kim Appraiser");
        setText(d, "Address", "12 Elm Street");
        setText(d, "CSZ", "Springfield, IL");
        click(d, "Next >>");
        click(d, "Finish");
        ASSERT_EQ(box.shown().size(), 1u);
        EXPECT_EQ(box.shown()[0].title, "Data Error");
        EXPECT_TRUE(d->isVisible());
    });
    NewUser();
    ::setenv("ZENVIK_HOME", home.path().c_str(), 1);
    EXPECT_EQ(Glo.Response, RequestCancelled);
    EXPECT_EQ(onDisk(), "none");
}

TEST_F(Settings, FormAndSetupShowFortyCharacterAddressesWhole)
{
    const QString address = "1234 North Washington Boulevard, Apt 12B";
    auto seenWhole = [&](QDialog *d, const char *entry) {
        auto *e = find<QLineEdit>(d, entry);
        ASSERT_NE(e, nullptr) << entry;
        e->setText(address);
        e->end(false);
        e->repaint();  // the line scrolls to its cursor as it paints
        EXPECT_GE(e->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x(),
                  e->fontMetrics().horizontalAdvance(address))
            << entry << " " << e->width() << " wide";
    };
    writeSettings([](MainSystemFileRecord &r) { r.NAME = "Kim"; });
    drive([&](QDialog *d) {
        for (const char *entry : {"Address", "CSZ", "Name"})
            seenWhole(d, entry);
        click(d, "Cancel");
    });
    UpdateSystem();
    // The first-run setup's own page of entries.
    std::filesystem::remove(MainSystemFile.name);
    ASSERT_EQ(MainSystemFile.create(), 0);
    drive([&](QDialog *d) {
        click(d, "Next >>");
        for (const char *entry : {"Name", "Address", "CSZ"})
            seenWhole(d, entry);
        d->reject();
    });
    NewUser();
}
