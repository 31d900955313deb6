// INI files as other programs leave them: any of the three line ends, and values read back
// after a write without disturbing the rest.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "runtime/ini.h"
#include "tests/support/test_support.h"

using namespace rt;

namespace {

std::string slurp(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(IniFiles, EveryLineEndSplitsLines)
{
    testing_support::TempHome home;
    const std::string path = home.file("old.INI");
    // CR only (as old Macintosh editors write), LF, CR LF, and a last line without an end.
    std::ofstream(path, std::ios::binary) << "[Paths]\rData=C:\\Data\rBackup = D:\\Save \r\n[Window]\nTop=12\n\rLeft=99999999999";
    IniFile ini(path);
    EXPECT_EQ(ini.read("paths", "DATA"), "C:\\Data");
    EXPECT_EQ(ini.read("Paths", "Backup"), "D:\\Save");
    EXPECT_EQ(ini.readInt("Window", "Top"), 12);
    EXPECT_EQ(ini.readInt("Window", "Left"), 2147483647);  // held to an int, never wrapped
    EXPECT_FALSE(ini.has("Paths", "Top"));

    ASSERT_TRUE(ini.write("Window", "Top", "40"));
    ASSERT_TRUE(ini.write("Paths", "Pictures", "E:\\Pics"));
    EXPECT_EQ(slurp(path), "[Paths]\r\nData=C:\\Data\r\nBackup = D:\\Save \r\nPictures=E:\\Pics\r\n[Window]\r\nTop=40\r\n\r\n"
                           "Left=99999999999\r\n");
    EXPECT_EQ(ini.read("Paths", "Data"), "C:\\Data");
    EXPECT_TRUE(ini.remove("Paths", "Data"));
    EXPECT_FALSE(ini.has("Paths", "Data"));

    EXPECT_EQ(iniLines("a\r\rb\n\r\nc\r"), (std::vector<std::string>{"a", "", "b", "", "c"}));
    EXPECT_TRUE(iniLines("").empty());
}
