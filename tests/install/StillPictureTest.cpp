#include "PackFixtures.h"
#include "StillPicture.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

using namespace quillane;
namespace support = quillane::testing;

namespace {

const std::string kPng = std::string("\x89PNG\r\n\x1a\n", 8) + "still";
const std::string kGif = "GIF89a still";
const std::string kMovie = "FWS movie";

TEST(StillPicture, TheListedStillComesFirstElseAnyPictureByItsBytes) {
    support::TempFolder temp;
    // Another picture comes first in the cabinet, but the manifest names the still.
    support::MakeCabinetOf(temp.File("listed.cab"), {{"other.gif", kGif},
                                                     {"content.xml", support::WinkCabinetManifest("wave.swf", "wave.png")},
                                                     {"wave.swf", kMovie},
                                                     {"wave.png", kPng}});
    EXPECT_EQ(StillPictureInCabinet(temp.File("listed.cab")), kPng);

    // Without a manifest; a member named as a picture that is none is passed over.
    support::MakeCabinetOf(temp.File("unlisted.cab"),
                           {{"wave.swf", kMovie}, {"fake.png", "<svg xmlns=\"http://www.w3.org/2000/svg\"/>"}, {"wave.gif", kGif}});
    EXPECT_EQ(StillPictureInCabinet(temp.File("unlisted.cab")), kGif);
}

TEST(StillPicture, NothingForACabinetWithOnlyItsMovieOrAFileThatIsNoCabinet) {
    support::TempFolder temp;
    support::MakeCabinetOf(temp.File("movie.cab"), {{"wave.swf", kMovie}});
    EXPECT_EQ(StillPictureInCabinet(temp.File("movie.cab")), std::nullopt);
    // The manifest names a still the cabinet does not hold.
    support::MakeCabinetOf(temp.File("missing.cab"), {{"content.xml", support::WinkCabinetManifest("wave.swf", "wave.png")},
                                                      {"wave.swf", kMovie}});
    EXPECT_EQ(StillPictureInCabinet(temp.File("missing.cab")), std::nullopt);
    support::WriteFile(temp.File("picture.gif"), kGif);
    EXPECT_EQ(StillPictureInCabinet(temp.File("picture.gif")), std::nullopt);
    EXPECT_EQ(StillPictureInCabinet(temp.File("gone.cab")), std::nullopt);
}

}  // namespace
