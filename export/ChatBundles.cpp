#include "ChatBundles.h"

#include <archive.h>
#include <archive_entry.h>

#include <ctime>
#include <memory>
#include <stdexcept>

namespace quillane {
namespace {

la_ssize_t Append(struct archive*, void* data, const void* buffer, size_t length) {
    static_cast<QByteArray*>(data)->append(static_cast<const char*>(buffer), static_cast<qsizetype>(length));
    return static_cast<la_ssize_t>(length);
}

void Check(int result, struct archive* archive) {
    if (result < ARCHIVE_WARN) throw std::runtime_error(std::string("the archive could not be written: ") + archive_error_string(archive));
}

}  // namespace

QByteArray ArchiveOf(const std::vector<TBundleFile>& files, TChatBundle bundle) {
    QByteArray bytes;
    const std::unique_ptr<struct archive, decltype(&archive_write_free)> archive(archive_write_new(), archive_write_free);
    if (bundle == TChatBundle::Zip) {
        Check(archive_write_set_format_zip(archive.get()), archive.get());
    } else {
        Check(archive_write_set_format_pax_restricted(archive.get()), archive.get());
        Check(archive_write_add_filter_gzip(archive.get()), archive.get());
    }
    // The whole archive in memory: written beside its name and renamed over it, as every export is.
    Check(archive_write_set_bytes_in_last_block(archive.get(), 1), archive.get());
    Check(archive_write_open(archive.get(), &bytes, nullptr, Append, nullptr), archive.get());
    const std::time_t now = std::time(nullptr);
    for (const TBundleFile& file : files) {
        const std::unique_ptr<struct archive_entry, decltype(&archive_entry_free)> entry(archive_entry_new(), archive_entry_free);
        const bool folder = file.name.endsWith('/');
        archive_entry_set_pathname_utf8(entry.get(), file.name.toUtf8().constData());
        archive_entry_set_filetype(entry.get(), folder ? AE_IFDIR : AE_IFREG);
        archive_entry_set_perm(entry.get(), folder ? 0755 : 0644);
        archive_entry_set_size(entry.get(), file.bytes.size());
        archive_entry_set_mtime(entry.get(), now, 0);
        Check(archive_write_header(archive.get(), entry.get()), archive.get());
        if (archive_write_data(archive.get(), file.bytes.constData(), static_cast<size_t>(file.bytes.size())) != file.bytes.size()) {
            Check(ARCHIVE_FATAL, archive.get());
        }
    }
    Check(archive_write_close(archive.get()), archive.get());
    return bytes;
}

}  // namespace quillane
