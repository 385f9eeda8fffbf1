#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace quillane {

// Texts cross between the server and a component as byte arrays (one element per byte,
// first index 0) or as wide strings.
using TByteArray = std::vector<std::uint8_t>;
// Data of any kind a component can hand over; only wide strings and byte arrays are
// texts.
using TVariant = std::variant<std::monostate, bool, std::int32_t, double, std::wstring, TByteArray>;

// The request as a component sees it. Failures are exceptions with a text.
class IAppRequest {
public:
    virtual ~IAppRequest() = default;

    virtual std::wstring FieldByName(const std::wstring& name) = 0;
    // Fills the buffer with up to count further content bytes; returns how many.
    virtual std::size_t ReadContent(TByteArray& buffer, std::size_t count) = 0;
    virtual std::wstring MapUri(const std::wstring& uri) = 0;
    // Raises EVariantError "Unknown variant type" for data that is no text.
    virtual std::size_t SendBytes(const TVariant& data) = 0;
    virtual TByteArray GetText(int index) = 0;
    virtual bool SendHead(int statusCode, const TByteArray& statusText, const TByteArray& headers) = 0;
    virtual bool UsesStub() = 0;
    virtual TByteArray ReadContentText(std::size_t count) = 0;
};

// Whatever a component factory makes; it may or may not be a web-application component.
class IComponentObject {
public:
    virtual ~IComponentObject() = default;
};

// A web-application component: answers one request through the request it is given.
class IAppComponent : public virtual IComponentObject {
public:
    virtual void HandleRequest(IAppRequest& request) = 0;
};

}  // namespace quillane
