// The bundled catalogue and its sample packs say the same: each emoticon pack
// holds as many emoticons as its catalogue entry (and so its preview) shows,
// each with its picture.
#include "CabinetReader.h"
#include "ContentManifest.h"
#include "TempFolder.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <algorithm>
#include <string>

using namespace quillane;

TEST(BundledPacks, EveryEmoticonPackHoldsWhatItsCatalogueEntryShows) {
    const std::string app = quillane::testing::AppFolder();
    pugi::xml_document catalogue;
    ASSERT_TRUE(catalogue.load_file((app + "content.dat").c_str()));
    int packs = 0;
    for (const auto& found : catalogue.select_nodes("//Emoticons/Item")) {
        const pugi::xml_node item = found.node();
        const std::string title = item.attribute("ContentTitle").value();
        const std::string url = item.attribute("DownloadUrl").value();
        const std::string file = url.substr(url.rfind('/') + 1);
        const bool qzk = file.size() > 4 && file.substr(file.size() - 4) == ".QZK";
        const auto pack = TCabinetReader::OpenFile(app + "msnpack/" + file, qzk);
        ASSERT_TRUE(pack) << title << ": no sample pack " << file;
        const auto text = pack->Read("content.xml", 1 << 20);
        ASSERT_TRUE(text) << title;
        const auto manifest = ReadManifestBytes(*text);
        ASSERT_TRUE(manifest) << title;
        const auto emoticons = std::count_if(manifest->items.begin(), manifest->items.end(),
                                             [](const TManifestItem& entry) { return entry.type == "emoticon"; });
        EXPECT_EQ(emoticons, item.attribute("EmoticonsCount").as_int()) << title;
        for (const TManifestItem& entry : manifest->items) {
            const auto picture = pack->Read(entry.file, 1 << 20);
            EXPECT_TRUE(picture && picture->rfind("GIF89a", 0) == 0) << title << ": " << entry.file;
        }
        ++packs;
    }
    EXPECT_GE(packs, 9);
}
