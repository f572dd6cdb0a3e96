#include "test_model.hpp"

#include "server.hpp"

#include <cstdio>
#include <map>
#include <string>
#include <utility>

namespace standin::test_model {
namespace {

std::wstring describe(const VARIANT &v) {
  wchar_t buf[64];
  switch (v.vt) {
    case VT_I4: swprintf(buf, 64, L"I4:%d", static_cast<int>(v.lVal)); break;
    case VT_UI4: swprintf(buf, 64, L"UI4:%u", static_cast<unsigned>(v.ulVal)); break;
    case VT_I8: swprintf(buf, 64, L"I8:%lld", static_cast<long long>(v.llVal)); break;
    case VT_R8: swprintf(buf, 64, L"R8:%g", v.dblVal); break;
    case VT_BOOL: swprintf(buf, 64, L"BOOL:%d", static_cast<int>(v.boolVal)); break;
    case VT_DATE: swprintf(buf, 64, L"DATE:%.6f", v.date); break;
    case VT_ERROR: swprintf(buf, 64, L"ERROR:%08lx", static_cast<unsigned long>(v.scode)); break;
    case VT_DISPATCH: return v.pdispVal ? L"DISPATCH" : L"DISPATCH:null";
    case VT_UNKNOWN: return v.punkVal ? L"UNKNOWN" : L"UNKNOWN:null";
    case VT_BSTR: return std::wstring(L"BSTR:") + (v.bstrVal ? v.bstrVal : L"");
    case VT_EMPTY: return L"EMPTY";
    default: swprintf(buf, 64, L"VT%d", static_cast<int>(v.vt)); break;
  }
  return buf;
}

class Node final : public Object {
 public:
  explicit Node(const wchar_t *name) { set_name(name); }
  const Members &members() const override {
    static const Members m{field(L"Name", VT_BSTR), getter<Node>(L"Child", &Node::child)};
    return m;
  }

 private:
  void set_name(const wchar_t *name) {
    VARIANT &v = *fields_[L"Name"].get();
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(name);
  }
  HRESULT child(Invocation &call) {
    if (!child_) child_ = make<Node>(L"child");
    call.set_object(child_.get());
    return S_OK;
  }
  Ref<Node> child_;
};

class Sheet;

// A cell: its value lives in the sheet, so ranges come and go freely.
class Range final : public Object {
 public:
  Range(Ref<Sheet> sheet, int row, int column) : sheet_(std::move(sheet)), row_(row), column_(column) {}
  const Members &members() const override;

 private:
  HRESULT get_value(Invocation &call);
  HRESULT put_value(Invocation &call);
  HRESULT row(Invocation &call) { call.set_i4(row_); return S_OK; }
  HRESULT column(Invocation &call) { call.set_i4(column_); return S_OK; }
  Ref<Sheet> sheet_;
  int row_, column_;
};

class Sheet final : public Object {
 public:
  explicit Sheet(std::wstring name) : name_(std::move(name)) {}
  const Members &members() const override {
    static const Members m{
        getter<Sheet>(L"Name", &Sheet::name),
        method<Sheet>(L"Cells", {{VT_I4}, {VT_I4}}, &Sheet::cells),
    };
    return m;
  }
  std::map<std::pair<int, int>, Variant> cells_;

 private:
  HRESULT name(Invocation &call) { call.set_text(name_); return S_OK; }
  HRESULT cells(Invocation &call) {
    auto range = make<Range>(Ref<Sheet>::share(this), call.i4(0), call.i4(1));
    call.set_object(range.get());
    return S_OK;
  }
  std::wstring name_;
};

const Members &Range::members() const {
  static const Members m{
      as_default(property<Range>(L"Value", VT_VARIANT, &Range::get_value, &Range::put_value)),
      getter<Range>(L"Row", &Range::row),
      getter<Range>(L"Column", &Range::column),
  };
  return m;
}

HRESULT Range::get_value(Invocation &call) {
  auto it = sheet_->cells_.find({row_, column_});
  if (it != sheet_->cells_.end()) call.set_variant(*it->second.get());
  return S_OK;
}

HRESULT Range::put_value(Invocation &call) {
  return VariantCopy(sheet_->cells_[{row_, column_}].get(), const_cast<VARIANT *>(&call.value()));
}

class Book final : public Object {
 public:
  explicit Book(std::wstring name) : name_(std::move(name)), sheets_(make<Collection>()) {
    for (const wchar_t *n : {L"Sheet1", L"Sheet2", L"Sheet3"}) sheets_->add(make<Sheet>(n).get());
  }
  const Members &members() const override {
    static const Members m{
        getter<Book>(L"Name", &Book::name),
        getter<Book>(L"Sheets", &Book::sheets),
    };
    return m;
  }

 private:
  HRESULT name(Invocation &call) { call.set_text(name_); return S_OK; }
  HRESULT sheets(Invocation &call) { call.set_object(sheets_.get()); return S_OK; }
  std::wstring name_;
  Ref<Collection> sheets_;
};

class Books final : public Collection {
 public:
  Books() { add_book(); }
  const Members &members() const override {
    static const Members m({method<Books>(L"Add", {}, &Books::add_method)}, &collection_members());
    return m;
  }

 private:
  IDispatch *add_book() {
    auto book = make<Book>(L"Book" + std::to_wstring(size() + 1));
    add(book.get());
    return book.get();
  }
  HRESULT add_method(Invocation &call) { call.set_object(add_book()); return S_OK; }
};

class Application final : public Object, public IPersistFile {
 public:
  Application() : books_(make<Books>()) {
    register_deferred_texts(kDeferredCode, L"TarvoTest", L"Deferred failure");
    active_.add(static_cast<IDispatch *>(this));
  }
  const Members &members() const override {
    static const Members m{
        getter<Application>(L"Name", &Application::name),
        getter<Application>(L"LiveObjects", &Application::live),
        field(L"Visible", VT_BOOL),
        field(L"Int", VT_I4),
        field(L"UInt", VT_UI4),
        field(L"Int64", VT_I8),
        field(L"Real", VT_R8),
        field(L"Flag", VT_BOOL),
        field(L"Text", VT_BSTR),
        field(L"When", VT_DATE),
        field(L"Any", VT_VARIANT),
        field(L"Thing", VT_DISPATCH),
        field(L"Unknown", VT_UNKNOWN),
        method<Application>(L"Describe", std::vector<Param>(26, Param{VT_VARIANT, true}),
                            &Application::describe_args),
        method<Application>(L"Sum", {{VT_I4}, {VT_I4}}, &Application::sum),
        method<Application>(L"Join", {{VT_BSTR}, {VT_BSTR, true}}, &Application::join),
        getter<Application>(L"Nothing", &Application::nothing),
        getter<Application>(L"Number", &Application::number),
        method<Application>(L"NewNode", {{VT_BSTR, true}}, &Application::new_node),
        method<Application>(L"Fail", {{VT_I4}, {VT_BSTR, true}}, &Application::fail),
        method<Application>(L"FailDeferred", {}, &Application::fail_deferred),
        getter<Application>(L"Workbooks", &Application::workbooks),
        getter<Application>(L"FileName", &Application::file_name),
        method<Application>(L"Quit", {}, &Application::quit),
    };
    return m;
  }

  // IUnknown, shared by both interfaces.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
    return Object::QueryInterface(iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return Object::AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return Object::Release(); }
  void *extra_interface(REFIID iid) override {
    return iid == IID_IPersistFile || iid == IID_IPersist ? static_cast<IPersistFile *>(this) : nullptr;
  }

  // IPersistFile: "loading" a file only remembers its name.
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID *clsid) override {
    if (!clsid) return E_POINTER;
    *clsid = kInprocClsid;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE IsDirty() override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE Load(LPCOLESTR name, DWORD) override {
    if (!name) return E_INVALIDARG;
    file_name_ = name;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Save(LPCOLESTR, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SaveCompleted(LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetCurFile(LPOLESTR *name) override {
    if (name) *name = nullptr;
    return E_NOTIMPL;
  }

 private:
  HRESULT name(Invocation &call) { call.set_text(L"Tarvo Test Application"); return S_OK; }
  HRESULT live(Invocation &call) { call.set_i4(live_objects()); return S_OK; }
  HRESULT describe_args(Invocation &call) {
    std::wstring text;
    size_t shown = 0;
    for (size_t i = 0; i < call.count(); ++i)
      if (call.given(i)) shown = i + 1;
    for (size_t i = 0; i < shown; ++i) {
      if (i) text += L"|";
      text += call.given(i) ? describe(call.arg(i)) : L"-";
    }
    call.set_text(text);
    return S_OK;
  }
  HRESULT sum(Invocation &call) { call.set_i4(call.i4(0) + call.i4(1)); return S_OK; }
  HRESULT join(Invocation &call) {
    call.set_text(std::wstring(call.text(0)) + call.text(1));
    return S_OK;
  }
  HRESULT nothing(Invocation &call) { call.set_object(nullptr); return S_OK; }
  HRESULT number(Invocation &call) { call.set_i4(42); return S_OK; }
  HRESULT new_node(Invocation &call) {
    auto node = make<Node>(call.text(0, L"node"));
    call.set_object(node.get());
    return S_OK;
  }
  HRESULT fail(Invocation &call) {
    return call.raise(call.i4(0), L"TarvoTest", call.text(1));
  }
  HRESULT fail_deferred(Invocation &call) { return call.raise_deferred(kDeferredCode); }
  HRESULT workbooks(Invocation &call) { call.set_object(books_.get()); return S_OK; }
  HRESULT file_name(Invocation &call) { call.set_text(file_name_); return S_OK; }
  HRESULT quit(Invocation &) {
    active_.revoke();
    return S_OK;
  }

  Ref<Books> books_;
  std::wstring file_name_;
  ActiveRegistration active_;
};

}  // namespace

HRESULT create_application(REFIID iid, void **out) {
  auto app = make<Application>();
  return static_cast<IDispatch *>(app.get())->QueryInterface(iid, out);
}

}  // namespace standin::test_model
