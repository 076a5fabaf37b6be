// The settings rules on their own, for the corners that the profile calls
// cannot reach (blanks the platform trims, bytes that end a name half-way
// through a character) and for the list-count bound.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "settings/IniRules.h"

using namespace vcl::ini;

namespace {
bool Cp932Lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
}  // namespace

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

TEST(NameScan, DoubleByteCharactersAreNeverSplit) {
    // "表" is 95 5C and "ソ" is 83 5C: the trailing byte looks like "\".
    const std::string exe = "C:\\\x83\x5C\x83\x74\x83\x67\\\x95\x5C.EXE";
    EXPECT_EQ(DirectoryPart(exe, Cp932Lead), "C:\\\x83\x5C\x83\x74\x83\x67\\");
    EXPECT_EQ(DefaultIniName(exe, Cp932Lead), "\x95\x5C.ini");
    EXPECT_FALSE(HasDirectoryPart("\x95\x5C.ini", Cp932Lead));
    EXPECT_TRUE(HasDirectoryPart("\x95\x5C.ini", nullptr));

    // A lead byte at the very end (a damaged name) ends the scan without reading past it.
    EXPECT_EQ(DirectoryPart("a\\b\x83", Cp932Lead), "a\\");
    EXPECT_EQ(DefaultIniName("a.b\\c\x83", Cp932Lead), "c\x83.ini");
    EXPECT_EQ(DefaultIniName("D:\\A.B\\PAD", Cp932Lead), "PAD.ini");
    EXPECT_EQ(DefaultIniName("C:", Cp932Lead), ".ini");
    EXPECT_EQ(DefaultIniName("", Cp932Lead), ".ini");
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
