#pragma once

#include <functional>
#include <string>
#include <vector>

namespace quillane {

// One row of the Packs Creator's lists: a picture with its name and, for an
// emoticon, its keyboard shortcut.
struct TPackItem {
    std::string Name;
    std::string Key;
    std::string FullPath;
};

// What a pack is made of, in list order.
struct TPackContents {
    std::vector<TPackItem> Emoticons;
    std::vector<TPackItem> DisplayPictures;
};

// Lets pending user input run between the steps of a long generation.
using TPump = std::function<void()>;

// The last component of a path: the name under which a picture is stored.
std::string FileNameOf(const std::string& path);

// A new row's name: the file name less its last four characters
// (smile.gif gives smile, photo.jpeg gives "photo.").
std::string DefaultName(const std::string& fileName);

}  // namespace quillane
