#pragma once

#include <functional>
#include <memory>
#include <string>

#include "AppComponent.h"
#include "ComponentRegistry.h"

namespace quillane::testing {

// A web-application component that answers with the function it was given.
class TAnsweringComponent : public IAppComponent {
public:
    explicit TAnsweringComponent(std::function<void(IAppRequest&)> answer) : answer_(std::move(answer)) {}
    void HandleRequest(IAppRequest& request) override { answer_(request); }

private:
    std::function<void(IAppRequest&)> answer_;
};

// A class that can be made but is no web-application component.
class TPlainObject : public IComponentObject {};

inline TClassId TestClassId(std::uint8_t last) {
    TClassId id;
    id.Bytes = {0x5A, 0x11, 0x1E, 0x00, 0x00, 0x01, 0x40, 0x00, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, last};
    return id;
}

// Registers a component answering with the function, for as long as the result lives.
inline TComponentRegistration RegisterAnswering(TClassId classId, std::string progId, std::string executable,
                                                std::function<void(IAppRequest&)> answer) {
    return TComponentRegistry::System().Register(
        {classId, std::move(progId), std::move(executable),
         [answer = std::move(answer)] { return std::make_unique<TAnsweringComponent>(answer); }});
}

inline TByteArray ByteArray(const std::string& text) { return TByteArray(text.begin(), text.end()); }
inline std::string ByteText(const TByteArray& bytes) { return std::string(bytes.begin(), bytes.end()); }

}  // namespace quillane::testing
