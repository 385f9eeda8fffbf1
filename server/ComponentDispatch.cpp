#include "ComponentDispatch.h"

#include <string>
#include <string_view>

#include "ComponentRegistry.h"
#include "RequestAdapter.h"
#include "ServerErrors.h"
#include "TextUtils.h"
#include "WebServerRequest.h"
#include "WebServerResponse.h"

namespace quillane {

namespace {

// The first segment of the path: one leading "/" dropped, cut before the next "/".
std::string_view FirstSegment(std::string_view path) {
    if (path.starts_with('/')) path.remove_prefix(1);
    return path.substr(0, path.find('/'));
}

// From the last "." of the file name, or empty.
std::string_view Extension(std::string_view name) {
    const std::size_t dot = name.find_last_of(".\\:");
    return dot == std::string_view::npos || name[dot] != '.' ? std::string_view() : name.substr(dot);
}

std::unique_ptr<IComponentObject> CreateComponent(const TClassId& classId) {
    const TComponentFactory factory = TComponentRegistry::System().FactoryOf(classId);
    if (!factory) throw EComponentError("Class not registered");
    return factory();
}

// A component's failure reaches the server as its text alone, whatever its kind, so
// that it gets the 500 page and never passes for one of the server's own errors.
void AnswerThrough(TWebServerRequest& request, const TClassId& classId) {
    try {
        const std::unique_ptr<IComponentObject> object = CreateComponent(classId);
        auto* component = dynamic_cast<IAppComponent*>(object.get());
        if (!component) throw EComponentError("Interface not supported");
        TRequestAdapter adapter(request);
        component->HandleRequest(adapter);
    } catch (const EComponentError&) {
        throw;
    } catch (const std::exception& error) {
        throw EComponentError(error.what());
    } catch (...) {
        throw EComponentError("Unspecified error");
    }
}

}  // namespace

std::optional<TClassId> FindComponentClass(TWebServerRequest& request) {
    const std::string path = request.GetText(fiPathInfo);
    const std::string_view segment = FirstSegment(path);
    if (segment.empty()) return std::nullopt;
    if (segment.starts_with('{'))
        if (const auto classId = ClassIdFromText(segment)) return classId;
    const std::string_view extension = Extension(segment);
    if (SameText(extension, ".exe"))
        if (const auto classId = TComponentRegistry::System().ClassOfExecutable(segment)) return classId;
    if (!SameText(extension, ".js")) return TComponentRegistry::System().ClassOfProgId(segment);
    return std::nullopt;
}

void RunComponent(TWebServerRequest& request, const TClassId& classId, TServerLog& log) {
    // Made first and freed last: its log entry takes everything the component wrote.
    TWebServerResponse response(request, request.Connection(), log);
    AnswerThrough(request, classId);
}

}  // namespace quillane
