#include "files/Xml.h"

#include "files/SafeReplace.h"

#include <initguid.h>

#include <oleauto.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <vector>

// MinGW's headers stop at DOMDocument40 and leave out 5.0; the whole set is
// defined here so the order below does not depend on what libuuid carries.
DEFINE_GUID(CLSID_DOMDocument60, 0x88d96a05, 0xf192, 0x11d4, 0xa6, 0x5f, 0x00, 0x40, 0x96, 0x32,
            0x51, 0xe5);
DEFINE_GUID(CLSID_MvDOMDocument50, 0x88d969e5, 0xf192, 0x11d4, 0xa6, 0x5f, 0x00, 0x40, 0x96, 0x32,
            0x51, 0xe5);
DEFINE_GUID(CLSID_MvDOMDocument40, 0x88d969c0, 0xf192, 0x11d4, 0xa6, 0x5f, 0x00, 0x40, 0x96, 0x32,
            0x51, 0xe5);
DEFINE_GUID(CLSID_MvDOMDocument30, 0xf5078f32, 0xc551, 0x11d3, 0x89, 0xb9, 0x00, 0x00, 0xf8, 0x1f,
            0xe2, 0x21);
DEFINE_GUID(CLSID_MvDOMDocument26, 0xf5078f1b, 0xc551, 0x11d3, 0x89, 0xb9, 0x00, 0x00, 0xf8, 0x1f,
            0xe2, 0x21);
DEFINE_GUID(CLSID_MvDOMDocument, 0x2933bf90, 0x7b36, 0x11d2, 0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98,
            0x3e, 0x60);
DEFINE_GUID(IID_MvXMLDOMDocument2, 0x2933bf95, 0x7b36, 0x11d2, 0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98,
            0x3e, 0x60);
DEFINE_GUID(IID_MvXMLDOMNode, 0x2933bf80, 0x7b36, 0x11d2, 0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e,
            0x60);

namespace {

// Developer trace: the debugger output in debug builds, nothing in release.
void Trace(const wchar_t* format, ...) {
#ifndef NDEBUG
    wchar_t line[1024];
    va_list args;
    va_start(args, format);
    std::vswprintf(line, sizeof line / sizeof line[0], format, args);
    va_end(args);
    line[sizeof line / sizeof line[0] - 1] = L'\0';
    OutputDebugStringW(line);
#else
    (void)format;
#endif
}

class Bstr {
public:
    explicit Bstr(const std::wstring& s) : b_(SysAllocStringLen(s.data(), static_cast<UINT>(s.size()))) {}
    Bstr() = default;
    ~Bstr() { SysFreeString(b_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR Get() const { return b_; }
    BSTR* Put() { SysFreeString(b_); b_ = nullptr; return &b_; }
    std::wstring Str() const { return b_ ? std::wstring(b_, SysStringLen(b_)) : std::wstring(); }

private:
    BSTR b_ = nullptr;
};

class Variant {
public:
    Variant() { VariantInit(&v_); }
    ~Variant() { VariantClear(&v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    VARIANT& Get() { return v_; }

    static void String(Variant& out, const std::wstring& s) {
        VariantClear(&out.v_);
        out.v_.vt = VT_BSTR;
        out.v_.bstrVal = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
    }
    static void Bool(Variant& out, bool b) {
        VariantClear(&out.v_);
        out.v_.vt = VT_BOOL;
        out.v_.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
    }
    static void Int(Variant& out, int i) {
        VariantClear(&out.v_);
        out.v_.vt = VT_I4;
        out.v_.lVal = i;
    }

private:
    VARIANT v_;
};

class FileHandle {
public:
    explicit FileHandle(HANDLE h) : h_(h) {}
    ~FileHandle() { if (Valid()) CloseHandle(h_); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool Valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    HANDLE Get() const { return h_; }

private:
    HANDLE h_;
};

// Reads the whole file unless it is larger than the cap; false when the
// cap was passed or reading failed.
bool ReadCapped(HANDLE file, std::vector<unsigned char>& bytes) {
    bytes.clear();
    unsigned char chunk[16384];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, chunk, sizeof chunk, &got, nullptr)) return false;
        if (got == 0) return true;
        if (bytes.size() + got > kMaxXmlFileSize) return false;
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
}

// A profile never needs a document type declaration, and entity
// declarations are how a file reaches other files or grows without bound.
// Dropping NUL bytes lets one search cover UTF-8, UTF-16 and UTF-32, and
// every single-byte encoding that keeps ASCII.
bool CarriesDtd(const std::vector<unsigned char>& bytes) {
    std::string compact;
    compact.reserve(bytes.size());
    for (unsigned char c : bytes)
        if (c != 0) compact.push_back(static_cast<char>(c));
    return compact.find("<!DOCTYPE") != std::string::npos ||
           compact.find("<!ENTITY") != std::string::npos;
}

// The folder part with its separator kept: for a file in the root of a
// drive that is the root, not the current folder of the drive.
std::wstring DirectoryOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return L".";
    return path.substr(0, slash + 1);
}

std::unique_ptr<CXmlNode> EmptyNode() { return std::make_unique<CXmlNode>(); }

std::unique_ptr<CXmlNode> Wrap(ComRef<IXMLDOMNode> node) {
    return std::make_unique<CXmlNode>(std::move(node));
}

// Creates an element in the node's owner document and appends it.
HRESULT AppendElement(IXMLDOMNode* parent, const std::wstring& name, ComRef<IXMLDOMNode>& added) {
    ComRef<IXMLDOMDocument> doc;
    HRESULT hr = parent->get_ownerDocument(doc.Put());
    if (FAILED(hr)) return hr;
    if (!doc) return E_POINTER;
    ComRef<IXMLDOMElement> element;
    Bstr bname(name);
    hr = doc->createElement(bname.Get(), element.Put());
    if (FAILED(hr)) return hr;
    if (!element) return E_FAIL;
    return parent->appendChild(element.Get(), added.Put());
}

}  // namespace

std::wstring XmlErrorText(HRESULT hr) {
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, static_cast<DWORD>(hr), 0,
                                   reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (n != 0 && text) {
        std::wstring s(text, n);
        LocalFree(text);
        while (!s.empty() && (s.back() == L'\r' || s.back() == L'\n')) s.pop_back();
        if (!s.empty()) return s;
    } else if (text) {
        LocalFree(text);
    }
    wchar_t buf[64];
    const unsigned long code = static_cast<unsigned long>(hr);
    const unsigned long firstDispatch = 0x80040200UL;  // FACILITY_ITF, code 0x200
    const unsigned long lastDispatch = 0x8004FFFFUL;
    if (code >= firstDispatch && code <= lastDispatch)
        std::swprintf(buf, 64, L"IDispatch error #%d", static_cast<int>(code - firstDispatch));
    else
        std::swprintf(buf, 64, L"Unknown error 0x%0lX", code);
    return buf;
}

// ---- CXml ----------------------------------------------------------------

// The XML component is a COM object: its thread must have COM, which the
// first document of a thread starts if nobody did (a resident starts it
// only when it first reads a profile).
void EnsureComForThread() {
    static thread_local bool started = false;
    if (started) return;
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    started = SUCCEEDED(hr) || hr == RPC_E_CHANGED_MODE;
}

int CXml::CreateDocumentObject() {
    Close();
    EnsureComForThread();
    struct DocumentClass {
        const CLSID* clsid;
        int version;
    };
    const DocumentClass classes[] = {
        {&CLSID_DOMDocument60, 60},   {&CLSID_MvDOMDocument30, 30}, {&CLSID_MvDOMDocument50, 50},
        {&CLSID_MvDOMDocument40, 40}, {&CLSID_MvDOMDocument26, 26}, {&CLSID_MvDOMDocument, 0},
    };
    HRESULT hr = E_FAIL;
    for (const DocumentClass& c : classes) {
        hr = CoCreateInstance(*c.clsid, nullptr, CLSCTX_ALL, IID_MvXMLDOMDocument2,
                              reinterpret_cast<void**>(doc_.Put()));
        if (SUCCEEDED(hr) && doc_) {
            xmlVersion_ = c.version;
            break;
        }
        doc_.Reset();
    }
    if (!doc_) {
        Trace(L"CXml::CreateDocumentObject failed:%ls\n", XmlErrorText(hr).c_str());
        return 0;
    }

    // Only XPath matters for lookups; the rest shuts every door a crafted
    // file could use to read other files, reach the network or run script.
    struct Property {
        const wchar_t* name;
        bool value;
    };
    Variant v;
    Variant::String(v, L"XPath");
    hr = doc_->setProperty(Bstr(L"SelectionLanguage").Get(), v.Get());
    if (FAILED(hr)) {
        Trace(L"CXml::CreateDocumentObject failed:%ls\n", XmlErrorText(hr).c_str());
        return 0;
    }
    if (xmlVersion_ == 40) {
        Variant::Bool(v, true);
        doc_->setProperty(Bstr(L"NewParser").Get(), v.Get());
    }
    const Property switches[] = {
        {L"AllowXsltScript", false},
        {L"AllowDocumentFunction", false},
        {L"ProhibitDTD", true},
    };
    for (const Property& p : switches) {
        Variant::Bool(v, p.value);
        hr = doc_->setProperty(Bstr(p.name).Get(), v.Get());
        if (FAILED(hr)) Trace(L"CXml: property %ls not set:%ls\n", p.name, XmlErrorText(hr).c_str());
    }
    // Old parsers' default depth is unbounded; ours need three levels.
    Variant::Int(v, 256);
    doc_->setProperty(Bstr(L"MaxElementDepth").Get(), v.Get());

    doc_->put_async(VARIANT_FALSE);
    doc_->put_resolveExternals(VARIANT_FALSE);
    doc_->put_preserveWhiteSpace(VARIANT_FALSE);
    doc_->put_validateOnParse(VARIANT_FALSE);
    filePath_.clear();
    return 1;
}

int CXml::Open(const std::wstring& path) {
    std::vector<unsigned char> bytes;
    bool withinCap = false;
    {
        FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid()) return 0;
        withinCap = ReadCapped(file.Get(), bytes);
    }
    if (!CreateDocumentObject()) return 0;
    filePath_ = path;

    // The bytes checked are the bytes parsed: the file is not read twice.
    if (!withinCap) {
        Trace(L"CXml::Open( %ls ) failed:%ls\n", path.c_str(), L"file too large or unreadable");
        return 0;
    }
    if (CarriesDtd(bytes)) {
        Trace(L"CXml::Open( %ls ) failed:%ls\n", path.c_str(), L"document type declaration refused");
        return 0;
    }

    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    if (!array) {
        Trace(L"CXml::Open( %ls ) failed:%ls\n", path.c_str(), XmlErrorText(E_OUTOFMEMORY).c_str());
        return 0;
    }
    void* data = nullptr;
    if (SUCCEEDED(SafeArrayAccessData(array, &data))) {
        if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
        SafeArrayUnaccessData(array);
    }
    Variant source;
    source.Get().vt = VT_ARRAY | VT_UI1;
    source.Get().parray = array;  // the variant frees it

    VARIANT_BOOL ok = VARIANT_FALSE;
    HRESULT hr = doc_->load(source.Get(), &ok);
    if (FAILED(hr) || ok != VARIANT_TRUE) {
        std::wstring reason;
        ComRef<IXMLDOMParseError> error;
        if (SUCCEEDED(doc_->get_parseError(error.Put())) && error) {
            Bstr text;
            if (SUCCEEDED(error->get_reason(text.Put()))) reason = text.Str();
            while (!reason.empty() && (reason.back() == L'\r' || reason.back() == L'\n'))
                reason.pop_back();
        }
        if (reason.empty()) reason = XmlErrorText(FAILED(hr) ? hr : E_FAIL);
        Trace(L"CXml::Open( %ls ) failed:%ls\n", path.c_str(), reason.c_str());
        return 0;
    }
    // Second line of defence, should the parser see an encoding the byte
    // search above could not.
    ComRef<IXMLDOMDocumentType> doctype;
    if (SUCCEEDED(doc_->get_doctype(doctype.Put())) && doctype) {
        Trace(L"CXml::Open( %ls ) failed:%ls\n", path.c_str(), L"document type declaration refused");
        doc_.Reset();
        return 0;
    }
    return 1;
}

int CXml::Create(const std::wstring& rootName, const std::wstring& encoding,
                 const std::wstring& prefix, const std::wstring& namespaceUri) {
    if (!CreateDocumentObject()) return 0;
    filePath_.clear();
    HRESULT hr = E_FAIL;
    do {
        const std::wstring data = L"version=\"1.0\" encoding=\"" + encoding + L"\"";
        ComRef<IXMLDOMProcessingInstruction> pi;
        hr = doc_->createProcessingInstruction(Bstr(L"xml").Get(), Bstr(data).Get(), pi.Put());
        if (FAILED(hr)) break;
        if (!pi) { hr = E_FAIL; break; }
        ComRef<IXMLDOMNode> added;
        hr = doc_->appendChild(pi.Get(), added.Put());
        if (FAILED(hr)) break;

        std::unique_ptr<CXmlNode> root = CreateNode(rootName, prefix, namespaceUri);
        if (root->IsEmpty()) { hr = E_FAIL; break; }
        ComRef<IXMLDOMNode> rootAdded;
        hr = doc_->appendChild(root->Node(), rootAdded.Put());
        if (FAILED(hr)) break;
        return 1;
    } while (false);
    Trace(L"CXml::Create( %ls, %ls, %ls, %ls) failed:%ls\n", rootName.c_str(), encoding.c_str(),
          prefix.c_str(), namespaceUri.c_str(), XmlErrorText(hr).c_str());
    return 0;
}

std::unique_ptr<CXmlNode> CXml::CreateNode(const std::wstring& name, const std::wstring& prefix,
                                           const std::wstring& namespaceUri) {
    HRESULT hr = E_POINTER;
    if (doc_) {
        const std::wstring qualified = prefix.empty() ? name : prefix + L":" + name;
        Variant type;
        Variant::Int(type, NODE_ELEMENT);
        ComRef<IXMLDOMNode> node;
        hr = doc_->createNode(type.Get(), Bstr(qualified).Get(), Bstr(namespaceUri).Get(), node.Put());
        if (SUCCEEDED(hr) && node) return Wrap(std::move(node));
        if (SUCCEEDED(hr)) hr = E_FAIL;
    }
    Trace(L"CXml::CreateNode( %ls, %ls, %ls) failed:%ls\n", name.c_str(), prefix.c_str(),
          namespaceUri.c_str(), XmlErrorText(hr).c_str());
    return EmptyNode();
}

std::unique_ptr<CXmlNode> CXml::GetRoot() {
    HRESULT hr = E_POINTER;
    if (doc_) {
        ComRef<IXMLDOMElement> element;
        hr = doc_->get_documentElement(element.Put());
        if (SUCCEEDED(hr) && element) {
            ComRef<IXMLDOMNode> node;
            hr = element->QueryInterface(IID_MvXMLDOMNode, reinterpret_cast<void**>(node.Put()));
            if (SUCCEEDED(hr) && node) return Wrap(std::move(node));
        }
        if (SUCCEEDED(hr)) hr = E_FAIL;
    }
    Trace(L"CXml::GetRoot failed:%ls\n", XmlErrorText(hr).c_str());
    return EmptyNode();
}

int CXml::Save(const std::wstring& path) {
    if (!doc_) return 0;
    const std::wstring target = path.empty() ? filePath_ : path;
    if (target.empty()) {
        Trace(L"CXml::Save( %ls ) failed:%ls\n", target.c_str(), XmlErrorText(E_INVALIDARG).c_str());
        return 0;
    }
    if (!SaveReplacing(target)) return 0;
    filePath_ = target;
    return 1;
}

// The document goes to a new file beside the target first; the target is
// replaced only once that file is complete, so a save that fails half-way
// leaves the old file as it was.
int CXml::SaveReplacing(const std::wstring& path) {
    // Windows refuses to replace a read-only file; Wine does not, so ask.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
        Trace(L"CXml::Save( %ls ) failed:%ls\n", path.c_str(), XmlErrorText(E_ACCESSDENIED).c_str());
        return 0;
    }
    wchar_t temp[MAX_PATH];
    if (!GetTempFileNameW(DirectoryOf(path).c_str(), L"mvf", 0, temp)) {
        Trace(L"CXml::Save( %ls ) failed:%ls\n", path.c_str(),
              XmlErrorText(HRESULT_FROM_WIN32(GetLastError())).c_str());
        return 0;
    }
    Variant destination;
    Variant::String(destination, temp);
    HRESULT hr = doc_->save(destination.Get());
    if (SUCCEEDED(hr) && !ReplaceDurably(path, temp)) hr = HRESULT_FROM_WIN32(GetLastError());
    if (FAILED(hr)) {
        DeleteFileW(temp);
        Trace(L"CXml::Save( %ls ) failed:%ls\n", path.c_str(), XmlErrorText(hr).c_str());
        return 0;
    }
    return 1;
}

void CXml::Close() {
    doc_.Reset();
    filePath_.clear();
    xmlVersion_ = 0;
}

// ---- CXmlNode ------------------------------------------------------------

std::unique_ptr<CXmlNode> CXmlNode::GetChild(const std::wstring& name, bool create) {
    HRESULT hr = E_POINTER;
    if (node_) {
        std::wstring quoted;
        for (wchar_t c : name) {
            quoted.push_back(c);
            if (c == L'\'') quoted.push_back(c);
        }
        const std::wstring xpath = L"*[local-name(.) = '" + quoted + L"']";
        ComRef<IXMLDOMNode> found;
        hr = node_->selectSingleNode(Bstr(xpath).Get(), found.Put());
        if (SUCCEEDED(hr)) {
            if (found) return Wrap(std::move(found));
            if (!create) return EmptyNode();
            ComRef<IXMLDOMNode> added;
            hr = AppendElement(node_.Get(), quoted, added);
            if (SUCCEEDED(hr) && added) return Wrap(std::move(added));
            if (SUCCEEDED(hr)) hr = E_FAIL;
        }
    }
    Trace(L"CXmlNode::GetChild failed:%ls\n", XmlErrorText(hr).c_str());
    return EmptyNode();
}

std::unique_ptr<CXmlNode> CXmlNode::NewChild(const std::wstring& name) {
    HRESULT hr = E_POINTER;
    if (node_) {
        ComRef<IXMLDOMNode> added;
        hr = AppendElement(node_.Get(), name, added);
        if (SUCCEEDED(hr) && added) return Wrap(std::move(added));
        if (SUCCEEDED(hr)) hr = E_FAIL;
    }
    Trace(L"CXmlNode::NewChild failed:%ls\n", XmlErrorText(hr).c_str());
    return EmptyNode();
}

int CXmlNode::GetText(std::wstring& value) const {
    HRESULT hr = E_POINTER;
    if (node_) {
        Bstr text;
        hr = node_->get_text(text.Put());
        if (SUCCEEDED(hr)) {
            value = text.Str();
            return 1;
        }
    }
    Trace(L"CXmlNode::GetText failed:%ls\n", XmlErrorText(hr).c_str());
    return 0;
}

int CXmlNode::SetText(const std::wstring& value) {
    HRESULT hr = E_POINTER;
    if (node_) {
        hr = node_->put_text(Bstr(value).Get());
        if (SUCCEEDED(hr)) return 1;
    }
    Trace(L"CXmlNode::SetText failed:%ls\n", XmlErrorText(hr).c_str());
    return 0;
}

int CXmlNode::GetValue(int defaultValue) {
    std::wstring text;
    GetText(text);
    if (text.empty()) {
        text = std::to_wstring(defaultValue);
        SetText(text);
    }
    // Numbers are read from a 20-byte narrow copy: at most 19 characters
    // and the terminator, and nothing beyond it.
    char narrow[20] = {};
    int count = static_cast<int>(std::min<size_t>(text.size(), sizeof narrow - 1));
    while (count > 0) {
        const int written = WideCharToMultiByte(CP_ACP, 0, text.data(), count, narrow,
                                                sizeof narrow - 1, nullptr, nullptr);
        if (written > 0) {
            narrow[written] = '\0';
            break;
        }
        --count;  // a multi-byte character did not fit: take one character fewer
    }
    if (count == 0) narrow[0] = '\0';
    // long is 32 bits here; out-of-range text saturates like the C library.
    return static_cast<int>(std::strtol(narrow, nullptr, 10));
}

int CXmlNode::SetValue(int value) { return SetText(std::to_wstring(value)); }
