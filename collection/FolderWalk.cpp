#include "FolderWalk.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <set>
#include <sys/stat.h>
#include <system_error>
#include <utility>

namespace quillane {
namespace {

// Where a file or folder lives, so that none is visited twice.
using Identity = std::pair<dev_t, ino_t>;

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};
using UniqueDir = std::unique_ptr<DIR, DirCloser>;

std::int64_t Nanoseconds(const struct timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

// The real path of what a link leads to; empty when it leads nowhere.
std::string RealPath(const std::string& path) {
    std::unique_ptr<char, decltype(&std::free)> real(realpath(path.c_str(), nullptr), &std::free);
    return real ? std::string(real.get()) : std::string();
}

bool IsInside(const std::string& path, const std::string& folder) {
    return path == folder || (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                              (folder == "/" || path[folder.size()] == '/'));
}

const char* SpecialFileName(mode_t mode) {
    if (S_ISFIFO(mode)) return "a named pipe";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    return "no file";
}

class Walker {
public:
    Walker(const std::string& folder, const std::atomic<bool>& stop) : folder_(folder), stop_(stop) {}

    TFolderWalk Run() {
        real_ = RealPath(folder_);
        struct stat top {};
        if (real_.empty() || stat(real_.c_str(), &top) != 0) throw std::system_error(errno, std::generic_category());
        UniqueDir first(opendir(real_.c_str()));
        if (!first) throw std::system_error(errno, std::generic_category());
        first.reset();
        seen_.insert({top.st_dev, top.st_ino});
        pending_.push_back({""});
        while (!pending_.empty() && !stop_) {
            const std::string below = std::move(pending_.front());
            pending_.pop_front();
            Walk(below);
        }
        return std::move(walk_);
    }

private:
    std::string Full(const std::string& below) const { return below.empty() ? real_ : real_ + "/" + below; }

    void Problem(const std::string& below, std::string why, std::uint64_t bytes = 0) {
        TCollectedFile problem;
        problem.path = below;
        problem.bytes = bytes;
        problem.problem = std::move(why);
        walk_.problems.push_back(std::move(problem));
    }

    void Walk(const std::string& below) {
        UniqueDir dir(opendir(Full(below).c_str()));
        if (!dir) {
            Problem(below, std::string("a folder that cannot be read: ") + std::strerror(errno));
            return;
        }
        walk_.folders.push_back(below);
        std::vector<std::string> names;
        errno = 0;
        while (const dirent* entry = readdir(dir.get())) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            if (stop_) return;
            Visit(dirfd(dir.get()), name, below.empty() ? name : below + "/" + name);
        }
    }

    void Visit(int dir, const std::string& name, const std::string& below) {
        struct stat status {};
        if (fstatat(dir, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
            Problem(below, std::string("cannot be read: ") + std::strerror(errno));
            return;
        }
        if (S_ISLNK(status.st_mode)) {
            const std::string target = RealPath(Full(below));
            if (target.empty()) return Problem(below, "a link to nothing");
            if (!IsInside(target, real_)) return Problem(below, "a link out of the folder, not followed");
            if (stat(target.c_str(), &status) != 0) return Problem(below, "a link to nothing");
        }
        if (!seen_.insert({status.st_dev, status.st_ino}).second) return;
        if (S_ISDIR(status.st_mode)) {
            pending_.push_back(below);
        } else if (S_ISREG(status.st_mode)) {
            walk_.files.push_back({below, static_cast<std::uint64_t>(status.st_size), Nanoseconds(status.st_mtim)});
        } else if (HasPackExtension(name)) {
            Problem(below, std::string(SpecialFileName(status.st_mode)) + ", not read");
        }
    }

    const std::string folder_;
    const std::atomic<bool>& stop_;
    std::string real_;
    std::set<Identity> seen_;
    std::deque<std::string> pending_;
    TFolderWalk walk_;
};

}  // namespace

bool HasPackExtension(const std::string& name) {
    const auto dot = name.rfind('.');
    if (dot == std::string::npos) return false;
    std::string extension = name.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == "qzk" || extension == "qzc" || extension == "cab" || extension == "mco";
}

TFolderWalk WalkFolder(const std::string& folder, const std::atomic<bool>& stop) {
    return Walker(folder, stop).Run();
}

}  // namespace quillane
