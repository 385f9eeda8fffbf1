#pragma once

#include <string>

#include "DateTime.h"

namespace quillane {

class TWebServerRequest;

// One record of the server's transaction log.
class TTransactionLogEntry {
public:
    explicit TTransactionLogEntry(std::string eventText);
    virtual ~TTransactionLogEntry() = default;

    // The entry's full text.
    virtual std::string Text() const = 0;
    // One display column as text; empty for columns the entry does not fill.
    virtual std::string Column(int index) const;

    std::string EventText;
    TDateTime Time;
    TDateTime Elapsed = 0;
    long ThreadId;
};

class THTTPTransaction : public TTransactionLogEntry {
public:
    using TTransactionLogEntry::TTransactionLogEntry;
    std::string Text() const override { return RawText; }
    std::string Column(int index) const override;

    int ContentLength = 0;
    std::string ContentType;
    std::string RawText;
};

class TRequestTransaction : public THTTPTransaction {
public:
    explicit TRequestTransaction(TWebServerRequest& request);
    std::string Column(int index) const override;

    std::string PathInfo;
};

// Made from everything written to the client; its fields are read back from that head.
class TResponseTransaction : public THTTPTransaction {
public:
    explicit TResponseTransaction(std::string text);
    std::string Column(int index) const override;

    std::string StatusLine;
    std::string Status;

private:
    void ReadHead();
};

// Kind 1 send, 2 receive, 3 activation.
class TErrorTransaction : public TTransactionLogEntry {
public:
    TErrorTransaction(int kind, int code, std::string message);
    std::string Text() const override;

    int Kind;
    std::string Message;
    int Code;
};

}  // namespace quillane
