#include "files/Xml.h"

#include "XmlTestSupport.h"

#include <climits>

namespace {

class XmlTest : public ComTest {};

// Count of element children of a node with the given name.
int CountChildren(CXmlNode& node, const wchar_t* name) {
    IXMLDOMNodeList* list = nullptr;
    if (FAILED(node.Node()->get_childNodes(&list)) || !list) return -1;
    long length = 0;
    list->get_length(&length);
    int n = 0;
    for (long i = 0; i < length; ++i) {
        IXMLDOMNode* child = nullptr;
        if (SUCCEEDED(list->get_item(i, &child)) && child) {
            BSTR nodeName = nullptr;
            child->get_nodeName(&nodeName);
            if (nodeName && std::wstring(nodeName) == name) ++n;
            SysFreeString(nodeName);
            child->Release();
        }
    }
    list->Release();
    return n;
}

std::wstring TextOf(CXmlNode& node) {
    std::wstring s = L"<unset>";
    node.GetText(s);
    return s;
}

bool OpenText(CXml& xml, const wchar_t* path, const std::string& text) {
    WriteBytes(path, text);
    return xml.Open(path) != 0;
}

TEST_F(XmlTest, CreateThenSaveWritesDeclarationFirstThenRoot) {
    const wchar_t* path = L"created.xml";
    RemoveFile(path);
    CXml xml;
    ASSERT_EQ(1, xml.Create(L"Mirvostan", L"UTF-16", L"", L""));
    EXPECT_TRUE(xml.FilePath().empty());
    EXPECT_EQ(60, xml.XmlVersion()) << "Wine provides DOMDocument60";
    ASSERT_EQ(1, xml.Save(path));
    EXPECT_EQ(path, xml.FilePath());
    xml.Close();

    // Read back through a fresh document: declaration node, then the element.
    CXml back;
    ASSERT_EQ(1, back.Open(path));
    // The node object keeps the reference that root borrows.
    std::unique_ptr<CXmlNode> rootNode = back.GetRoot();
    IXMLDOMNode* root = rootNode->Node();
    ASSERT_NE(nullptr, root);
    IXMLDOMNode* doc = nullptr;
    ASSERT_TRUE(SUCCEEDED(root->get_parentNode(&doc)) && doc);
    IXMLDOMNode* first = nullptr;
    ASSERT_TRUE(SUCCEEDED(doc->get_firstChild(&first)) && first);
    DOMNodeType type = NODE_INVALID;
    first->get_nodeType(&type);
    EXPECT_EQ(NODE_PROCESSING_INSTRUCTION, type);
    BSTR name = nullptr;
    first->get_nodeName(&name);
    EXPECT_EQ(std::wstring(L"xml"), std::wstring(name ? name : L""));
    SysFreeString(name);
    IXMLDOMNode* second = nullptr;
    ASSERT_TRUE(SUCCEEDED(first->get_nextSibling(&second)) && second);
    BSTR rootName = nullptr;
    second->get_nodeName(&rootName);
    EXPECT_EQ(std::wstring(L"Mirvostan"), std::wstring(rootName ? rootName : L""));
    SysFreeString(rootName);
    second->Release();
    first->Release();
    doc->Release();

    // The declaration names the encoding given to Create.
    const std::string raw = ReadBytes(path);
    const std::string expected = Utf16Le("<?xml version=\"1.0\" encoding=\"UTF-16\"?>", false);
    EXPECT_NE(std::string::npos, raw.find(expected)) << "declaration missing from the saved bytes";
}

TEST_F(XmlTest, CreateNodeFormsQualifiedNameFromPrefix) {
    CXml xml;
    ASSERT_EQ(1, xml.Create(L"root", L"UTF-8", L"", L""));
    struct Row { const wchar_t* prefix; const wchar_t* uri; const wchar_t* expected; };
    const Row rows[] = {{L"", L"", L"Item"}, {L"p", L"urn:mv", L"p:Item"}};
    for (const Row& r : rows) {
        auto node = xml.CreateNode(L"Item", r.prefix, r.uri);
        ASSERT_FALSE(node->IsEmpty()) << r.expected;
        BSTR name = nullptr;
        node->Node()->get_nodeName(&name);
        EXPECT_EQ(std::wstring(r.expected), std::wstring(name ? name : L"")) << r.expected;
        SysFreeString(name);
        BSTR uri = nullptr;
        node->Node()->get_namespaceURI(&uri);
        EXPECT_EQ(std::wstring(r.uri), std::wstring(uri ? uri : L"")) << r.expected;
        SysFreeString(uri);
    }
}

TEST_F(XmlTest, GetChildTakesFirstOfDuplicatesAndCreatesExactlyOnce) {
    CXml xml;
    ASSERT_TRUE(OpenText(xml, L"dup.xml", "<r><A>first</A><B/><A>second</A></r>"));
    auto root = xml.GetRoot();
    EXPECT_EQ(L"first", TextOf(*root->GetChild(L"A", false)));

    EXPECT_TRUE(root->GetChild(L"C", false)->IsEmpty()) << "no create flag, no element";
    EXPECT_EQ(0, CountChildren(*root, L"C"));
    auto created = root->GetChild(L"C", true);
    ASSERT_FALSE(created->IsEmpty());
    created->SetText(L"new");
    EXPECT_EQ(1, CountChildren(*root, L"C"));
    EXPECT_EQ(L"new", TextOf(*root->GetChild(L"C", true))) << "second call finds the created element";
    EXPECT_EQ(1, CountChildren(*root, L"C"));
}

TEST_F(XmlTest, GetChildDoesNotDescend) {
    CXml xml;
    ASSERT_TRUE(OpenText(xml, L"deep.xml", "<r><Outer><Inner>7</Inner></Outer></r>"));
    auto root = xml.GetRoot();
    EXPECT_TRUE(root->GetChild(L"Inner", false)->IsEmpty());
    EXPECT_EQ(L"7", TextOf(*root->GetChild(L"Outer", false)->GetChild(L"Inner", false)));
}

TEST_F(XmlTest, GetChildMatchesLocalNameOfPrefixedElement) {
    CXml xml;
    ASSERT_TRUE(OpenText(xml, L"prefixed.xml",
                         "<r xmlns:q=\"urn:other\"><q:Byte3>9</q:Byte3><Byte3>1</Byte3></r>"));
    EXPECT_EQ(L"9", TextOf(*xml.GetRoot()->GetChild(L"Byte3", false)));
}

TEST_F(XmlTest, NewChildAppendsWithoutLookup) {
    CXml xml;
    ASSERT_EQ(1, xml.Create(L"root", L"UTF-16", L"", L""));
    auto root = xml.GetRoot();
    root->NewChild(L"X")->SetValue(1);
    root->NewChild(L"X")->SetValue(2);
    EXPECT_EQ(2, CountChildren(*root, L"X"));
    EXPECT_EQ(L"12", TextOf(*root)) << "element text is the text of all descendants in order";
}

TEST_F(XmlTest, GetValueReadsLeadingDecimalFromTwentyByteCopy) {
    struct Row { const char* text; int expected; };
    const Row rows[] = {
        {" 42abc", 42},
        {"abc", 0},
        {"-7", -7},
        {"+15", 15},
        {"1.5", 1},
        {"300", 300},
        {"2147483648", INT_MAX},                // saturates like the C library
        {"-99999999999", INT_MIN},
        {"00000000000000000007", 0},            // the digit is the 20th character: not read
        {"0000000000000000007", 7},             // the 19th character still is
        {"1234567890123456789012345", INT_MAX}, // long text: only 19 characters read
    };
    for (const Row& r : rows) {
        CXml xml;
        const std::string doc = std::string("<r><V>") + r.text + "</V></r>";
        ASSERT_TRUE(OpenText(xml, L"value.xml", doc)) << r.text;
        EXPECT_EQ(r.expected, xml.GetRoot()->GetChild(L"V", false)->GetValue(-1)) << "text '" << r.text << "'";
    }
}

TEST_F(XmlTest, GetValueOnEmptyTextFillsInTheDefault) {
    struct Row { const char* doc; int def; const wchar_t* written; };
    const Row rows[] = {
        {"<r><V/></r>", 8, L"8"},
        {"<r><V></V></r>", -3, L"-3"},
        {"<r><V>   </V></r>", 255, L"255"},  // white space alone is dropped while parsing
    };
    for (const Row& r : rows) {
        CXml xml;
        ASSERT_TRUE(OpenText(xml, L"default.xml", r.doc)) << r.doc;
        auto v = xml.GetRoot()->GetChild(L"V", false);
        EXPECT_EQ(r.def, v->GetValue(r.def)) << r.doc;
        EXPECT_EQ(std::wstring(r.written), TextOf(*v)) << r.doc;
    }
}

TEST_F(XmlTest, EmptyNodeFailsQuietly) {
    CXmlNode empty;
    std::wstring text = L"kept";
    EXPECT_EQ(0, empty.GetText(text));
    EXPECT_EQ(L"kept", text);
    EXPECT_EQ(0, empty.SetText(L"x"));
    EXPECT_EQ(0, empty.SetValue(3));
    EXPECT_EQ(17, empty.GetValue(17));
    EXPECT_TRUE(empty.GetChild(L"A", true)->IsEmpty());
    EXPECT_TRUE(empty.NewChild(L"A")->IsEmpty());
    // Chains on empty results stay harmless.
    EXPECT_EQ(5, empty.GetChild(L"A", true)->GetChild(L"B", true)->GetValue(5));

    CXml closed;
    EXPECT_TRUE(closed.GetRoot()->IsEmpty());
    EXPECT_TRUE(closed.CreateNode(L"a", L"", L"")->IsEmpty());
}

TEST_F(XmlTest, OpenOfMissingFileCreatesNoDocument) {
    CXml xml;
    EXPECT_EQ(0, xml.Open(L"no-such-file.xml"));
    EXPECT_FALSE(xml.IsOpen());
    EXPECT_EQ(0, xml.XmlVersion());
    EXPECT_TRUE(xml.FilePath().empty());
}

TEST_F(XmlTest, OpenOfMalformedFileFailsButKeepsPath) {
    CXml xml;
    EXPECT_FALSE(OpenText(xml, L"broken.xml", "<r><a></r>"));
    EXPECT_EQ(L"broken.xml", xml.FilePath());
    xml.Close();
    EXPECT_TRUE(xml.FilePath().empty());
    EXPECT_EQ(0, xml.XmlVersion());
    EXPECT_FALSE(xml.IsOpen());
}

// Encodings, layouts and hostile documents are covered through LoadProfile
// (profile_test, profile_robustness_test); here only the size cap's edge.
TEST_F(XmlTest, OpenRefusesFilesOverTheSizeCap) {
    std::string fits = "<r><V>1</V><!--";
    fits += std::string(kMaxXmlFileSize - fits.size() - 7, 'x') + "--></r>";
    ASSERT_EQ(kMaxXmlFileSize, fits.size());
    CXml atCap;
    EXPECT_TRUE(OpenText(atCap, L"cap.xml", fits));

    std::string over = fits;
    over.insert(over.size() - 4, " ");
    CXml overCap;
    EXPECT_FALSE(OpenText(overCap, L"cap.xml", over));
    EXPECT_TRUE(overCap.GetRoot()->IsEmpty()) << "nothing was parsed";
}

TEST_F(XmlTest, SaveWithoutDocumentLeavesFileAlone) {
    const wchar_t* path = L"untouched.xml";
    WriteBytes(path, "old content");
    CXml xml;
    EXPECT_EQ(0, xml.Save(path));
    EXPECT_EQ(0, xml.Save());
    EXPECT_EQ("old content", ReadBytes(path));
}

TEST_F(XmlTest, FailedSaveKeepsOldFileAndLeavesNoTemporary) {
    const wchar_t* target = L"readonly.xml";
    RemoveFile(target);
    WriteBytes(target, "old profile");
    SetFileAttributesW(target, FILE_ATTRIBUTE_READONLY);
    const int tempsBefore = CountFiles(L"mvf*.tmp");

    CXml xml;
    ASSERT_EQ(1, xml.Create(L"root", L"UTF-16", L"", L""));
    EXPECT_EQ(0, xml.Save(target)) << "a read-only target is not replaced";
    EXPECT_EQ("old profile", ReadBytes(target));
    EXPECT_TRUE(xml.FilePath().empty()) << "a failed save does not take the path";
    EXPECT_EQ(0, xml.Save(L"no-such-folder\\x.xml"));
    EXPECT_FALSE(FileExists(L"no-such-folder\\x.xml"));
    EXPECT_EQ(tempsBefore, CountFiles(L"mvf*.tmp"));
    RemoveFile(target);
}

TEST_F(XmlTest, SaveReplacesExistingFileAndSaveWithoutPathUsesFilePath) {
    const wchar_t* path = L"replace.xml";
    WriteBytes(path, "old content that is longer than nothing");
    const int tempsBefore = CountFiles(L"mvf*.tmp");
    CXml xml;
    ASSERT_EQ(1, xml.Create(L"root", L"UTF-8", L"", L""));
    xml.GetRoot()->NewChild(L"V")->SetValue(1);
    ASSERT_EQ(1, xml.Save(path));
    xml.GetRoot()->GetChild(L"V", false)->SetValue(2);
    ASSERT_EQ(1, xml.Save());
    EXPECT_EQ(tempsBefore, CountFiles(L"mvf*.tmp"));

    CXml back;
    ASSERT_EQ(1, back.Open(path));
    EXPECT_EQ(2, back.GetRoot()->GetChild(L"V", false)->GetValue(-1));

    // A full path puts the temporary file in the target's folder too.
    wchar_t full[MAX_PATH];
    ASSERT_NE(0u, GetFullPathNameW(L"absolute.xml", MAX_PATH, full, nullptr));
    RemoveFile(full);
    ASSERT_EQ(1, xml.Save(full));
    EXPECT_TRUE(FileExists(L"absolute.xml"));
    EXPECT_EQ(tempsBefore, CountFiles(L"mvf*.tmp"));
}

TEST(XmlErrorTextTest, NamesSystemTextOrFallsBack) {
    const std::wstring known = XmlErrorText(E_OUTOFMEMORY);
    EXPECT_FALSE(known.empty());
    EXPECT_NE(L'\n', known.back()) << "trailing line breaks are removed";
    EXPECT_EQ(std::wstring::npos, known.find(L"Unknown error"));
    EXPECT_EQ(L"IDispatch error #3", XmlErrorText(static_cast<HRESULT>(0x80040203UL)));
    EXPECT_EQ(L"Unknown error 0xA0123456", XmlErrorText(static_cast<HRESULT>(0xA0123456UL)));
}

}  // namespace
