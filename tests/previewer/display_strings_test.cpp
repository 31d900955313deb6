#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

#include "previewer/display_strings.h"
#include "runtime/ini.h"
#include "tests/support/test_support.h"

using namespace previewer;

TEST(DisplayStrings, DefaultsWithoutTheFile)
{
    testing_support::TempHome home;
    std::string path = displayStringsPath();
    EXPECT_EQ(path, home.file("VURDRPTS.INI"));
    EXPECT_EQ(displayStringsPath("/etc/other.ini"), "/etc/other.ini");

    DisplayStrings s = readDisplayStrings(path);
    EXPECT_EQ(s, DisplayStrings{});
    EXPECT_EQ(s.windowTitle, "Report Preview");
    EXPECT_EQ(s.pagesToPrintValue, "All");
    EXPECT_EQ(s.pagesToPrintTip, "Pages to Print: ALL or Ranges (ie. 1-2,5,7,12-15)");
    EXPECT_EQ(s.menuGoToPage, "&GoTo Page");
    EXPECT_EQ(readWindowTitle(path), "Report Preview");
    PreviewHelp h = readPreviewHelp(path);
    EXPECT_EQ(h.helpFile, "");
    EXPECT_EQ(h.context, "");
}

TEST(DisplayStrings, OverridesCutsAndEmptyValues)
{
    testing_support::TempHome home;
    std::string path = home.file("VURDRPTS.INI");
    {
        std::ofstream ini(path, std::ios::binary);
        ini << "[Other Section]\r\nPrintTip=not this one\r\n"
            << "[display strings 2.0]\r\n"
            << "pagestoprintvalue = Alle\r\n"
            << "window title=Vorschau\r\n"
            << "PageOFprompt=\r\n"
            << "PmenuStr=" << std::string(40, 'm') << "\r\n"
            << "PmenuExitStr=" << std::string(30, 'a') << "\xC3\xA9\r\n"  // the 31st byte splits the é
            << "PagesToPrintErrorText=" << std::string(60, 'e') << "\r\n"
            << "FullWidthTip=" << std::string(100, 'w') << "\r\n"
            << "[PREVIEW HELP 2.0]\r\n"
            << "PreviewHelp=" << std::string(70, 'h') << "\r\n"
            << "PreviewContext=" << std::string(40, 'c') << "\r\n";
    }
    DisplayStrings s = readDisplayStrings(path);
    EXPECT_EQ(s.pagesToPrintValue, "Alle");
    EXPECT_EQ(s.windowTitle, "Vorschau");
    EXPECT_EQ(readWindowTitle(path), "Vorschau");
    EXPECT_EQ(s.pageOfPrompt, "");  // present but empty: kept empty, not the default
    EXPECT_EQ(s.menu, std::string(31, 'm'));
    EXPECT_EQ(s.menuExit, std::string(30, 'a'));
    EXPECT_EQ(s.pagesToPrintErrorText, std::string(47, 'e'));
    EXPECT_EQ(s.fullWidthTip, std::string(100, 'w'));  // tips have no limit
    EXPECT_EQ(s.printTip, "Printing Options...");
    EXPECT_EQ(s.copiesPrompt, "Copies");
    PreviewHelp h = readPreviewHelp(path);
    EXPECT_EQ(h.helpFile, std::string(64, 'h'));
    EXPECT_EQ(h.context, std::string(32, 'c'));
}

// A VURDRPTS.INI that is no regular file gives the defaults at once and never ends the program;
// a huge one is read once per use and still gives its entries.
TEST(DisplayStrings, FoldersFifosDevicesAndHugeFiles)
{
    testing_support::TempHome home;
    const std::string folder = home.file("VURDRPTS.INI");
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    const std::string fifo = home.file("fifo.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string &path : {folder, fifo, std::string("/dev/zero")}) {
        EXPECT_EQ(readDisplayStrings(path), DisplayStrings{}) << path;
        EXPECT_EQ(readWindowTitle(path), "Report Preview") << path;
        EXPECT_EQ(readPreviewHelp(path).helpFile, "") << path;
        EXPECT_FALSE(rt::IniFile(path).write("Display Strings 2.0", "PrintTip", "x")) << path;
    }
    const std::string big = home.file("big.ini");
    {
        std::ofstream ini(big, std::ios::binary);
        ini << "[Display Strings 2.0]\r\nPrintTip=first\r\n";
        const std::string filler = "; " + std::string(78, 'x') + "\r\n";
        for (int i = 0; i < 250000; ++i)  // 20 MB of comments
            ini << filler;
        ini << "PrintTip=second\r\nWindow Title=Far Down\r\n";
    }
    DisplayStrings s = readDisplayStrings(big);
    EXPECT_EQ(s.printTip, "first");  // the first entry of a key counts
    EXPECT_EQ(s.windowTitle, "Far Down");
    EXPECT_EQ(readWindowTitle(big), "Far Down");
}
