// The settings rules on their own, for the corners that the profile calls
// cannot reach (blanks the platform trims, bytes that end a name half-way
// through a character) and for the list-count bound.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "settings/IniRules.h"

using namespace vcl::ini;

TEST(NumberRule, ShapesThatConvertAndShapesThatDoNot) {
    const struct { const char* text; bool converts; int32_t value; } cases[] = {
        {"  42", true, 42}, {"  -7", true, -7}, {"  $1f", true, 31}, {"-0", true, 0},
        {"$00000000FFFFFFFF", true, -1}, {"$80000000", true, INT32_MIN}, {"0x00000000000010", true, 16},
        {"00000000002147483647", true, INT32_MAX},
        {"  0x1F", false, 0}, {"+$10", false, 0}, {"$100000000", false, 0}, {"12 ", false, 0},
        {"\t5", false, 0}, {"   ", false, 0}, {"+", false, 0}, {"0x", false, 0}, {"0x-1", false, 0},
        {"99999999999999999999", false, 0}, {"$g", false, 0},
    };
    for (const auto& c : cases) {
        int32_t v = 1234;
        EXPECT_EQ(ParseNumber(c.text, v), c.converts) << '"' << c.text << '"';
        EXPECT_EQ(v, c.converts ? c.value : 1234) << '"' << c.text << '"';
    }
    EXPECT_EQ(NumberText(INT32_MIN), "-2147483648");
    EXPECT_EQ(NumberText(0), "0");
}

TEST(NameScan, OnlyTheLastExtensionAfterTheLastSeparatorGoes) {
    EXPECT_TRUE(HasDirectoryPart(L"D:pad.ini"));
    EXPECT_FALSE(HasDirectoryPart(L"pad.ini"));
    EXPECT_EQ(DefaultIniName(L"D:\\TOOLS\\MY.PAD.EXE"), L"MY.PAD.ini");
    EXPECT_EQ(DefaultIniName(L"D:\\A.B\\PAD"), L"PAD.ini");
    EXPECT_EQ(DirectoryPart(L"D:\\A.B\\PAD"), L"D:\\A.B\\");
    EXPECT_EQ(DefaultIniName(L"C:"), L".ini");
    EXPECT_EQ(DefaultIniName(L""), L".ini");
    EXPECT_EQ(DirectoryPart(L"pad.exe"), L"");
}

TEST(ListCount, DamagedCountsAreBoundedButListsAreNeverCut) {
    EXPECT_EQ(BoundListCount(INT32_MAX, 0), kMaxListCount);
    EXPECT_EQ(BoundListCount(kMaxListCount + 1, 3), kMaxListCount);
    EXPECT_EQ(BoundListCount(kMaxListCount, 3), kMaxListCount);
    EXPECT_EQ(BoundListCount(25, 3), 25);
    EXPECT_EQ(BoundListCount(INT32_MIN, 3), 0);
    EXPECT_EQ(BoundListCount(0, 3), 0);
    // No count key: the default is the list's own length, which is kept even above the bound.
    EXPECT_EQ(BoundListCount(kMaxListCount + 50, kMaxListCount + 50), kMaxListCount + 50);
    EXPECT_EQ(ListEntryKey("List", 12), "List.12");
    EXPECT_EQ(ListCountKey("List"), "List.Count");
}
