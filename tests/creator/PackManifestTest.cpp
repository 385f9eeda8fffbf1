// The manifest's exact text, its escaping, and where it is written.
#include "CabinetTools.h"
#include "PackManifest.h"
#include "TempFolder.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <filesystem>

using namespace quillane;
namespace fs = std::filesystem;

namespace {

const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n";
const std::string kPackage = "<package xmlns=\"http://messenger.msn.com/messengercontent/1.0\" version=\"1.0\" type=\"theme\">\r\n";
const std::string kClosing = " </package>\r\n";

std::string Manifest(const TPackContents& contents) {
    return ManifestText(contents, [] {});
}

TEST(PackManifest, EmptyListsGiveTheThreeLines) {
    EXPECT_EQ(Manifest({}), kDeclaration + kPackage + kClosing);
}

TEST(PackManifest, ItemLinesCarryTheirAttributesInOrder) {
    TPackContents contents;
    contents.Emoticons.push_back({"smile", "/smile", "/pics/smile.gif"});
    contents.DisplayPictures.push_back({"me", "", "/pics/me.jpg"});
    const std::string emoticon =
        "<item xmlns:emoticon=\"http://messenger.msn.com/emoticon/1.0\" contentid=\"Pack1\" contenttype=\"P\" "
        "type=\"emoticon\" emoticon:namespaceprefix=\"Pack1\" mimetype=\"image/gif\" file=\"smile.gif\" "
        "emoticon:displayname=\"smile\" emoticon:keysequence=\"/smile\" />\r\n";
    const std::string picture =
        "<item xmlns:usertile=\"http://messenger.msn.com/usertile/1.0\" contentid=\"me.jpg\" contenttype=\"P\" "
        "usertile:version=\"1.0\" type=\"usertile\" mimetype=\"image/gif\" file=\"me.jpg\" usertile:default=\"false\" "
        "usertile:displayname=\"me\" />\r\n";
    EXPECT_EQ(Manifest(contents), kDeclaration + kPackage + emoticon + picture + kClosing);
}

TEST(PackManifest, EmoticonsComeFirstAllAsPack1AndThePumpRunsPerItem) {
    TPackContents contents;
    contents.DisplayPictures.push_back({"me", "", "/pics/me.jpg"});
    contents.Emoticons.push_back({"a", "/a", "/pics/a.gif"});
    contents.Emoticons.push_back({"b", "", "/pics/b.png"});
    int pumped = 0;
    const std::string text = ManifestText(contents, [&pumped] { ++pumped; });
    EXPECT_EQ(pumped, 3);
    pugi::xml_document document;
    ASSERT_TRUE(document.load_string(text.c_str()));
    std::vector<std::string> types;
    for (const pugi::xml_node item : document.child("package").children("item")) {
        types.push_back(item.attribute("type").value());
        if (types.back() == "emoticon") {
            EXPECT_STREQ(item.attribute("contentid").value(), "Pack1");
            EXPECT_STREQ(item.attribute("emoticon:namespaceprefix").value(), "Pack1");
        }
    }
    EXPECT_EQ(types, (std::vector<std::string>{"emoticon", "emoticon", "usertile"}));
    EXPECT_NE(text.find("emoticon:keysequence=\"\""), std::string::npos);
}

TEST(PackManifest, ReservedAndNonAsciiCharactersGiveAWellFormedManifest) {
    TPackContents contents;
    contents.Emoticons.push_back({"Tom & \"Jerry\" <3", "<&>", "/pics/Jérôme & Co.gif"});
    contents.DisplayPictures.push_back({"Ünïcødé 猫\tcat", "", "/pics/a\"b<c>.png"});
    quillane::testing::TempFolder app;
    quillane::testing::WriteFile(app.File("Preview/content.xml"), "");
    const std::string text = quillane::testing::ReadFile(WriteManifest(contents, app.Folder(), [] {}));
    EXPECT_NE(text.find("Tom &amp; &quot;Jerry&quot; &lt;3"), std::string::npos);
    EXPECT_TRUE(quillane::testing::WellFormedXml(app.File("Preview/content.xml")));
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_string(text.c_str(), pugi::parse_default | pugi::parse_declaration);
    ASSERT_TRUE(parsed) << parsed.description();
    EXPECT_EQ(document.first_child().type(), pugi::node_declaration);
    const pugi::xml_node emoticon = document.child("package").child("item");
    EXPECT_STREQ(emoticon.attribute("emoticon:displayname").value(), "Tom & \"Jerry\" <3");
    EXPECT_STREQ(emoticon.attribute("emoticon:keysequence").value(), "<&>");
    EXPECT_STREQ(emoticon.attribute("file").value(), "Jérôme & Co.gif");
    const pugi::xml_node picture = emoticon.next_sibling("item");
    EXPECT_STREQ(picture.attribute("usertile:displayname").value(), "Ünïcødé 猫\tcat");
    EXPECT_STREQ(picture.attribute("contentid").value(), "a\"b<c>.png");
}

TEST(PackManifest, AControlCharacterIsRefusedNotWritten) {
    TPackContents contents;
    contents.Emoticons.push_back({std::string("bell\a"), "/b", "/pics/b.gif"});
    EXPECT_THROW(Manifest(contents), EManifestError);
}

TEST(PackManifest, WriteManifestReplacesTheOldFileInThePreviewFolder) {
    quillane::testing::TempFolder app;
    quillane::testing::WriteFile(app.File("Preview/content.xml"), std::string(5000, 'x'));
    TPackContents contents;
    contents.Emoticons.push_back({"smile", "/smile", "/pics/smile.gif"});
    const std::string path = WriteManifest(contents, app.Folder(), [] {});
    EXPECT_EQ(path, app.Folder() + "Preview/content.xml");
    EXPECT_EQ(quillane::testing::ReadFile(path), Manifest(contents));
    EXPECT_EQ(std::distance(fs::directory_iterator(app.Path() / "Preview"), fs::directory_iterator()), 1);
}

TEST(PackManifest, WriteManifestThrowsWhenThePreviewFolderIsMissing) {
    quillane::testing::TempFolder app;
    EXPECT_THROW(WriteManifest({}, app.Folder(), [] {}), EManifestError);
    EXPECT_FALSE(fs::exists(app.Path() / "Preview"));
}

TEST(PackContents, NamesComeFromTheLastPathComponentLessFourCharacters) {
    EXPECT_EQ(FileNameOf("/pics/smile.gif"), "smile.gif");
    EXPECT_EQ(FileNameOf("smile.gif"), "smile.gif");
    EXPECT_EQ(DefaultName("smile.gif"), "smile");
    EXPECT_EQ(DefaultName("photo.jpeg"), "photo.");
    EXPECT_EQ(DefaultName("smüle.gif"), "smüle");
    EXPECT_EQ(DefaultName("猫猫.png"), "猫猫");
    EXPECT_EQ(DefaultName("ab.g"), "");
    EXPECT_EQ(DefaultName("a"), "");
}

}  // namespace
