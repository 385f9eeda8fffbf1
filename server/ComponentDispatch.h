#pragma once

#include <optional>

#include "ClassId.h"

namespace quillane {

class TServerLog;
class TWebServerRequest;

// The component class that the first segment of the request's path names, if any:
// a class identifier in braces, a registered executable's name ending in ".exe", or a
// programmatic identifier (never for names ending in ".js"). A well-formed class
// identifier counts even when no component is registered for it.
std::optional<TClassId> FindComponentClass(TWebServerRequest& request);

// Makes the component and lets it answer the request; everything it writes becomes
// one response entry of the log. Raises EComponentError when the class cannot be made,
// is no web-application component, or its answer fails.
void RunComponent(TWebServerRequest& request, const TClassId& classId, TServerLog& log);

}  // namespace quillane
