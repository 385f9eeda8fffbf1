#include "CabinetReader.h"

#include "CabinetExtractor.h"
#include "UniqueFile.h"

#include <mspack.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace quillane {
namespace {

// The names under which libmspack asks for the cabinet and for the member it writes.
constexpr const char* kCabinetName = "cabinet";
constexpr const char* kOutputName = "member";

// A file or bytes in memory, read from a position. `prefix` comes before the
// file's own bytes (the first byte of a .QZK pack).
struct Source {
    int fd = -1;
    UniqueFd owned;
    std::string prefix;
    std::string bytes;

    off_t Size() const {
        if (fd < 0) return static_cast<off_t>(bytes.size());
        struct stat status {};
        return fstat(fd, &status) == 0 ? static_cast<off_t>(prefix.size()) + status.st_size : 0;
    }

    // Reads up to `count` bytes at `position`; the number read, or -1.
    long Read(off_t position, char* buffer, size_t count) const {
        if (fd < 0) {
            if (position >= static_cast<off_t>(bytes.size())) return 0;
            const size_t n = std::min(count, bytes.size() - static_cast<size_t>(position));
            std::memcpy(buffer, bytes.data() + position, n);
            return static_cast<long>(n);
        }
        size_t done = 0;
        while (done < count && position + static_cast<off_t>(done) < static_cast<off_t>(prefix.size())) {
            buffer[done] = prefix[static_cast<size_t>(position) + done];
            ++done;
        }
        while (done < count) {
            const off_t at = position + static_cast<off_t>(done) - static_cast<off_t>(prefix.size());
            const ssize_t n = pread(fd, buffer + done, count - done, at);
            if (n < 0) return -1;
            if (n == 0) break;
            done += static_cast<size_t>(n);
        }
        return static_cast<long>(done);
    }
};

// The I/O that libmspack does through us: reads from the source, writes into one string.
struct MemorySystem {
    mspack_system base;  // first, so that libmspack's pointer is ours
    const Source* source = nullptr;
    std::string output;
    size_t limit = 0;
};

struct MemoryFile {
    MemorySystem* system;
    bool writing;
    off_t position;
};

MemoryFile* AsFile(mspack_file* file) { return reinterpret_cast<MemoryFile*>(file); }

mspack_file* SystemOpen(mspack_system* self, const char* filename, int mode) {
    auto* system = reinterpret_cast<MemorySystem*>(self);
    const bool reading = mode == MSPACK_SYS_OPEN_READ && std::strcmp(filename, kCabinetName) == 0;
    const bool writing = mode == MSPACK_SYS_OPEN_WRITE && std::strcmp(filename, kOutputName) == 0;
    if (!reading && !writing) return nullptr;
    if (writing) system->output.clear();
    // Owned by libmspack until it calls Close: a C interface.
    return reinterpret_cast<mspack_file*>(new (std::nothrow) MemoryFile{system, writing, 0});
}

void SystemClose(mspack_file* file) { delete AsFile(file); }

int SystemRead(mspack_file* handle, void* buffer, int bytes) {
    MemoryFile* file = AsFile(handle);
    if (bytes < 0 || file->writing) return -1;
    const long n = file->system->source->Read(file->position, static_cast<char*>(buffer), static_cast<size_t>(bytes));
    if (n > 0) file->position += n;
    return static_cast<int>(n);
}

int SystemWrite(mspack_file* handle, void* buffer, int bytes) {
    MemoryFile* file = AsFile(handle);
    MemorySystem* system = file->system;
    if (bytes < 0 || !file->writing || system->output.size() + static_cast<size_t>(bytes) > system->limit) return -1;
    system->output.append(static_cast<const char*>(buffer), static_cast<size_t>(bytes));
    return bytes;
}

int SystemSeek(mspack_file* handle, off_t offset, int mode) {
    MemoryFile* file = AsFile(handle);
    const off_t size = file->writing ? static_cast<off_t>(file->system->output.size()) : file->system->source->Size();
    off_t target = offset;
    if (mode == MSPACK_SYS_SEEK_CUR) target += file->position;
    else if (mode == MSPACK_SYS_SEEK_END) target += size;
    else if (mode != MSPACK_SYS_SEEK_START) return -1;
    if (target < 0 || target > size) return -1;
    file->position = target;
    return 0;
}

off_t SystemTell(mspack_file* file) { return AsFile(file)->position; }

void SystemMessage(mspack_file*, const char*, ...) {}
void* SystemAlloc(mspack_system*, size_t bytes) { return std::malloc(bytes); }
void SystemFree(void* pointer) { std::free(pointer); }
void SystemCopy(void* source, void* destination, size_t bytes) { std::memmove(destination, source, bytes); }

std::string Comparable(std::string name) {
    for (char& c : name) {
        c = c == '\\' ? '/' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return name;
}

}  // namespace

struct TCabinetReader::State {
    Source source;
    MemorySystem system;
    mscab_decompressor* decompressor = nullptr;
    mscabd_cabinet* cabinet = nullptr;

    ~State() {
        if (decompressor && cabinet) decompressor->close(decompressor, cabinet);
        if (decompressor) mspack_destroy_cab_decompressor(decompressor);
    }

    bool Open() {
        system.base = {SystemOpen, SystemClose, SystemRead, SystemWrite, SystemSeek, SystemTell, SystemMessage,
                       SystemAlloc, SystemFree, SystemCopy, nullptr};
        system.source = &source;
        decompressor = mspack_create_cab_decompressor(&system.base);
        if (!decompressor) return false;
        cabinet = decompressor->open(decompressor, kCabinetName);
        return cabinet != nullptr;
    }
};

namespace {

std::optional<std::string> ReadMember(TCabinetReader::State& state, mscabd_file* file, std::size_t limit) {
    // A member far into its folder would take decompressing all that comes before it.
    if (file->length > limit || file->offset > limit) return std::nullopt;
    state.system.limit = limit;
    // Held once at its full length, never grown by doubling past it.
    state.system.output.reserve(file->length);
    const int result = state.decompressor->extract(state.decompressor, file, kOutputName);
    if (result != MSPACK_ERR_OK || state.system.output.size() != file->length) return std::nullopt;
    return std::move(state.system.output);
}

}  // namespace

TCabinetReader::TCabinetReader(std::unique_ptr<State> state) : state_(std::move(state)) {}

TCabinetReader::~TCabinetReader() = default;

std::unique_ptr<TCabinetReader> TCabinetReader::OpenFile(const std::string& path, bool restoreFirstByte) {
    return OpenFile(OpenRegularFile(path), restoreFirstByte);
}

std::unique_ptr<TCabinetReader> TCabinetReader::OpenFile(UniqueFd file, bool restoreFirstByte) {
    if (!file) return nullptr;
    auto state = std::make_unique<State>();
    state->source.fd = file.get();
    state->source.owned = std::move(file);
    if (restoreFirstByte) state->source.prefix.assign(1, 'M');
    if (!state->Open()) return nullptr;
    return std::unique_ptr<TCabinetReader>(new TCabinetReader(std::move(state)));
}

std::unique_ptr<TCabinetReader> TCabinetReader::OpenBytes(std::string bytes) {
    auto state = std::make_unique<State>();
    state->source.bytes = std::move(bytes);
    if (!state->Open()) return nullptr;
    return std::unique_ptr<TCabinetReader>(new TCabinetReader(std::move(state)));
}

std::vector<std::string> TCabinetReader::Names() const {
    std::vector<std::string> names;
    for (const mscabd_file* file = state_->cabinet->files; file; file = file->next) {
        names.push_back(Utf8MemberName({file->filename, (file->attribs & MSCAB_ATTRIB_UTF_NAME) != 0}));
    }
    return names;
}

TCabinetReader::TDeclared TCabinetReader::Declared() const {
    TDeclared declared;
    for (const mscabd_file* file = state_->cabinet->files; file; file = file->next) {
        ++declared.members;
        declared.bytes += file->length;
    }
    return declared;
}

std::optional<std::string> TCabinetReader::Read(const std::string& name, std::size_t limit) const {
    const std::string wanted = Comparable(name);
    for (mscabd_file* file = state_->cabinet->files; file; file = file->next) {
        if (Comparable(Utf8MemberName({file->filename, (file->attribs & MSCAB_ATTRIB_UTF_NAME) != 0})) == wanted) {
            return ReadMember(*state_, file, limit);
        }
    }
    return std::nullopt;
}

std::optional<std::string> TCabinetReader::ReadAt(std::size_t index, std::size_t limit) const {
    mscabd_file* file = state_->cabinet->files;
    for (std::size_t i = 0; file && i < index; ++i) file = file->next;
    if (!file) return std::nullopt;
    return ReadMember(*state_, file, limit);
}
}  // namespace quillane
