#pragma once

#include <optional>
#include <string_view>

namespace quillane {

// The frame of a Flash movie's main timeline (counted from 1) whose actions
// stop the movie, read from the movie's own tags; nothing when no frame stops
// it, so that it plays on and starts again after its last frame, or when the
// movie cannot be read this way (LZMA-compressed, or damaged). Only the main
// timeline counts: clips inside the movie stop only themselves. No Qt.
std::optional<int> FrameTheMovieStopsOn(std::string_view movie);

}  // namespace quillane
