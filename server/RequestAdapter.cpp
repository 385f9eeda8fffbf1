#include "RequestAdapter.h"

#include "ServerErrors.h"
#include "WebServerRequest.h"
#include "WideText.h"

namespace quillane {

namespace {

TByteArray Bytes(const std::string& text) { return TByteArray(text.begin(), text.end()); }

std::string Text(const TByteArray& bytes) { return std::string(bytes.begin(), bytes.end()); }

}  // namespace

std::wstring TRequestAdapter::FieldByName(const std::wstring& name) {
    return WideFromText(request_.FieldByName(TextFromWide(name)));
}

std::size_t TRequestAdapter::ReadContent(TByteArray& buffer, std::size_t count) {
    // The array is sized to what was delivered, so no count can write past its end.
    buffer = Bytes(request_.ReadContentText(count));
    return buffer.size();
}

std::wstring TRequestAdapter::MapUri(const std::wstring& uri) {
    return WideFromText(request_.MapUri(TextFromWide(uri)));
}

std::size_t TRequestAdapter::SendBytes(const TVariant& data) {
    std::string text;
    if (const auto* wide = std::get_if<std::wstring>(&data)) text = TextFromWide(*wide);
    else if (const auto* bytes = std::get_if<TByteArray>(&data)) text = Text(*bytes);
    else throw EVariantError("Unknown variant type");
    return request_.SendBytes(text.data(), text.size());
}

TByteArray TRequestAdapter::GetText(int index) { return Bytes(request_.GetText(index)); }

bool TRequestAdapter::SendHead(int statusCode, const TByteArray& statusText, const TByteArray& headers) {
    return request_.SendHead(statusCode, Text(statusText), Text(headers));
}

TByteArray TRequestAdapter::ReadContentText(std::size_t count) { return Bytes(request_.ReadContentText(count)); }

}  // namespace quillane
