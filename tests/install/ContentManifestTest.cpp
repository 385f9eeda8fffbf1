#include "ContentManifest.h"
#include "PackFixtures.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

using namespace quillane;
namespace support = quillane::testing;
namespace support = quillane::testing;
using quillane::testing::TempFolder;

namespace {

std::optional<TManifest> Read(const std::string& text) {
    const support::IsolatedEnvironment environment;
    const TempFolder temp;
    support::WriteFile(temp.File("content.xml"), text);
    return ReadManifest(temp.File("content.xml"));
}

TEST(ContentManifest, NamespacesCountNotTheirPrefixes) {
    const auto manifest = Read(
        "<m:package xmlns:m=\"http://messenger.msn.com/messengercontent/1.0\" "
        "xmlns:e=\"http://messenger.msn.com/emoticon/1.0\" xmlns:u=\"http://messenger.msn.com/usertile/1.0\" type=\"theme\">"
        "<m:item type=\"emoticon\" file=\"a.gif\" e:displayname=\"Smile\" e:keysequence=\":)\" contentid=\"P\"/>"
        "<m:item type=\"usertile\" file=\"b.gif\" u:displayname=\"Robot\"/>"
        "<m:item type=\"wink\" file=\"w.cab\" displayname=\"Heart\"/>"
        "<other type=\"emoticon\" file=\"ignored.gif\"/>"
        "</m:package>");
    ASSERT_TRUE(manifest);
    EXPECT_EQ(manifest->packageType, "theme");
    ASSERT_EQ(manifest->items.size(), 3u);
    EXPECT_EQ(manifest->items[0].name, "Smile");
    EXPECT_EQ(manifest->items[0].shortcut, ":)");
    EXPECT_EQ(manifest->items[0].contentId, "P");
    EXPECT_EQ(manifest->items[1].name, "Robot");
    EXPECT_EQ(manifest->items[2].name, "Heart");
    EXPECT_EQ(manifest->items[2].file, "w.cab");
}

TEST(ContentManifest, AttributesOfAnotherNamespaceAreNotTheEmoticonsOwn) {
    const auto manifest = Read(
        "<package xmlns=\"http://messenger.msn.com/messengercontent/1.0\" xmlns:x=\"urn:other\">"
        "<item type=\"emoticon\" file=\"a.gif\" x:displayname=\"Wrong\" x:keysequence=\"w\"/></package>");
    ASSERT_TRUE(manifest);
    EXPECT_EQ(manifest->items[0].name, "");
    EXPECT_EQ(manifest->items[0].shortcut, "");
}

TEST(ContentManifest, WhatIsNoContentPackageIsRefused) {
    EXPECT_FALSE(Read("<package xmlns=\"http://messenger.msn.com/messengercontent/1.0\"><item file=\"a\">"));
    EXPECT_FALSE(Read("<package xmlns=\"urn:other\"><item file=\"a.gif\"/></package>"));
    EXPECT_FALSE(Read("<catalogue xmlns=\"http://messenger.msn.com/messengercontent/1.0\"><item file=\"a\"/></catalogue>"));
    EXPECT_FALSE(Read("<package xmlns=\"http://messenger.msn.com/messengercontent/1.0\"><item type=\"wink\"/></package>"));
    EXPECT_FALSE(Read("<package xmlns=\"http://messenger.msn.com/messengercontent/1.0\"/>"));
    EXPECT_FALSE(Read(""));
}

}  // namespace
