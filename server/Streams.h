#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

#include "UniqueFd.h"

namespace quillane {

// A byte source the tokenizer reads from: a client connection or a memory store.
class TStream {
public:
    virtual ~TStream() = default;
    // Up to count bytes; 0 at the end of the data or when nothing arrived in time.
    virtual std::size_t Read(char* buffer, std::size_t count) = 0;
    // Moves the read position by offset bytes; sources that cannot go back ignore it.
    virtual void Seek(std::int64_t offset) = 0;
    // From now on all further reads together wait at most one read time-out, so a
    // client that trickles bytes cannot hold a worker for long.
    virtual void StartDeadline() {}
};

// Bytes in memory with a read position: the request's content store.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::string bytes) : bytes_(std::move(bytes)) {}

    std::size_t Read(char* buffer, std::size_t count) override;
    void Seek(std::int64_t offset) override;

    void Write(const char* data, std::size_t count) { bytes_.append(data, count); }
    std::size_t Size() const { return bytes_.size(); }
    std::size_t Position() const { return position_; }
    void SetPosition(std::size_t position);
    const std::string& Bytes() const { return bytes_; }

private:
    std::string bytes_;
    std::size_t position_ = 0;
};

// A file opened for reading: the body of a file answer, read piece by piece.
class TFileStream : public TStream {
public:
    // Raises EFOpenError "Cannot open file %s" for a missing, unreadable or non-regular file.
    explicit TFileStream(const std::string& path);

    std::size_t Read(char* buffer, std::size_t count) override;
    void Seek(std::int64_t offset) override;
    std::int64_t Size() const { return size_; }
    // The last write time when the file was opened.
    std::time_t ModifiedTime() const { return modifiedTime_; }
    int Descriptor() const { return fd_.get(); }

private:
    UniqueFd fd_;
    std::int64_t size_ = 0;
    std::time_t modifiedTime_ = 0;
};

}  // namespace quillane
