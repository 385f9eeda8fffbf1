#pragma once

// What the fault tests share: file systems that are full or read-only,
// mounted over folders of a test, and snapshots of what a folder holds.

#include "FolderSnapshot.h"
#include "TempFolder.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <random>
#include <sched.h>
#include <stdexcept>
#include <string>
#include <sys/mount.h>
#include <unistd.h>

namespace quillane::testing {

// Gives this process mounts of its own, so that a test that dies cannot
// leave a mount behind for others, and no other process sees ours. Call it
// first thing in main(), before any thread starts: a thread keeps the mount
// namespace it was made in. Returns false when the machine does not allow it.
inline bool UsePrivateMounts() {
    if (unshare(CLONE_NEWNS) != 0) return false;
    return mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

// A small tmpfs mounted over a folder for as long as this lives. Whatever
// the folder held is hidden meanwhile and back afterwards.
class SmallDisk {
public:
    SmallDisk(const std::string& folder, std::size_t kibibytes) : folder_(folder) {
        std::filesystem::create_directories(folder_);
        const std::string options = "size=" + std::to_string(kibibytes) + "k,mode=0755";
        if (mount("tmpfs", folder_.c_str(), "tmpfs", 0, options.c_str()) != 0) {
            error_ = "cannot mount a tmpfs on " + folder_ + ": " + std::strerror(errno);
            return;
        }
        mounted_ = true;
    }
    ~SmallDisk() {
        if (mounted_) umount2(folder_.c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool Mounted() const { return mounted_; }
    const std::string& Error() const { return error_; }

    // Fills the disk with a file of its own until no more than `left` bytes are free.
    void FillLeaving(std::size_t left) {
        const std::string filler = folder_ + "/filler.bin";
        const int fd = open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) throw std::runtime_error("cannot create " + filler);
        const std::string block(4096, 'f');
        off_t size = 0;
        for (;;) {
            const ssize_t n = write(fd, block.data(), block.size());
            if (n <= 0) break;
            size += n;
        }
        const off_t keep = size > static_cast<off_t>(left) ? size - static_cast<off_t>(left) : 0;
        // Whole pages come free, as tmpfs counts them.
        const off_t rounded = keep / 4096 * 4096;
        if (ftruncate(fd, rounded) != 0) throw std::runtime_error("cannot shorten " + filler);
        close(fd);
    }

    // Makes the folder read-only (and writable again with false) without unmounting.
    bool SetReadOnly(bool readOnly) {
        return mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT | (readOnly ? MS_RDONLY : 0), nullptr) == 0;
    }

private:
    std::string folder_;
    bool mounted_ = false;
    std::string error_;
};

// A folder made read-only by a read-only bind mount of itself, which refuses
// writes even to root, for as long as this lives.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const std::string& folder) : folder_(folder) {
        if (mount(folder_.c_str(), folder_.c_str(), nullptr, MS_BIND, nullptr) != 0) {
            error_ = "cannot bind-mount " + folder_ + ": " + std::strerror(errno);
            return;
        }
        mounted_ = true;
        if (mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
            error_ = "cannot make " + folder_ + " read-only: " + std::strerror(errno);
        }
    }
    ~ReadOnlyFolder() {
        if (mounted_) umount2(folder_.c_str(), MNT_DETACH);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    bool Ready() const { return mounted_ && error_.empty(); }
    const std::string& Error() const { return error_; }

private:
    std::string folder_;
    bool mounted_ = false;
    std::string error_;
};

// Bytes that do not compress, the same for the same seed.
inline std::string NoiseBytes(std::size_t size, unsigned seed = 1) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xff);
    return bytes;
}

// A catalogue of `packs` winks, as the vendor's site serves it.
inline std::string CatalogueOf(int packs) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ContentList>\n<Winks>\n";
    for (int i = 1; i <= packs; ++i) {
        xml += "<Item ContentTitle=\"Pack " + std::to_string(i) + "\" DownloadUrl=\"packs/p" + std::to_string(i) +
               ".QZK\" PrePath=\"p.swf\"/>\n";
    }
    return xml + "</Winks>\n</ContentList>\n";
}

}  // namespace quillane::testing

// Skips the test when a fault could not be arranged, saying why.
#define QUILLANE_REQUIRE_MOUNT(disk)                                              \
    do {                                                                          \
        if (!(disk).Error().empty()) GTEST_SKIP() << (disk).Error()               \
                                                  << " (mounting needs root or CAP_SYS_ADMIN)"; \
    } while (0)
