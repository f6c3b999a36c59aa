#include "qb/shell/language.h"

#include <windows.h>
#include <msxml2.h>
#include <oleauto.h>

#include "qb/tk/listview.h"
#include "qb/win/handles.h"
#include "qb/win/registry.h"
#include "qb/win/text.h"

namespace qb::shell {

using qb::win::ComPtr;

namespace {

const char kLanguageKey[] = "\\Software\\Korvane\\Qubrix";

class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(const std::wstring& s) : b_(SysAllocStringLen(s.data(), static_cast<UINT>(s.size()))) {}
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { SysFreeString(b_); }
  BSTR* put() {
    SysFreeString(b_);
    b_ = nullptr;
    return &b_;
  }
  BSTR get() const { return b_; }
  std::wstring str() const { return b_ ? std::wstring(b_, SysStringLen(b_)) : std::wstring(); }

 private:
  BSTR b_ = nullptr;
};

std::wstring hostFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of(L"\\/") + 1);
}

bool isElement(IXMLDOMNode* node) {
  DOMNodeType type = NODE_INVALID;
  return SUCCEEDED(node->get_nodeType(&type)) && type == NODE_ELEMENT;
}

std::wstring nodeName(IXMLDOMNode* node) {
  Bstr name;
  if (FAILED(node->get_nodeName(name.put()))) return {};
  return name.str();
}

// The first child element of parent named exactly name (case included).
ComPtr<IXMLDOMNode> firstChildNamed(IXMLDOMNode* parent, const std::wstring& name) {
  ComPtr<IXMLDOMNode> child;
  if (FAILED(parent->get_firstChild(child.put()))) return {};
  while (child) {
    if (isElement(child.get()) && nodeName(child.get()) == name) return child;
    ComPtr<IXMLDOMNode> next;
    if (child->get_nextSibling(next.put()) != S_OK) return {};
    child = std::move(next);
  }
  return {};
}

bool hasChildElement(IXMLDOMNode* node) {
  ComPtr<IXMLDOMNode> child;
  if (FAILED(node->get_firstChild(child.put()))) return false;
  while (child) {
    if (isElement(child.get())) return true;
    ComPtr<IXMLDOMNode> next;
    if (child->get_nextSibling(next.put()) != S_OK) return false;
    child = std::move(next);
  }
  return false;
}

ComPtr<IXMLDOMDocument> loadDocument(const std::wstring& path) {
  CLSID clsid{};
  ComPtr<IXMLDOMDocument> doc;
  if (FAILED(CLSIDFromProgID(L"Msxml2.DOMDocument.3.0", &clsid)) ||
      FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument, doc.putVoid())))
    return {};
  doc->put_async(VARIANT_FALSE);
  doc->put_validateOnParse(VARIANT_FALSE);
  doc->put_resolveExternals(VARIANT_FALSE);
  Bstr file(path);
  VARIANT source;
  VariantInit(&source);
  source.vt = VT_BSTR;
  source.bstrVal = file.get();
  VARIANT_BOOL loaded = VARIANT_FALSE;
  if (FAILED(doc->load(source, &loaded)) || loaded != VARIANT_TRUE) return {};
  return doc;
}

}  // namespace

LangKey captionKey(std::string key, qb::tk::Control& control) {
  return LangKey{std::move(key), [&control](const std::string& text) { control.setCaption(text); }};
}

LangKey columnTitleKey(std::string key, qb::tk::ListView& list, int column) {
  return LangKey{std::move(key), [&list, column](const std::string& text) { list.setColumnTitle(column, text); }};
}

std::wstring languageFilePath() {
  const auto lang = qb::win::reg::readText(HKEY_CURRENT_USER, kLanguageKey, "lang");
  return hostFolder() + L"languages\\" + qb::win::widen(lang.text) + L".xml";
}

void LoadLangFile(const std::string& section, const std::vector<LangKey>& keys) {
  // A "lang" stored as something other than text names no language.
  if (qb::win::reg::readText(HKEY_CURRENT_USER, kLanguageKey, "lang").found == qb::win::reg::Found::WrongType)
    return;
  const std::wstring path = languageFilePath();
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;

  qb::win::ComApartment com;
  const ComPtr<IXMLDOMDocument> doc = loadDocument(path);
  if (!doc) return;
  ComPtr<IXMLDOMElement> root;
  if (doc->get_documentElement(root.put()) != S_OK || !root) return;
  ComPtr<IXMLDOMNode> rootNode;
  if (FAILED(root->QueryInterface(IID_IXMLDOMNode, rootNode.putVoid()))) return;
  const ComPtr<IXMLDOMNode> sectionNode = firstChildNamed(rootNode.get(), qb::win::widen(section));
  if (!sectionNode) return;

  for (const LangKey& k : keys) {
    std::wstring text;
    if (const ComPtr<IXMLDOMNode> keyNode = firstChildNamed(sectionNode.get(), qb::win::widen(k.key))) {
      // A key holding markup instead of plain text keeps its target's designed text.
      if (hasChildElement(keyNode.get())) continue;
      Bstr value;
      if (SUCCEEDED(keyNode->get_text(value.put()))) text = value.str();
    }
    // The pages take 8-bit texts: what the code page cannot hold is lost as the system converts it.
    k.set(qb::win::narrow(qb::win::throughAnsi(text)));
  }
}

}  // namespace qb::shell
