#pragma once

#include "InstallResult.h"

#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace quillane {

// The store cannot be opened: its folder cannot be made or written.
class EContentStoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An item as the store keeps it; File is relative to the store folder.
struct TStoredItem {
    std::string type;
    std::string file;
    std::string name;
    std::string shortcut;
    std::string contentId;

    bool operator==(const TStoredItem&) const = default;
};

// What the user knows a pack by, as an install records it: the name of its
// file (or its URL's last segment), and the title it has in the list it was
// chosen from, when it was chosen from one.
struct TPackNames {
    std::string name{};
    std::string title{};
};

struct TStoredPack {
    int id = 0;
    std::string source;
    std::string packageType;
    // The pack file's name or its URL's last segment; empty for packs stored
    // before names were recorded.
    std::string name;
    // The title the pack had in the list it was installed from ("Big Faces");
    // empty for a pack installed from a file, and for packs stored before titles were recorded.
    std::string title;
    // When it was installed, "YYYY-MM-DDThh:mm:ssZ" in UTC; empty for packs
    // stored before times were recorded.
    std::string installed;
    std::vector<TStoredItem> items;

    bool operator==(const TStoredPack&) const = default;
};

// The content that Messenger would keep, in a folder of its own:
//
//   <store>/index.xml         every installed pack and its items:
//                             <store nextid><pack id source type name title installed><item type file name shortcut contentid/>...
//                             (nextid, name, title and installed came later: an older reader passes over them)
//   <store>/packs/<id>/<file> the items' files as the cabinet holds them; a
//                             wink's file is its inner cabinet, kept whole,
//                             since Messenger plays a wink from that cabinet
//   <store>/.install-*/       work of an install in progress (removed after it)
//
// The store folder is locked (flock) while the index is read and replaced, so
// that installs and removals of several windows or processes never undo each
// other's entries. An install is all or nothing: its files are laid out in a work folder, then
// moved to packs/<id>/ with one rename, and the index is replaced atomically
// last; any failure before that leaves the store as it was.
class TContentStore {
public:
    // Opens the folder (ending in "/"), creating it; raises EContentStoreError
    // when it cannot be made or written.
    explicit TContentStore(std::string folder);

    // $XDG_DATA_HOME/Quillane/Messenger/, or ~/.local/share/Quillane/Messenger/.
    static std::string DefaultFolder();

    const std::string& Folder() const { return folder_; }

    // Installs the pack in the cabinet file, recording where it came from,
    // what the user knows it by and the time. Safe to call from several
    // threads: installs take turns.
    TInstallResult Install(const std::string& cabinet, const std::string& source, const TPackNames& names = {});

    // Removes the pack as Packs() gave it: first its entry from the index, then
    // its files, so that the index never lists a pack whose files are gone.
    // Raises EContentStoreError when the index cannot be replaced (nothing
    // changed then) or when files stay behind (the pack is no longer listed
    // then). A pack that is not listed any more, or whose entry is now another
    // pack's, is removed already.
    void Remove(const TStoredPack& shown);

    // The folder of a pack's files, ending in "/".
    std::string PackFolder(int id) const;

    // The packs installed so far, in the order of their installs. Never waits
    // for an install or a removal under way.
    std::vector<TStoredPack> Packs() const;

private:
    std::string folder_;
    // Installs and removals read and replace index.xml; they run one at a time.
    mutable std::mutex storeLock_;
};

}  // namespace quillane
