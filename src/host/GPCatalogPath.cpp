// Catalog path splitting: see GPCatalogPath.h.
#include "host/GPCatalogPath.h"

namespace tavi {

GPCatalogPath::GPCatalogPath(std::u16string_view path) {
    path_.reserve(path.size());
    for (char16_t c : path) {
        if (c == u'\\')
            c = u'/';
        if (c == u'/' && !path_.empty() && path_.back() == u'/')
            continue;
        path_.push_back(c);
    }
    if (path_.size() > 1 && path_.back() == u'/')
        path_.pop_back();
}

size_t GPCatalogPath::FileStart() const {
    size_t slash = path_.rfind(u'/');
    return slash == String::npos ? 0 : slash + 1;
}

size_t GPCatalogPath::ExtensionDot() const {
    size_t start = FileStart();
    size_t dot = path_.rfind(u'.');
    if (dot == String::npos || dot <= start)
        return String::npos;
    return dot;
}

String GPCatalogPath::GetPath() const {
    size_t slash = path_.rfind(u'/');
    if (slash == String::npos || path_ == u"/")
        return {};
    return slash == 0 ? String(u"/") : path_.substr(0, slash);
}

String GPCatalogPath::GetFile() const {
    return path_ == u"/" ? String() : path_.substr(FileStart());
}

String GPCatalogPath::GetBaseName() const {
    size_t start = FileStart();
    size_t dot = ExtensionDot();
    return path_.substr(start, dot == String::npos ? String::npos : dot - start);
}

String GPCatalogPath::GetExtension() const {
    size_t dot = ExtensionDot();
    return dot == String::npos ? String() : path_.substr(dot + 1);
}

} // namespace tavi
