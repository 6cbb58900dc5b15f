// A small exception-free vocabulary over the system's XML DOM (MSXML through
// COM): open or create a document, find or append child elements by name,
// read and write element text. Failures are traced for the developer and
// come back as 0 or as an empty node, never as an exception.
#pragma once
#include <windows.h>
#include <msxml2.h>

#include <memory>
#include <string>

// Owns one COM interface reference.
template <class T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() { Reset(); }
    ComRef(const ComRef& other) : p_(other.p_) { if (p_) p_->AddRef(); }
    ComRef(ComRef&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
    ComRef& operator=(ComRef other) noexcept { std::swap(p_, other.p_); return *this; }

    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // Releases what is held and hands out the slot for an out-parameter.
    T** Put() { Reset(); return &p_; }
    void Reset() { if (p_) { p_->Release(); p_ = nullptr; } }

private:
    T* p_ = nullptr;
};

// The error's message text as traces show it: the system's text for the
// code without trailing line breaks, else "IDispatch error #n" or
// "Unknown error 0x...".
std::wstring XmlErrorText(HRESULT hr);

// Starts COM on the calling thread, once, unless it runs already; every
// document calls it before its first object.
void EnsureComForThread();

// Profiles are a few kilobytes; anything bigger is refused before parsing.
constexpr unsigned long kMaxXmlFileSize = 1024 * 1024;

class CXmlNode {
public:
    CXmlNode() = default;
    explicit CXmlNode(ComRef<IXMLDOMNode> node) : node_(std::move(node)) {}
    CXmlNode(const CXmlNode&) = delete;
    CXmlNode& operator=(const CXmlNode&) = delete;

    bool IsEmpty() const { return !node_; }
    IXMLDOMNode* Node() const { return node_.Get(); }

    // First child element with that local name; with create set and none
    // found, a new empty child element appended to this node.
    std::unique_ptr<CXmlNode> GetChild(const std::wstring& name, bool create);
    // New empty child element appended as the last child, no lookup.
    std::unique_ptr<CXmlNode> NewChild(const std::wstring& name);

    int GetText(std::wstring& value) const;
    int SetText(const std::wstring& value);
    // The text as a decimal integer; empty text takes the default, which is
    // written into the node as well.
    int GetValue(int defaultValue);
    int SetValue(int value);

private:
    ComRef<IXMLDOMNode> node_;
};

class CXml {
public:
    CXml() = default;
    ~CXml() { Close(); }
    CXml(const CXml&) = delete;
    CXml& operator=(const CXml&) = delete;

    int Open(const std::wstring& path);
    int Create(const std::wstring& rootName, const std::wstring& encoding,
               const std::wstring& prefix, const std::wstring& namespaceUri);
    std::unique_ptr<CXmlNode> CreateNode(const std::wstring& name, const std::wstring& prefix,
                                         const std::wstring& namespaceUri);
    std::unique_ptr<CXmlNode> GetRoot();
    // Saves to the path, or to FilePath when none is given.
    int Save(const std::wstring& path = std::wstring());
    void Close();

    bool IsOpen() const { return static_cast<bool>(doc_); }
    const std::wstring& FilePath() const { return filePath_; }
    int XmlVersion() const { return xmlVersion_; }

private:
    int CreateDocumentObject();
    int SaveReplacing(const std::wstring& path);

    ComRef<IXMLDOMDocument2> doc_;
    std::wstring filePath_;
    int xmlVersion_ = 0;
};
