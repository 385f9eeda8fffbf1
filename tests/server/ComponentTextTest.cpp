#include <gtest/gtest.h>

#include "ClassId.h"
#include "WideText.h"

namespace quillane {
namespace {

TEST(ClassId, ReadsAndWritesTheTextFormInBraces) {
    const auto id = ClassIdFromText("{b0a08bee-8E23-11d3-B08A-00C04FB16EC3}");
    ASSERT_TRUE(id);
    const TClassId expected{{0xB0, 0xA0, 0x8B, 0xEE, 0x8E, 0x23, 0x11, 0xD3, 0xB0, 0x8A, 0x00, 0xC0, 0x4F, 0xB1, 0x6E, 0xC3}};
    EXPECT_EQ(*id, expected);
    EXPECT_EQ(ClassIdFromText("{00000000-0000-0000-0000-000000000000}"), TClassId{});
}

TEST(ClassId, AnythingElseIsNoClassIdentifier) {
    for (const char* text : {"", "{}", "B0A08BEE-8E23-11D3-B08A-00C04FB16EC3", "{B0A08BEE-8E23-11D3-B08A-00C04FB16EC3",
                             "{B0A08BEE-8E23-11D3-B08A-00C04FB16EC3}x", "{B0A08BEE-8E23-11D3-B08A-00C04FB16EC}",
                             "{B0A08BEE-8E23-11D3-B08A-00C04FB16EC3)", "{B0A08BEE+8E23-11D3-B08A-00C04FB16EC3}",
                             "{B0A08BEG-8E23-11D3-B08A-00C04FB16EC3}", "{B0A08BEE8-E23-11D3-B08A-00C04FB16EC3}",
                             "{ 0A08BEE-8E23-11D3-B08A-00C04FB16EC3}"})
        EXPECT_FALSE(ClassIdFromText(text)) << text;
}

TEST(WideText, RoundTripsEveryCharacterLength) {
    const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z";  // a, e acute, euro sign, a smiley, z
    const std::wstring wide = WideFromText(text);
    EXPECT_EQ(wide, (std::wstring{L'a', wchar_t(0xE9), wchar_t(0x20AC), wchar_t(0x1F600), L'z'}));
    EXPECT_EQ(TextFromWide(wide), text);
    EXPECT_EQ(WideFromText(""), L"");
    EXPECT_EQ(TextFromWide(std::wstring(1, L'\0')), std::string(1, '\0'));
}

TEST(WideText, MalformedBytesAndCodePointsBecomeTheReplacementCharacter) {
    const wchar_t r = 0xFFFD;
    EXPECT_EQ(WideFromText("a\xFF" "b"), (std::wstring{L'a', r, L'b'}));
    EXPECT_EQ(WideFromText("\xC3"), std::wstring(1, r));                   // cut short at the end
    EXPECT_EQ(WideFromText("\xE2\x82" "x"), (std::wstring{r, r, L'x'}));  // cut short before a plain byte
    EXPECT_EQ(WideFromText("\xC0\xAF"), (std::wstring{r, r}));            // overlong "/"
    EXPECT_EQ(WideFromText("\xED\xA0\x80"), (std::wstring{r, r, r}));     // a surrogate
    EXPECT_EQ(WideFromText("\xF4\x90\x80\x80"), (std::wstring{r, r, r, r}));  // above the Unicode range
    EXPECT_EQ(WideFromText("\x80"), std::wstring(1, r));
    EXPECT_EQ(TextFromWide(std::wstring{wchar_t(0xD800), L'x'}), "\xEF\xBF\xBDx");
    EXPECT_EQ(TextFromWide(std::wstring{wchar_t(0x110000)}), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace quillane
