#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "AppComponent.h"
#include "ClassId.h"

namespace quillane {

using TComponentFactory = std::function<std::unique_ptr<IComponentObject>()>;

// One web-application component class as it is registered.
struct TComponentClass {
    TClassId ClassId;
    // Of the form library.class; empty for none.
    std::string ProgId;
    // The program that serves the class, as a name or a path; empty for none.
    std::string ExecutableName;
    TComponentFactory Factory;
};

class TComponentRegistry;

// Keeps one class registered for as long as it lives.
class TComponentRegistration {
public:
    TComponentRegistration(TComponentRegistration&& other) noexcept;
    TComponentRegistration& operator=(TComponentRegistration&& other) noexcept;
    ~TComponentRegistration();

private:
    friend class TComponentRegistry;
    TComponentRegistration(TComponentRegistry& registry, std::uint64_t key) : registry_(&registry), key_(key) {}
    void Release();

    TComponentRegistry* registry_;
    std::uint64_t key_;
};

// The web-application components known to the process. The program registers none;
// whoever registers one keeps the handle. When several registrations match, the latest
// counts. Safe to use from any thread.
class TComponentRegistry {
public:
    static TComponentRegistry& System();

    [[nodiscard]] TComponentRegistration Register(TComponentClass componentClass);

    // Programmatic identifiers match ignoring case.
    std::optional<TClassId> ClassOfProgId(std::string_view progId) const;
    // The class whose executable's file name (after the last "/", "\" or ":") equals the
    // name, ignoring case.
    std::optional<TClassId> ClassOfExecutable(std::string_view fileName) const;
    // Empty when the class is not registered.
    TComponentFactory FactoryOf(const TClassId& classId) const;

private:
    friend class TComponentRegistration;
    struct Entry {
        std::uint64_t Key;
        TComponentClass Class;
    };
    void Unregister(std::uint64_t key);
    template <typename Matches>
    const Entry* Latest(Matches matches) const;

    // Guards the entries and the key counter only; factories run outside it.
    mutable std::mutex entriesLock_;
    std::vector<Entry> entries_;
    std::uint64_t nextKey_ = 0;
};

}  // namespace quillane
