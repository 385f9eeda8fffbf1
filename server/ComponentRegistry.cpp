#include "ComponentRegistry.h"

#include <algorithm>
#include <utility>

#include "TextUtils.h"

namespace quillane {

namespace {

std::string_view FileNamePart(std::string_view path) {
    const std::size_t separator = path.find_last_of("/\\:");
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

}  // namespace

TComponentRegistration::TComponentRegistration(TComponentRegistration&& other) noexcept
    : registry_(std::exchange(other.registry_, nullptr)), key_(other.key_) {}

TComponentRegistration& TComponentRegistration::operator=(TComponentRegistration&& other) noexcept {
    if (this != &other) {
        Release();
        registry_ = std::exchange(other.registry_, nullptr);
        key_ = other.key_;
    }
    return *this;
}

TComponentRegistration::~TComponentRegistration() { Release(); }

void TComponentRegistration::Release() {
    if (registry_) std::exchange(registry_, nullptr)->Unregister(key_);
}

TComponentRegistry& TComponentRegistry::System() {
    static TComponentRegistry registry;
    return registry;
}

TComponentRegistration TComponentRegistry::Register(TComponentClass componentClass) {
    const std::lock_guard lock(entriesLock_);
    const std::uint64_t key = nextKey_++;
    entries_.push_back({key, std::move(componentClass)});
    return TComponentRegistration(*this, key);
}

void TComponentRegistry::Unregister(std::uint64_t key) {
    const std::lock_guard lock(entriesLock_);
    std::erase_if(entries_, [key](const Entry& entry) { return entry.Key == key; });
}

template <typename Matches>
const TComponentRegistry::Entry* TComponentRegistry::Latest(Matches matches) const {
    const auto found = std::find_if(entries_.rbegin(), entries_.rend(),
                                    [&](const Entry& entry) { return matches(entry.Class); });
    return found == entries_.rend() ? nullptr : &*found;
}

std::optional<TClassId> TComponentRegistry::ClassOfProgId(std::string_view progId) const {
    const std::lock_guard lock(entriesLock_);
    const Entry* entry = Latest([&](const TComponentClass& c) { return !c.ProgId.empty() && SameText(c.ProgId, progId); });
    return entry ? std::optional(entry->Class.ClassId) : std::nullopt;
}

std::optional<TClassId> TComponentRegistry::ClassOfExecutable(std::string_view fileName) const {
    const std::lock_guard lock(entriesLock_);
    const Entry* entry = Latest([&](const TComponentClass& c) {
        const std::string_view name = FileNamePart(c.ExecutableName);
        return !name.empty() && SameText(name, fileName);
    });
    return entry ? std::optional(entry->Class.ClassId) : std::nullopt;
}

TComponentFactory TComponentRegistry::FactoryOf(const TClassId& classId) const {
    const std::lock_guard lock(entriesLock_);
    const Entry* entry = Latest([&](const TComponentClass& c) { return c.ClassId == classId; });
    return entry ? entry->Class.Factory : TComponentFactory();
}

}  // namespace quillane
