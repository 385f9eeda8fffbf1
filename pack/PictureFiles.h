#pragma once

#include <string>
#include <string_view>

namespace quillane {

// The pictures a pack can hold: GIF, PNG, JPEG and BMP.

// Whether the file name has the extension of such a picture (.jpg, .jpeg,
// .png, .bmp or .gif, in either case).
bool IsPictureFileName(const std::string& name);

// "gif", "png", "jpeg" or "bmp" by the bytes a picture begins with; empty for
// anything else, whatever its name says.
std::string_view PictureFormatOf(std::string_view head);

// Whether the file is such a picture by its first bytes. Only a regular file
// is looked at: a named pipe is never waited on.
bool IsPictureByContent(const std::string& path);

}  // namespace quillane
