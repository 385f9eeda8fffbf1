#pragma once

#include <optional>
#include <string>

namespace quillane {

// The still picture that an item kept as a cabinet holds beside its movie, as
// a wink's cabinet may: the picture that cabinet's content.xml lists, else a
// member named as a picture. Its bytes, only when they begin as a GIF, PNG,
// JPEG or BMP picture does; nothing when the file is no cabinet or holds no
// such picture. What is read is bounded: the cabinet comes from a pack.
std::optional<std::string> StillPictureInCabinet(const std::string& cabinet);

}  // namespace quillane
