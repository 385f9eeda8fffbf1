#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillane {

// The five parts of a URI reference. An absent part differs from an empty
// one: "http://h/x?" has an empty query, "http://h/x" none.
struct UriReference {
    std::optional<std::string> scheme;
    std::optional<std::string> authority;
    std::string path;
    std::optional<std::string> query;
    std::optional<std::string> fragment;
};

// Splits a reference into its parts (RFC 3986 appendix B). The text before
// the first ":" is a scheme only when it is a letter followed by letters,
// digits, "+", "-" and "."; otherwise the reference is relative, so that
// "/file?at=12:00" and "/x?next=https://y/" are paths with a query.
UriReference SplitUriReference(std::string_view text);

// The address that reference leads to from base, which has a scheme
// (RFC 3986 section 5.2): "sub.txt" and "b/../sub.txt" are taken from
// base's folder, "/x" from its server's root.
UriReference ResolveReference(const UriReference& base, const UriReference& reference);

// The parts put together again (RFC 3986 section 5.3).
std::string ComposeUri(const UriReference& uri);

}  // namespace quillane
