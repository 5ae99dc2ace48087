// Catalog path standardization: the root is split off first, then the parts after it are cleaned lexically (the
// file system is not asked, so a path to data that does not exist standardizes too).
#include "host/CatalogPathText.h"

#include "platform/Utf.h"

#include <unistd.h>

#include <climits>
#include <vector>

namespace tavi::GeoprocessingUtil {

namespace {

struct SplitPath {
    String root; // "", "/", "C:/", "//" or "scheme://authority/"
    String rest; // what follows the root
    bool isUrl = false;
};

bool IsAsciiLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool IsSchemeChar(char16_t c) {
    return IsAsciiLetter(c) || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
}

// The length of "scheme:" when `path` starts with "scheme://", else 0. One letter is a drive, not a scheme.
size_t SchemeLength(std::u16string_view path) {
    size_t i = 0;
    if (path.empty() || !IsAsciiLetter(path[0]))
        return 0;
    while (i < path.size() && IsSchemeChar(path[i]))
        ++i;
    if (i < 2 || path.substr(i, 3) != u"://")
        return 0;
    return i + 1;
}

SplitPath Split(const String& path) {
    SplitPath split;
    if (size_t scheme = SchemeLength(path)) {
        size_t authorityEnd = path.find(u'/', scheme + 2);
        if (authorityEnd == String::npos)
            authorityEnd = path.size();
        split.root = path.substr(0, authorityEnd) + u"/";
        split.rest = path.substr(authorityEnd);
        split.isUrl = true;
    } else if (path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == u':') {
        split.root = path.substr(0, 2) + u"/";
        split.rest = path.substr(2);
    } else if (path.size() > 2 && path.starts_with(u"//") && path[2] != u'/') { // a share: "//server/..."
        split.root = u"//";
        split.rest = path.substr(2);
    } else if (path.starts_with(u"/")) {
        split.root = u"/";
        split.rest = path;
    } else {
        split.rest = path;
    }
    return split;
}

String WorkingDirectory() {
    char buffer[PATH_MAX];
    if (!getcwd(buffer, sizeof buffer))
        return u"/";
    return FromUtf8(buffer);
}

// Cleans the parts: "." and empty parts go, ".." removes the part before it (or goes above a root).
String JoinParts(std::u16string_view rest, bool rooted) {
    std::vector<std::u16string_view> parts;
    size_t start = 0;
    while (start <= rest.size()) {
        size_t end = rest.find(u'/', start);
        if (end == std::u16string_view::npos)
            end = rest.size();
        std::u16string_view part = rest.substr(start, end - start);
        if (part == u"..") {
            if (!parts.empty() && parts.back() != u"..")
                parts.pop_back();
            else if (!rooted)
                parts.push_back(part);
        } else if (!part.empty() && part != u".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    String joined;
    for (std::u16string_view part : parts) {
        if (!joined.empty())
            joined += u'/';
        joined += part;
    }
    return joined;
}

} // namespace

String StandardizeCatalogPath(std::u16string_view path, bool absolute) {
    if (path.empty())
        return String();
    String text(path);
    for (char16_t& c : text)
        if (c == u'\\')
            c = u'/';
    SplitPath split = Split(text);
    if (split.root.empty() && absolute)
        split = Split(WorkingDirectory() + u"/" + split.rest);
    String parts = JoinParts(split.rest, !split.root.empty());
    if (split.root.empty())
        return parts.empty() ? String(u".") : parts;
    if (parts.empty()) // a bare root keeps its separator; a URL's bare authority has none
        return split.isUrl ? split.root.substr(0, split.root.size() - 1) : split.root;
    return split.root + parts;
}

HRESULT StandardizeCatalogPath(const OLECHAR* path, BSTR* standardized, bool absolute) {
    if (!standardized)
        return E_POINTER;
    *standardized = nullptr;
    try {
        *standardized =
            MakeBSTR(StandardizeCatalogPath(path ? std::u16string_view(path) : std::u16string_view(), absolute));
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

} // namespace tavi::GeoprocessingUtil
