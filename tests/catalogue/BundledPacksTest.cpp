// The bundled catalogue and its sample packs say the same: each emoticon pack
// holds as many emoticons as its catalogue entry (and so its preview) shows,
// each with its picture; each wink holds its movie and the still picture that
// stands for it.
#include "CabinetReader.h"
#include "ContentManifest.h"
#include "TempFolder.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

using namespace quillane;

namespace {

std::string PackFile(const pugi::xml_node& item) {
    const std::string url = item.attribute("DownloadUrl").value();
    return url.substr(url.rfind('/') + 1);
}

std::unique_ptr<TCabinetReader> OpenPack(const std::string& file) {
    const bool qzk = file.size() > 4 && file.substr(file.size() - 4) == ".QZK";
    return TCabinetReader::OpenFile(quillane::testing::AppFolder() + "msnpack/" + file, qzk);
}

std::optional<TManifest> ManifestOf(const TCabinetReader& cabinet) {
    const auto text = cabinet.Read("content.xml", 1 << 20);
    return text ? ReadManifestBytes(*text) : std::nullopt;
}

// The width and height a GIF file declares.
std::pair<int, int> GifSize(const std::string& bytes) {
    if (bytes.size() < 10) return {0, 0};
    const auto word = [&](size_t at) { return uint8_t(bytes[at]) | (uint8_t(bytes[at + 1]) << 8); };
    return {word(6), word(8)};
}

}  // namespace

TEST(BundledPacks, EveryEmoticonPackHoldsWhatItsCatalogueEntryShows) {
    const std::string app = quillane::testing::AppFolder();
    pugi::xml_document catalogue;
    ASSERT_TRUE(catalogue.load_file((app + "content.dat").c_str()));
    int packs = 0;
    for (const auto& found : catalogue.select_nodes("//Emoticons/Item")) {
        const pugi::xml_node item = found.node();
        const std::string title = item.attribute("ContentTitle").value();
        const std::string file = PackFile(item);
        const auto pack = OpenPack(file);
        ASSERT_TRUE(pack) << title << ": no sample pack " << file;
        const auto manifest = ManifestOf(*pack);
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

// The wink's own cabinet lists its movie and its still, a small square GIF, in its content.xml.
TEST(BundledPacks, EveryWinkHoldsItsMovieAndAStillPictureOfIt) {
    pugi::xml_document catalogue;
    ASSERT_TRUE(catalogue.load_file((quillane::testing::AppFolder() + "content.dat").c_str()));
    int winks = 0;
    for (const auto& found : catalogue.select_nodes("//Winks/Item")) {
        const pugi::xml_node item = found.node();
        const std::string title = item.attribute("ContentTitle").value();
        const auto pack = OpenPack(PackFile(item));
        ASSERT_TRUE(pack) << title;
        const auto manifest = ManifestOf(*pack);
        ASSERT_TRUE(manifest && manifest->items.size() == 1 && manifest->items[0].type == "wink") << title;
        auto innerBytes = pack->Read(manifest->items[0].file, 1 << 20);
        ASSERT_TRUE(innerBytes) << title;
        const auto inner = TCabinetReader::OpenBytes(std::move(*innerBytes));
        ASSERT_TRUE(inner) << title;
        const auto listed = ManifestOf(*inner);
        ASSERT_TRUE(listed) << title;
        std::map<std::string, std::string> files;
        for (const TManifestItem& entry : listed->items) {
            files[entry.type] = inner->Read(entry.file, 1 << 20).value_or("");
        }
        EXPECT_EQ(files["animation"].rfind("FWS", 0), 0u) << title;
        EXPECT_EQ(files["thumbnail"].rfind("GIF89a", 0), 0u) << title;
        EXPECT_EQ(GifSize(files["thumbnail"]), (std::pair<int, int>{64, 64})) << title;
        ++winks;
    }
    EXPECT_EQ(winks, 5);
}
