#pragma once

#include "AppComponent.h"

namespace quillane {

class TWebServerRequest;

// Lets a component answer one request: forwards every operation to the request,
// turning the server's texts into wide strings or byte arrays and back.
class TRequestAdapter : public IAppRequest {
public:
    explicit TRequestAdapter(TWebServerRequest& request) : request_(request) {}

    std::wstring FieldByName(const std::wstring& name) override;
    std::size_t ReadContent(TByteArray& buffer, std::size_t count) override;
    std::wstring MapUri(const std::wstring& uri) override;
    std::size_t SendBytes(const TVariant& data) override;
    TByteArray GetText(int index) override;
    bool SendHead(int statusCode, const TByteArray& statusText, const TByteArray& headers) override;
    bool UsesStub() override { return true; }
    TByteArray ReadContentText(std::size_t count) override;

private:
    TWebServerRequest& request_;
};

}  // namespace quillane
