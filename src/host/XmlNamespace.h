// The XML namespace texts of the document generations, and the namespace of the XML document being read or written
// on this thread.
#pragma once

namespace tavi {

// The current document namespace and those of older document generations (oldest first).
inline constexpr const char16_t* c_xml_ns_tavi = u"http://www.tavi.example/schemas/Geoprocessing/3.4";
inline constexpr const char16_t* c_xml_ns_tavi_90 = u"http://www.tavi.example/schemas/Geoprocessing/0.9";
inline constexpr const char16_t* c_xml_ns_tavi_92 = u"http://www.tavi.example/schemas/Geoprocessing/0.9.2";
inline constexpr const char16_t* c_xml_ns_tavi_101 = u"http://www.tavi.example/schemas/Geoprocessing/1.0.1";
inline constexpr const char16_t* c_xml_ns_tavi_330 = u"http://www.tavi.example/schemas/Geoprocessing/3.3";

class XmlNamespaceUtil {
public:
    // The namespace of the document being read or written on this thread: the innermost DocumentNamespaceScope's,
    // else c_xml_ns_tavi. Never null; the text lives as long as the scope that set it.
    static const char16_t* GetDocumentNamespace();
};

// Sets the thread's document namespace for its lifetime and restores the outer one when it ends. The XML layer
// opens one around each document it reads or writes. The text is copied.
class DocumentNamespaceScope {
public:
    explicit DocumentNamespaceScope(const char16_t* ns);
    ~DocumentNamespaceScope();
    DocumentNamespaceScope(const DocumentNamespaceScope&) = delete;
    DocumentNamespaceScope& operator=(const DocumentNamespaceScope&) = delete;

private:
    const char16_t* previous_;
    char16_t* own_;
};

} // namespace tavi
