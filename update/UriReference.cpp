#include "UriReference.h"

#include <algorithm>
#include <cctype>

namespace quillane {

namespace {

bool IsScheme(std::string_view text) {
    return !text.empty() && std::isalpha(static_cast<unsigned char>(text.front())) &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) {
               return std::isalnum(c) || c == '+' || c == '-' || c == '.';
           });
}

// Drops the last segment of output, with the "/" before it.
void RemoveLastSegment(std::string& output) {
    const std::size_t slash = output.rfind('/');
    output.erase(slash == std::string::npos ? 0 : slash);
}

// RFC 3986 section 5.2.4: "." and ".." segments are worked out of the path.
std::string RemoveDotSegments(std::string_view input) {
    std::string output;
    while (!input.empty()) {
        if (input.starts_with("../")) {
            input.remove_prefix(3);
        } else if (input.starts_with("./") || input.starts_with("/./")) {
            input.remove_prefix(2);
        } else if (input == "/.") {
            input = "/";
        } else if (input.starts_with("/../")) {
            input.remove_prefix(3);
            RemoveLastSegment(output);
        } else if (input == "/..") {
            input = "/";
            RemoveLastSegment(output);
        } else if (input == "." || input == "..") {
            input = {};
        } else {
            const std::size_t next = input.find('/', 1);
            const std::size_t length = next == std::string_view::npos ? input.size() : next;
            output.append(input.substr(0, length));
            input.remove_prefix(length);
        }
    }
    return output;
}

// RFC 3986 section 5.2.3: a relative path replaces the last segment of base's path.
std::string MergePaths(const UriReference& base, const std::string& path) {
    if (base.authority && base.path.empty()) return "/" + path;
    const std::size_t slash = base.path.rfind('/');
    return (slash == std::string::npos ? std::string() : base.path.substr(0, slash + 1)) + path;
}

}  // namespace

UriReference SplitUriReference(std::string_view text) {
    UriReference uri;
    const std::size_t colon = text.find_first_of(":/?#");
    if (colon != std::string_view::npos && text[colon] == ':' && IsScheme(text.substr(0, colon))) {
        uri.scheme = std::string(text.substr(0, colon));
        text.remove_prefix(colon + 1);
    }
    if (text.starts_with("//")) {
        const std::size_t end = std::min(text.find_first_of("/?#", 2), text.size());
        uri.authority = std::string(text.substr(2, end - 2));
        text.remove_prefix(end);
    }
    if (const std::size_t hash = text.find('#'); hash != std::string_view::npos) {
        uri.fragment = std::string(text.substr(hash + 1));
        text = text.substr(0, hash);
    }
    if (const std::size_t question = text.find('?'); question != std::string_view::npos) {
        uri.query = std::string(text.substr(question + 1));
        text = text.substr(0, question);
    }
    uri.path = std::string(text);
    return uri;
}

UriReference ResolveReference(const UriReference& base, const UriReference& reference) {
    UriReference target;
    if (reference.scheme) {
        target = reference;
        target.path = RemoveDotSegments(reference.path);
        return target;
    }
    target.scheme = base.scheme;
    target.fragment = reference.fragment;
    if (reference.authority) {
        target.authority = reference.authority;
        target.path = RemoveDotSegments(reference.path);
        target.query = reference.query;
        return target;
    }
    target.authority = base.authority;
    if (reference.path.empty()) {
        target.path = base.path;
        target.query = reference.query ? reference.query : base.query;
    } else {
        target.path = RemoveDotSegments(reference.path.front() == '/' ? reference.path : MergePaths(base, reference.path));
        target.query = reference.query;
    }
    return target;
}

std::string ComposeUri(const UriReference& uri) {
    std::string text;
    if (uri.scheme) text += *uri.scheme + ":";
    if (uri.authority) text += "//" + *uri.authority;
    text += uri.path;
    if (uri.query) text += "?" + *uri.query;
    if (uri.fragment) text += "#" + *uri.fragment;
    return text;
}

}  // namespace quillane
