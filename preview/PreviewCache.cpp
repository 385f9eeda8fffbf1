#include "PreviewCache.h"

#include <sys/stat.h>

namespace quillane {
namespace {

std::string Identity(const std::string& path) {
    struct stat status {};
    if (path.empty() || stat(path.c_str(), &status) != 0) return path;
    return path + '\n' + std::to_string(status.st_size) + '\n' + std::to_string(status.st_mtim.tv_sec) + '.' +
           std::to_string(status.st_mtim.tv_nsec);
}

}  // namespace

std::shared_ptr<const TPackPreview> TPreviewCache::Find(const std::string& key) {
    for (auto it = kept_.begin(); it != kept_.end(); ++it) {
        if (it->first != key) continue;
        kept_.splice(kept_.begin(), kept_, it);
        return kept_.front().second;
    }
    return nullptr;
}

void TPreviewCache::Keep(const std::string& key, std::shared_ptr<const TPackPreview> preview) {
    for (auto it = kept_.begin(); it != kept_.end(); ++it) {
        if (it->first != key) continue;
        bytes_ -= it->second->Bytes();
        kept_.erase(it);
        break;
    }
    const std::size_t size = preview->Bytes();
    if (size > budget_) return;
    while (bytes_ + size > budget_) {
        bytes_ -= kept_.back().second->Bytes();
        kept_.pop_back();
    }
    kept_.emplace_front(key, std::move(preview));
    bytes_ += size;
}

std::string PreviewKey(const std::string& path, const std::string& other) {
    return Identity(path) + '\0' + Identity(other);
}

}  // namespace quillane
