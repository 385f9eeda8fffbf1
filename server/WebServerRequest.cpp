#include "WebServerRequest.h"

#include <algorithm>
#include <utility>
#include <cstring>

#include "HttpParser.h"
#include "ServerErrors.h"
#include "TextUtils.h"

namespace quillane {

namespace {

// The lookup names of the fields; field 25, the content, has none.
constexpr std::array<std::string_view, FieldCount> kFieldNames = {
    "REQUEST_METHOD", "SERVER_PROTOCOL", "URL", "QUERY_STRING", "PATH_INFO", "PATH_TRANSLATED",
    "HTTP_CACHE_CONTROL", "HTTP_DATE", "HTTP_ACCEPT", "HTTP_FROM", "HTTP_HOST", "HTTP_IF_MODIFIED_SINCE",
    "HTTP_REFERER", "HTTP_USER_AGENT", "HTTP_CONTENT_ENCODING", "HTTP_CONTENT_TYPE", "HTTP_CONTENT_LENGTH",
    "HTTP_CONTENT_VERSION", "HTTP_DERIVED_FROM", "HTTP_EXPIRES", "HTTP_TITLE", "REMOTE_ADDR", "REMOTE_HOST",
    "SCRIPT_NAME", "SERVER_PORT", "", "HTTP_CONNECTION", "HTTP_COOKIE", "HTTP_AUTHORIZATION",
};

int FieldIndex(std::string_view name) {
    for (int index = 0; index < FieldCount; ++index)
        if (!kFieldNames[index].empty() && SameText(kFieldNames[index], name)) return index;
    return -1;
}

}  // namespace

TWebServerRequest::TWebServerRequest(int serverPort, const std::string& remoteAddress,
                                     std::function<std::string()> lookUpRemoteHost)
    : lookUpRemoteHost_(std::move(lookUpRemoteHost)) {
    dates_.fill(-1);
    fields_[fiContentLength] = std::to_string(0);
    fields_[fiServerPort] = std::to_string(serverPort);
    fields_[fiRemoteAddr] = remoteAddress;
}

void TWebServerRequest::CheckIndex(int index) const {
    if (index < 0 || index >= FieldCount) throw EListError("Index out of bounds");
}

std::string TWebServerRequest::GetText(int index) {
    CheckIndex(index);
    if (index == fiRemoteHost && lookUpRemoteHost_) fields_[fiRemoteHost] = std::exchange(lookUpRemoteHost_, nullptr)();
    if (index == fiContent && fields_[fiContent].empty()) {
        const std::int32_t length = GetInteger(fiContentLength);
        if (length > 0) fields_[fiContent] = ReadContentText(static_cast<std::size_t>(length));
    }
    return fields_[index];
}

void TWebServerRequest::SetText(int index, const std::string& text) {
    CheckIndex(index);
    if (index == fiRemoteHost) lookUpRemoteHost_ = nullptr;
    fields_[index] = text;
    if (index != fiRequestMethod) return;
    if (SameText(text, "GET")) methodKind_ = mkGet;
    else if (SameText(text, "PUT")) methodKind_ = mkPut;
    else if (SameText(text, "POST")) methodKind_ = mkPost;
    else if (SameText(text, "HEAD")) methodKind_ = mkHead;
}

std::int32_t TWebServerRequest::GetInteger(int index) {
    const std::string text = GetText(index);
    return text.empty() ? -1 : StrToInt(text);
}

void TWebServerRequest::SetInteger(int index, std::int32_t value) { SetText(index, std::to_string(value)); }

TDateTime TWebServerRequest::GetDate(int index) const {
    CheckIndex(index);
    return dates_[index];
}

void TWebServerRequest::SetDate(int index, TDateTime date) {
    CheckIndex(index);
    dates_[index] = date;
    fields_[index] = FormatLocalDateTime(date);
}

std::string TWebServerRequest::FieldByName(std::string_view name) {
    int index = FieldIndex(name);
    if (index < 0 && StartsWithText(name, "HTTP_")) index = FieldIndex(name.substr(5));
    if (index >= 0) return GetText(index);
    for (const std::string& line : extraHeaders_) {
        const std::size_t equals = line.find('=');
        if (SameText(std::string_view(line).substr(0, equals), name))
            return equals == std::string::npos ? std::string() : line.substr(equals + 1);
    }
    return {};
}

void TWebServerRequest::AddExtraHeader(const std::string& name, const std::string& value) {
    extraHeaders_.push_back(name + "=" + value);
}

void TWebServerRequest::SetContent(TTakenContent content) {
    contentStore_ = std::move(content.Store);
    bufferedContent_ = std::move(content.BufferedContent);
    contentReadPos_ = 0;
    // The store's reads continue after the bytes that arrived with the headers.
    contentStore_->Seek(static_cast<std::int64_t>(bufferedContent_.size()));
    rawRequestText_.reset();
}

std::size_t TWebServerRequest::ReadContent(char* buffer, std::size_t count) {
    std::size_t delivered = std::min(count, bufferedContent_.size() - contentReadPos_);
    std::memcpy(buffer, bufferedContent_.data() + contentReadPos_, delivered);
    contentReadPos_ += delivered;
    if (delivered < count && contentStore_) delivered += contentStore_->Read(buffer + delivered, count - delivered);
    return delivered;
}

std::string TWebServerRequest::ReadContentText(std::size_t count) {
    // Room for what has arrived only: the announced length may be far more.
    const std::size_t arrived = bufferedContent_.size() - contentReadPos_ +
                                (contentStore_ ? contentStore_->Size() - contentStore_->Position() : 0);
    std::string text(std::min(count, arrived), '\0');
    text.resize(ReadContent(text.data(), count));
    return text;
}

std::size_t TWebServerRequest::SendBytes(const char* data, std::size_t count) {
    sentText_.append(data, count);
    return connection_ && connection_->SendAll(data, count) ? count : 0;
}

bool TWebServerRequest::SendText(std::string_view text) {
    return SendBytes(text.data(), text.size()) == text.size();
}

bool TWebServerRequest::SendHead(int, const std::string& statusText, const std::string& headers) {
    return SendText("HTTP/1.1 " + statusText + "\r\n" + headers);
}

const std::string& TWebServerRequest::RawRequestText() {
    if (!rawRequestText_) rawRequestText_ = contentStore_ ? contentStore_->Bytes() : std::string();
    return *rawRequestText_;
}

std::string TWebServerRequest::TakeSentText() { return std::exchange(sentText_, {}); }

}  // namespace quillane
