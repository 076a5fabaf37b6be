// What may enter the target list: never a control character that would break
// the entry's line in the settings file, never half a double-byte character.
// The rules alone; the three ways in (a candidate window title, typed text in
// the add-target dialog, the change box of the settings dialog) are tested
// with that dialog.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/TargetText.h"

using namespace vcl;

namespace {

TEST(EntryRules, ControlCharactersBecomeBlanks) {
    EXPECT_EQ(CleanTargetText("two lines\r\n[Pad]\r\nNoBoth=1"), "two lines  [Pad]  NoBoth=1");
    EXPECT_EQ(CleanTargetText(std::string("a\tb\x01" "c\x1f" "d\x7f", 8)), "a b c d\x7f");
    EXPECT_EQ(CleanTargetText(std::string("\0x", 2)), " x");
    EXPECT_EQ(CleanTargetText(""), "");
    // Blanks stay where they are: entries keep leading and trailing blanks.
    EXPECT_EQ(CleanTargetText("  ﾌｧｲﾙ ﾏﾈｰｼﾞｬ "), "  ﾌｧｲﾙ ﾏﾈｰｼﾞｬ ");
    // Double-byte text is untouched, "ソ" and "表" (second byte 0x5C) included.
    EXPECT_EQ(CleanTargetText("メモ帳 - ソース表示"), "メモ帳 - ソース表示");
}

TEST(EntryRules, EveryLeadByteOfCodePage932AndNoOtherIsDroppedAtTheEnd) {
    // All 256 byte values against the system's own table of code page 932,
    // which holds whatever the system's code page is.
    int leads = 0;
    for (int b = 0; b < 256; ++b) {
        const std::string text = std::string("ab") + static_cast<char>(b);
        const bool lead = IsDBCSLeadByteEx(932, static_cast<BYTE>(b)) != FALSE;
        leads += lead;
        EXPECT_EQ(DropCutLeadByte(text), lead ? "ab" : text) << "byte " << b;
        // Followed by a second byte, it is a whole character either way.
        EXPECT_EQ(DropCutLeadByte(text + "\x40"), text + "\x40") << "byte " << b;
    }
    EXPECT_EQ(leads, 60) << "0x81-0x9F and 0xE0-0xFC";
}

TEST(EntryRules, ACutDoubleByteCharacterIsDropped) {
    const std::string a38(38, 'a');
    // "あ" is 82 A0: its first byte alone at the end goes.
    EXPECT_EQ(DropCutLeadByte(a38 + "\x82"), a38);
    EXPECT_EQ(DropCutLeadByte(a38 + "\xE0"), a38);
    EXPECT_EQ(DropCutLeadByte("ﾒﾓ帳あ\x82"), "ﾒﾓ帳あ");
    // Whole characters and single-byte katakana stay.
    EXPECT_EQ(DropCutLeadByte(a38 + "あ"), a38 + "あ");
    EXPECT_EQ(DropCutLeadByte("ｴｸｽﾌﾟﾛｰﾗ"), "ｴｸｽﾌﾟﾛｰﾗ");
    // A byte in the lead range that is the second byte of a character ("＠" is 81 97).
    EXPECT_EQ(DropCutLeadByte("x＠"), "x＠");
    EXPECT_EQ(DropCutLeadByte("\x82"), "");
    EXPECT_EQ(DropCutLeadByte(""), "");
    // A candidate title gets both rules.
    EXPECT_EQ(CandidateText("a\r\nb\x82"), "a  b");
}

} // namespace
