#pragma once

#include "ContentStore.h"

#include <string>

namespace quillane {

// The name a stored pack is shown by: the title it had in the list it was
// installed from, else the name of its file, else (for packs stored before
// names were recorded) its content id, else its number.
std::string PackTitle(const TStoredPack& pack);

// The name its exports take: that title without a pack file's extension.
std::string PackExportName(const TStoredPack& pack);

// What an item is, in words: "emoticon", "display picture", ...; an item
// type the program does not know is shown as the pack names it.
std::string KindName(const std::string& type);

// How many items of each kind the pack holds: "4 emoticons, 1 wink".
std::string ContentsText(const TStoredPack& pack);

bool HoldsEmoticons(const TStoredPack& pack);

}  // namespace quillane
