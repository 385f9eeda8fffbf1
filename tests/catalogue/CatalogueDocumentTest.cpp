#include "CatalogueDocument.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

using quillane::CatalogueNode;
using quillane::ECatalogueError;
using quillane::TCatalogueDocument;
using quillane::testing::ReadFile;
using quillane::testing::TempFolder;
using quillane::testing::WriteFile;

TEST(CatalogueDocument, TheTemplateIsExactAndLoadsAsOneEmptyWinksCategory) {
    TempFolder folder;
    const std::string path = folder.File("WinksList.mpl");
    WriteFile(path, "an older, longer list that must go away completely");
    quillane::WriteNewListTemplate(path);
    EXPECT_EQ(ReadFile(path),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<ContentList>\r\n<Winks>\r\n</Winks>\r\n</ContentList>\r\n");
    TCatalogueDocument document;
    document.Load(path);
    ASSERT_EQ(document.Count(document.Root()), 1);
    const CatalogueNode winks = document.Child(document.Root(), 0);
    EXPECT_EQ(document.LocalName(winks), "Winks");
    EXPECT_EQ(document.Count(winks), 0) << "whitespace makes no nodes";
}

TEST(CatalogueDocument, NavigatesCategoriesItemsAndAttributes) {
    TempFolder folder;
    WriteFile(folder.File("a.mpl"),
              "<?xml version=\"1.0\"?>\n<r xmlns:m=\"urn:m\">\n  <m:Winks>\n    <Item ContentTitle=\"A\" DownloadUrl=\"a.QZK\"/>\n"
              "    <Item ContentTitle=\"B\"/>\n  </m:Winks>\n  <Emoticons><Item ContentTitle=\"C\" EmoticonsCount=\"3\"/></Emoticons>\n</r>\n");
    TCatalogueDocument document;
    document.Load(folder.File("a.mpl"));
    const CatalogueNode root = document.Root();
    ASSERT_EQ(document.Count(root), 2);
    const CatalogueNode winks = document.Child(root, 0);
    EXPECT_EQ(document.LocalName(winks), "Winks") << "the prefix is not part of the name";
    EXPECT_EQ(document.Count(winks), 2);
    const CatalogueNode b = document.Child(winks, 1);
    EXPECT_EQ(document.AttributeText(b, "ContentTitle"), "B");
    EXPECT_EQ(document.GetAttribute(b, "DownloadUrl"), std::nullopt);
    EXPECT_EQ(document.GetAttribute(b, "contenttitle"), std::nullopt) << "names are case-sensitive";
    EXPECT_THROW(document.AttributeText(b, "PrePath"), ECatalogueError);
    EXPECT_EQ(document.IndexOf(b), 1);
    EXPECT_THROW(document.Child(winks, 2), ECatalogueError);
    EXPECT_THROW(document.Child(winks, -1), ECatalogueError);
}

TEST(CatalogueDocument, MissingAndIllFormedFilesFailAndLeaveNoDocument) {
    TempFolder folder;
    TCatalogueDocument document;
    WriteFile(folder.File("good.mpl"), "<r><Winks/></r>");
    document.Load(folder.File("good.mpl"));
    EXPECT_THROW(document.Load(folder.File("missing.mpl")), ECatalogueError);
    EXPECT_THROW(document.Root(), ECatalogueError) << "the previous document is discarded first";
    WriteFile(folder.File("bad.mpl"), "<r><Winks></r>");
    EXPECT_THROW(document.Load(folder.File("bad.mpl")), ECatalogueError);
    WriteFile(folder.File("html.mpl"), "<html><body>404 Not Found<br></body></html>");
    EXPECT_THROW(document.Load(folder.File("html.mpl")), ECatalogueError);
}

TEST(CatalogueDocument, CommentsAndTextAreNodesThatHaveNoTitle) {
    TempFolder folder;
    WriteFile(folder.File("c.mpl"), "<r><Winks><!-- a note --><Item ContentTitle=\"A\"/>loose text</Winks></r>");
    TCatalogueDocument document;
    document.Load(folder.File("c.mpl"));
    const CatalogueNode winks = document.Child(document.Root(), 0);
    ASSERT_EQ(document.Count(winks), 3);
    EXPECT_THROW(document.AttributeText(document.Child(winks, 0), "ContentTitle"), ECatalogueError);
    EXPECT_THROW(document.AttributeText(document.Child(winks, 2), "ContentTitle"), ECatalogueError);
}

TEST(CatalogueDocument, AddRemoveAndSaveKeepUnusedAttributesAndTheDeclaration) {
    TempFolder folder;
    WriteFile(folder.File("l.mpl"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<ContentList Owner=\"me\">"
              "<Emoticons><Item ContentTitle=\"Old\" Rating=\"5\" DownloadUrl=\"x\"/><Item ContentTitle=\"Gone\"/>"
              "</Emoticons><Winks/></ContentList>");
    TCatalogueDocument document;
    document.Load(folder.File("l.mpl"));
    const CatalogueNode first = document.Child(document.Root(), 0);
    const CatalogueNode added = document.AddChild(first, "Item");
    document.SetAttribute(added, "ContentTitle", "Café & <Friends>");
    document.SetAttribute(added, "PrePath", "");
    document.SetAttribute(added, "DownloadUrl", "/app/userpack/cool.QZK");
    document.Remove(first, 1);
    document.Save(folder.File("saved.mpl"));

    const std::string text = ReadFile(folder.File("saved.mpl"));
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>", 0), 0u) << text;
    EXPECT_NE(text.find("Rating=\"5\""), std::string::npos);
    EXPECT_NE(text.find("Owner=\"me\""), std::string::npos);
    EXPECT_EQ(text.find("Gone"), std::string::npos);
    EXPECT_NE(text.find("ContentTitle=\"Café &amp; &lt;Friends>\" PrePath=\"\" DownloadUrl=\"/app/userpack/cool.QZK\""),
              std::string::npos)
        << "attributes in the order they were set, escaped, in UTF-8: " << text;

    TCatalogueDocument reread;
    reread.Load(folder.File("saved.mpl"));
    const CatalogueNode emoticons = reread.Child(reread.Root(), 0);
    ASSERT_EQ(reread.Count(emoticons), 2);
    EXPECT_EQ(reread.AttributeText(reread.Child(emoticons, 1), "ContentTitle"), "Café & <Friends>");
}

TEST(CatalogueDocument, ALatin1CatalogueIsSavedAsUtf8WithAMatchingDeclaration) {
    TempFolder folder;
    WriteFile(folder.File("latin.mpl"),
              "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r><Winks><Item ContentTitle=\"Caf\xE9\"/></Winks></r>");
    TCatalogueDocument document;
    document.Load(folder.File("latin.mpl"));
    const CatalogueNode item = document.Child(document.Child(document.Root(), 0), 0);
    EXPECT_EQ(document.AttributeText(item, "ContentTitle"), "Café");
    document.Save(folder.File("utf8.mpl"));
    TCatalogueDocument reread;
    reread.Load(folder.File("utf8.mpl"));
    EXPECT_EQ(reread.AttributeText(reread.Child(reread.Child(reread.Root(), 0), 0), "ContentTitle"), "Café");
    EXPECT_NE(ReadFile(folder.File("utf8.mpl")).find("encoding=\"UTF-8\""), std::string::npos);
}

namespace {

// The categories of a document with the titles of their items.
std::vector<std::pair<std::string, std::vector<std::string>>> Titles(const TCatalogueDocument& document) {
    std::vector<std::pair<std::string, std::vector<std::string>>> categories;
    for (const CatalogueNode category : document.Children(document.Root())) {
        categories.push_back({document.LocalName(category), {}});
        for (const CatalogueNode item : document.Children(category)) {
            categories.back().second.push_back(document.AttributeText(item, "ContentTitle"));
        }
    }
    return categories;
}

}  // namespace

TEST(CatalogueDocument, ListsMadeOnWindowsAreReadInTheirEncodingAndSavedAsUtf8) {
    using Expected = std::vector<std::pair<std::string, std::vector<std::string>>>;
    const std::vector<std::pair<std::string, Expected>> lists = {
        {"list-1252.mpl", {{"Winks", {"Café €uro", "Naïve “quotes”"}}, {"Émoticones", {"Smîle ™"}}}},
        {"list-gbk.mpl", {{"Winks", {"笑脸", "中文包"}}}},
        {"list-sjis.mpl", {{"Winks", {"笑顔パック", "表示"}}}},
        {"list-koi8r.mpl", {{"Winks", {"Улыбка"}}}},
        {"list-utf16le.mpl", {{"Winks", {"Ελληνικά", "日本"}}}},
        {"list-utf16le-nomark.mpl", {{"Winks", {"Ελλάδα"}}}},
    };
    TempFolder folder;
    for (const auto& [name, expected] : lists) {
        TCatalogueDocument document;
        document.Load(quillane::testing::WindowsTextFile(name));
        EXPECT_EQ(Titles(document), expected) << name;

        // Adding a pack and saving, as Add does, keeps every title and the unused attributes.
        const CatalogueNode added = document.AddChild(document.Child(document.Root(), 0), "Item");
        document.SetAttribute(added, "ContentTitle", "Añadido");
        document.Save(folder.File(name));
        const std::string saved = ReadFile(folder.File(name));
        EXPECT_EQ(saved.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u) << name << ": " << saved;
        EXPECT_NE(saved.find("Kept=\"" + expected.front().second.front() + "\""), std::string::npos) << name;
        TCatalogueDocument reread;
        reread.Load(folder.File(name));
        Expected withAdded = expected;
        withAdded.front().second.push_back("Añadido");
        EXPECT_EQ(Titles(reread), withAdded) << name;
    }
}

TEST(CatalogueDocument, AnEncodingThatCannotBeReadFailsTheLoad) {
    TempFolder folder;
    const std::vector<std::pair<std::string, std::string>> unreadable = {
        {"unknown.mpl", ReadFile(quillane::testing::WindowsTextFile("list-unknown.mpl"))},
        {"suffix.mpl", "<?xml version=\"1.0\" encoding=\"windows-1252//IGNORE\"?><r><W><I ContentTitle=\"a\"/></W></r>"},
        {"not-utf8.mpl", "<?xml version=\"1.0\"?><r><W><I ContentTitle=\"Caf\xE9\"/></W></r>"},
        {"not-sjis.mpl", "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><r><W><I ContentTitle=\"\x81\"/></W></r>"},
        {"surrogate.mpl", "<r><W><I ContentTitle=\"&#xD800;\"/></W></r>"},
    };
    for (const auto& [name, bytes] : unreadable) {
        WriteFile(folder.File(name), bytes);
        TCatalogueDocument document;
        EXPECT_THROW(document.Load(folder.File(name)), ECatalogueError) << name;
        EXPECT_THROW(document.Root(), ECatalogueError) << name << ": nothing of it stays loaded";
    }

    TCatalogueDocument document;
    document.Load(quillane::testing::WindowsTextFile("list-1252.mpl"));
    const CatalogueNode item = document.Child(document.Child(document.Root(), 0), 0);
    EXPECT_THROW(document.SetAttribute(item, "ContentTitle", "Caf\xE9"), ECatalogueError) << "no bytes that are not UTF-8 go in";
    EXPECT_EQ(document.AttributeText(item, "ContentTitle"), "Café €uro");
}
