// The thread's document namespace: a stack of scopes, each remembering the namespace it replaced.
#include "host/XmlNamespace.h"

#include <cstring>
#include <string>

namespace tavi {

namespace {
thread_local const char16_t* currentNamespace = nullptr;
}

const char16_t* XmlNamespaceUtil::GetDocumentNamespace() {
    return currentNamespace ? currentNamespace : c_xml_ns_tavi;
}

DocumentNamespaceScope::DocumentNamespaceScope(const char16_t* ns) : previous_(currentNamespace), own_(nullptr) {
    std::u16string_view text = ns ? std::u16string_view(ns) : std::u16string_view(c_xml_ns_tavi);
    own_ = new char16_t[text.size() + 1];
    std::memcpy(own_, text.data(), text.size() * sizeof(char16_t));
    own_[text.size()] = u'\0';
    currentNamespace = own_;
}

DocumentNamespaceScope::~DocumentNamespaceScope() {
    currentNamespace = previous_;
    delete[] own_;
}

} // namespace tavi
