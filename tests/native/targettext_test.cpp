// The rules that make a text fit to be a target-list entry, under the
// sanitizers: fixed cases, and properties over many random byte strings.
// Code page 932 texts are written as bytes: this build has no CP932 literals.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "dialogs/TargetText.h"

using vcl::CandidateText;
using vcl::CleanTargetText;
using vcl::DropCutLeadByte;

namespace {

TEST(TargetText, LineBreaksAndControlsBecomeBlanks) {
    EXPECT_EQ(CleanTargetText("two lines\r\n[Pad]\r\nNoBoth=1"), "two lines  [Pad]  NoBoth=1");
    EXPECT_EQ(CleanTargetText(std::string("a\0b\tc\x1f", 6)), "a b c ");
    // Double-byte characters whose second byte is a backslash or "|" stay whole.
    EXPECT_EQ(CleanTargetText("\x95\x5c\x83\x7c \xb4\xb8\xbd\xcc\xdf\xdb\xb0\xd7"), "\x95\x5c\x83\x7c \xb4\xb8\xbd\xcc\xdf\xdb\xb0\xd7");
}

TEST(TargetText, ATitleCutInsideADoubleByteCharacterLosesTheLoneFirstByte) {
    EXPECT_EQ(DropCutLeadByte("abc\x82"), "abc");
    EXPECT_EQ(DropCutLeadByte("abc\x82\xa0"), "abc\x82\xa0");
    // 0x82 0x82 is one whole character: nothing is cut.
    EXPECT_EQ(DropCutLeadByte("\x82\x82"), "\x82\x82");
    EXPECT_EQ(DropCutLeadByte("\x82\x82\x82"), "\x82\x82");
    // Half-width katakana ("ｴｸｽ") are single bytes.
    EXPECT_EQ(DropCutLeadByte("\xb4\xb8\xbd"), "\xb4\xb8\xbd");
    EXPECT_EQ(CandidateText("a\nb\xe0"), "a b");
}

TEST(TargetText, RandomTextsKeepTheirLengthAndNeverHoldAControlByte) {
    std::mt19937 rng(932);
    for (int n = 0; n < 20000; ++n) {
        std::string text(rng() % 48, '\0');
        for (char& c : text) c = static_cast<char>(rng() & 0xFF);
        const std::string clean = CleanTargetText(text);
        ASSERT_EQ(clean.size(), text.size());
        for (size_t i = 0; i < text.size(); ++i) {
            const auto b = static_cast<unsigned char>(text[i]);
            ASSERT_EQ(static_cast<unsigned char>(clean[i]), b < 0x20 ? ' ' : b);
        }
        const std::string cut = DropCutLeadByte(text);
        ASSERT_LE(text.size() - cut.size(), 1u);
        ASSERT_EQ(text.compare(0, cut.size(), cut), 0);
        // Cutting again finds nothing more to cut.
        ASSERT_EQ(DropCutLeadByte(cut), cut);
    }
}

} // namespace
