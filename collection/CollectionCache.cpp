#include "CollectionCache.h"

#include "Environment.h"
#include "UniqueFile.h"

#include <QCryptographicHash>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <algorithm>
#include <memory>

namespace quillane {
namespace {

// The first line of a cache file; a file of another form is not read.
constexpr std::string_view kMagic = "Quillane collection cache 1\n";
// A picture larger than a row's is none of ours.
constexpr int kLargestPictureSide = 256;

class Writer {
public:
    void Text(const std::string& text) {
        Number(text.size());
        bytes_ += text;
    }
    void Number(std::uint64_t value) { bytes_.append(reinterpret_cast<const char*>(&value), sizeof value); }
    std::string& Bytes() { return bytes_; }

private:
    std::string bytes_{kMagic};
};

class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}
    bool Text(std::string& text) {
        std::uint64_t size = 0;
        if (!Number(size) || size > bytes_.size() - at_) return false;
        text.assign(bytes_.substr(at_, size));
        at_ += size;
        return true;
    }
    bool Number(std::uint64_t& value) {
        if (bytes_.size() - at_ < sizeof value) return false;
        std::memcpy(&value, bytes_.data() + at_, sizeof value);
        at_ += sizeof value;
        return true;
    }
    bool AtEnd() const { return at_ == bytes_.size(); }

private:
    std::string_view bytes_;
    std::size_t at_ = 0;
};

void Write(Writer& out, const TCollectedFile& file) {
    out.Text(file.path);
    out.Number(file.bytes);
    out.Number(static_cast<std::uint64_t>(file.modified));
    out.Text(file.problem);
    out.Text(file.kind);
    out.Text(file.title);
    out.Number(static_cast<std::uint64_t>(file.items));
    out.Text(file.itemNames);
    out.Text(file.contents);
    const QImage& picture = file.picture;
    out.Number(static_cast<std::uint64_t>(picture.width()));
    out.Number(static_cast<std::uint64_t>(picture.height()));
    std::string pixels;
    for (int y = 0; y < picture.height(); ++y) {
        pixels.append(reinterpret_cast<const char*>(picture.constScanLine(y)), static_cast<std::size_t>(picture.width()) * 4);
    }
    out.Text(pixels);
}

bool Read(Reader& in, TCollectedFile& file) {
    std::uint64_t modified = 0, items = 0, width = 0, height = 0;
    std::string pixels;
    if (!in.Text(file.path) || !in.Number(file.bytes) || !in.Number(modified) || !in.Text(file.problem) ||
        !in.Text(file.kind) || !in.Text(file.title) || !in.Number(items) || !in.Text(file.itemNames) ||
        !in.Text(file.contents) || !in.Number(width) || !in.Number(height) || !in.Text(pixels)) {
        return false;
    }
    if (width > kLargestPictureSide || height > kLargestPictureSide || pixels.size() != width * height * 4) return false;
    file.modified = static_cast<std::int64_t>(modified);
    file.items = static_cast<int>(items);
    if (width > 0 && height > 0) {
        QImage picture(static_cast<int>(width), static_cast<int>(height), QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < picture.height(); ++y) {
            std::memcpy(picture.scanLine(y), pixels.data() + static_cast<std::size_t>(y) * width * 4, width * 4);
        }
        file.picture = std::move(picture);
    }
    return true;
}

}  // namespace

TCollectionCache::TCollectionCache(const std::string& folder) : file_(FileFor(folder)) {
    std::ifstream in(file_, std::ios::binary | std::ios::ate);
    std::string bytes(in ? static_cast<std::size_t>(std::max<std::streamoff>(in.tellg(), 0)) : 0, '\0');
    in.seekg(0);
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) return;
    if (bytes.compare(0, kMagic.size(), kMagic) != 0) return;
    Reader reader(std::string_view(bytes).substr(kMagic.size()));
    while (!reader.AtEnd()) {
        TCollectedFile entry;
        if (!Read(reader, entry)) {
            entries_.clear();  // a cache cut short or garbled is no cache
            return;
        }
        std::string path = entry.path;
        entries_.insert_or_assign(std::move(path), std::move(entry));
    }
}

const TCollectedFile* TCollectionCache::Find(const std::string& path, std::uint64_t bytes, std::int64_t modified) const {
    const auto found = entries_.find(path);
    if (found == entries_.end() || found->second.bytes != bytes || found->second.modified != modified) return nullptr;
    return &found->second;
}

bool TCollectionCache::Save(const std::vector<TCollectedFile>& files) const {
    Writer out;
    for (const TCollectedFile& file : files) Write(out, file);
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(file_).parent_path(), error);
    std::string temporary = file_ + ".XXXXXX";
    const UniqueFd fd = CreateUniqueFile(temporary);
    if (!fd) return false;
    if (!WriteAll(fd.get(), out.Bytes().data(), out.Bytes().size()) || std::rename(temporary.c_str(), file_.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

std::string TCollectionCache::FileFor(const std::string& folder) {
    std::error_code error;
    const std::filesystem::path real = std::filesystem::canonical(folder, error);
    const std::string name = (error ? std::filesystem::absolute(folder).string() : real.string());
    const QByteArray key = QCryptographicHash::hash(QByteArray::fromStdString(name), QCryptographicHash::Sha256).toHex().left(32);
    return CacheHome() + "Quillane/collections/" + key.toStdString() + ".cache";
}

}  // namespace quillane
