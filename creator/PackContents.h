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

    bool operator==(const TPackItem&) const = default;
};

// What a pack is made of, in list order.
struct TPackContents {
    std::vector<TPackItem> Emoticons;
    std::vector<TPackItem> DisplayPictures;

    bool operator==(const TPackContents&) const = default;
};

// Lets pending user input run between the steps of a long generation.
using TPump = std::function<void()>;

// The last component of a path: the name under which a picture is stored.
std::string FileNameOf(const std::string& path);

// A new row's name: the file name less its last four characters
// (smile.gif gives smile, photo.jpeg gives "photo.").
std::string DefaultName(const std::string& fileName);

// The names under which the pictures are stored in the pack, emoticons
// first, then display pictures, in list order: each picture's file name, made
// distinct from the others (and from content.xml) without regard to case,
// since a pack is unpacked on file systems that ignore it. A later picture
// of a name already taken gets "-2", "-3", ... before its extension.
std::vector<std::string> CabinetNames(const TPackContents& contents);

// Files given all at once (dropped on a list), sorted as the pictures that
// can be added, those whose names are not UTF-8 text (given as code page 1252
// reads them), and the files that are not pictures (by name).
struct TPictureFiles {
    std::vector<std::string> pictures;
    std::vector<std::string> unnamable;
    std::vector<std::string> notPictures;
};
TPictureFiles SortPictureFiles(const std::vector<std::string>& paths);

// The pictures in the folder whose file names are not UTF-8 text, such as
// pictures copied from an archive made on Windows. A pack names its files
// in UTF-8, so these cannot go into one until they are renamed. The names
// are given as code page 1252 reads them, sorted.
std::vector<std::string> PicturesNamedInACodePage(const std::string& folder);

}  // namespace quillane
