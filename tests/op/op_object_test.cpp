// Creation and release of the object (by ProgID, from a DLL file, from DLLs
// that are no good), the searches through the object's own function table
// and by name, and the composite clicks.
#include "op_fixture.hpp"

#include "xcore.h"

namespace optest {
namespace {

// ---- creation and release ------------------------------------------------------

// The ProgID's registration, taken away for the length of a test.
class ProgIdRemoved {
 public:
  ProgIdRemoved() {
    DWORD size = sizeof clsid_;
    registered_ = RegGetValueW(HKEY_LOCAL_MACHINE, kKey, nullptr, RRF_RT_REG_SZ, nullptr, clsid_, &size) == 0;
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\op.opsoft");
  }
  ~ProgIdRemoved() {
    if (registered_)
      RegSetKeyValueW(HKEY_LOCAL_MACHINE, kKey, nullptr, REG_SZ, clsid_,
                      static_cast<DWORD>((wcslen(clsid_) + 1) * sizeof(wchar_t)));
  }
  bool registered() const { return registered_; }

 private:
  static constexpr const wchar_t *kKey = L"Software\\Classes\\op.opsoft\\CLSID";
  wchar_t clsid_[64] = L"";
  bool registered_ = false;
};

class OpCreate : public tarvo::test::LeakCheckedTest {};

TEST_F(OpCreate, ByProgIdWhenRegisteredAndNotOtherwise) {
  Script script;
  OpObject *h = OP_CreateObjectW(nullptr);
  ASSERT_NE(h, nullptr) << "is the stand-in registered as op.opsoft?";
  EXPECT_EQ(h->module, nullptr);
  EXPECT_EQ(describe(OP_VerW(h)), "t:\u00e9Ver");
  EXPECT_EQ(OP_ReleaseObject(h), -1);
  EXPECT_EQ(script.run("local h = T.OP_CreateObject() return T.OP_ReleaseObject(h) + (h ~= 0 and 10 or 0)"), "n:9");
  {
    ProgIdRemoved removed;
    ASSERT_TRUE(removed.registered());
    EXPECT_EQ(OP_CreateObjectW(nullptr), nullptr);
    EXPECT_EQ(OP_CreateObjectA(nullptr), nullptr);
    EXPECT_EQ(script.run("return T.OP_CreateObject()"), "n:0");
    EXPECT_EQ(script.run("return T.OP_CreateObject(nil)"), "n:0");
  }
}

TEST_F(OpCreate, FromDllFilesInEveryForm) {
  Script script;
  for (int form = 0; form < 3; ++form) {
    SCOPED_TRACE(form);
    SetEnvironmentVariableW(L"TARVO_OP_STANDIN_UNLOADED", nullptr);
    OpObject *h = nullptr;
    if (form == 0) h = OP_CreateObjectW(kStandinDll);
    if (form == 1) h = OP_CreateObjectA("tarvo_op_standin.dll");
    if (form == 2) {
      EXPECT_EQ(script.run("h = T.OP_CreateObject('tarvo_op_standin.dll') return 0"), "n:0");
      EXPECT_EQ(script.run("return h ~= 0 and 1 or 0"), "n:1");
      EXPECT_NE(GetModuleHandleW(kStandinDll), nullptr);
      EXPECT_EQ(script.run("return T.OP_ReleaseObject(h)"), "n:-1");
    } else {
      ASSERT_NE(h, nullptr);
      EXPECT_EQ(h->module, GetModuleHandleW(kStandinDll));
      EXPECT_EQ(Control(object_of(h)).live(), 1);
      EXPECT_EQ(OP_ReleaseObject(h), -1);
    }
    EXPECT_EQ(GetModuleHandleW(kStandinDll), nullptr);
    EXPECT_EQ(unload_report(), "live=0 factories=0") << "interface and factory released before the unload";
  }
  EXPECT_EQ(OP_ReleaseObject(nullptr), -1);
  EXPECT_EQ(script.run("return T.OP_ReleaseObject(0)"), "n:-1");
  EXPECT_TRUE(count_error(script.run("return T.OP_CreateObject('a', 'b')")));
}

TEST_F(OpCreate, DllsThatServeNoObjectAreUnloadedAgain) {
  EXPECT_EQ(OP_CreateObjectW(L"tarvo_op_standin_bare.dll"), nullptr);
  EXPECT_EQ(GetModuleHandleW(L"tarvo_op_standin_bare.dll"), nullptr);
  EXPECT_EQ(OP_CreateObjectW(L"no such file.dll"), nullptr);
  EXPECT_EQ(OP_CreateObjectA("no such file.dll"), nullptr);
  for (const wchar_t *refusal : {L"class", L"sfalse", L"create", L"null"}) {
    SCOPED_TRACE(utf8(refusal));
    SetEnvironmentVariableW(L"TARVO_OP_STANDIN_REFUSE", refusal);
    SetEnvironmentVariableW(L"TARVO_OP_STANDIN_UNLOADED", nullptr);
    EXPECT_EQ(OP_CreateObjectW(L"tarvo_op_standin_refusing.dll"), nullptr);
    EXPECT_EQ(GetModuleHandleW(L"tarvo_op_standin_refusing.dll"), nullptr);
    EXPECT_EQ(unload_report(), "live=0 factories=0");
  }
  SetEnvironmentVariableW(L"TARVO_OP_STANDIN_REFUSE", nullptr);
}

// ---- the searches ----------------------------------------------------------------

struct Search {
  const char *name;
  int32_t (*w)(OpObject *, int32_t *, int32_t *);
  int32_t (*a)(OpObject *, int32_t *, int32_t *);
  const char *lua;
  const wchar_t *journal;  // without the kind word
};

#define RECT L"I4:10,I4:20,I4:30,I4:40,"
const Search kSearches[] = {
    {"OP_FindColor", [](OpObject *h, int32_t *x, int32_t *y) { return OP_FindColorW(h, 10, 20, 30, 40, L"\u00e91", 0.9, 2, x, y); },
     [](OpObject *h, int32_t *x, int32_t *y) { return OP_FindColorA(h, 10, 20, 30, 40, "\xe9" "1", 0.9, 2, x, y); },
     "T.OP_FindColor(h, 10, 20, 30, 40, '\xc3\xa9" "1', 0.9, 2)", L"FindColor(" RECT L"BSTR:\u00e91,R8:0.9,I4:2"},
    {"OP_FindMultiColor", [](OpObject *h, int32_t *x, int32_t *y) { return OP_FindMultiColorW(h, 10, 20, 30, 40, L"\u00e91", L"\u00e92", 0.9, 2, x, y); },
     [](OpObject *h, int32_t *x, int32_t *y) { return OP_FindMultiColorA(h, 10, 20, 30, 40, "\xe9" "1", "\xe9" "2", 0.9, 2, x, y); },
     "T.OP_FindMultiColor(h, 10, 20, 30, 40, '\xc3\xa9" "1', '\xc3\xa9" "2', 0.9, 2)", L"FindMultiColor(" RECT L"BSTR:\u00e91,BSTR:\u00e92,R8:0.9,I4:2"},
    {"OP_FindPic", [](OpObject *h, int32_t *x, int32_t *y) { return OP_FindPicW(h, 10, 20, 30, 40, L"\u00e91", L"\u00e92", 0.9, 2, x, y); },
     [](OpObject *h, int32_t *x, int32_t *y) { return OP_FindPicA(h, 10, 20, 30, 40, "\xe9" "1", "\xe9" "2", 0.9, 2, x, y); },
     "T.OP_FindPic(h, 10, 20, 30, 40, '\xc3\xa9" "1', '\xc3\xa9" "2', 0.9, 2)", L"FindPic(" RECT L"BSTR:\u00e91,BSTR:\u00e92,R8:0.9,I4:2"},
    {"OP_FindStr", [](OpObject *h, int32_t *x, int32_t *y) { return OP_FindStrW(h, 10, 20, 30, 40, L"\u00e91", L"\u00e92", 0.9, x, y); },
     [](OpObject *h, int32_t *x, int32_t *y) { return OP_FindStrA(h, 10, 20, 30, 40, "\xe9" "1", "\xe9" "2", 0.9, x, y); },
     "T.OP_FindStr(h, 10, 20, 30, 40, '\xc3\xa9" "1', '\xc3\xa9" "2', 0.9)", L"FindStr(" RECT L"BSTR:\u00e91,BSTR:\u00e92,R8:0.9"},
};

std::wstring member_of(const Search &s) { return std::wstring(s.journal, std::wstring_view(s.journal).find(L'(')); }

class OpSearch : public OpTest {
 protected:
  // Result, x and y of every form, each checked against the journal line.
  void expect_all_forms(const Search &s, const std::string &found, const std::wstring &line) {
    for (auto form : {s.w, s.a}) {
      int32_t x = 99, y = 99;
      const int32_t r = form(h_, &x, &y);
      EXPECT_EQ(std::to_string(r) + "," + std::to_string(x) + "," + std::to_string(y), found);
      EXPECT_EQ(utf8(control().journal()), utf8(line));
    }
    EXPECT_EQ(script_.run(std::string("local r, x, y = ") + s.lua + " return r .. ',' .. x .. ',' .. y"), "t:" + found);
    EXPECT_EQ(utf8(control().journal()), utf8(line));
  }
};

TEST_F(OpSearch, ThroughTheObjectsOwnTableAtTheRightPositions) {
  for (const Search &s : kSearches) {
    SCOPED_TRACE(s.name);
    // A call through a neighbouring position would be journaled as its slot.
    expect_all_forms(s, "1,20,40", std::wstring(L"call ") + s.journal + L")\n");
    answer(member_of(s).c_str(), L"3,-5,6");
    int32_t x = 0;
    EXPECT_EQ(s.w(h_, nullptr, nullptr), 3) << "no targets for x and y";
    EXPECT_EQ(s.w(h_, &x, nullptr), 3);
    EXPECT_EQ(x, -5);
    control().clear();
  }
}

TEST_F(OpSearch, TheOtherPositionsAreJournaledStubs) {
  IID iid;
  IIDFromString(XOP_INTERFACE, &iid);
  tarvo::com::Ref<IUnknown> dual;
  ASSERT_EQ(h_->object->QueryInterface(iid, dual.put_void()), S_OK);
  using Stub = HRESULT(STDMETHODCALLTYPE *)(IUnknown *);
  void *const *table = *reinterpret_cast<void *const *const *>(dual.get());
  for (int position : {7, 83, 85, 106})
    EXPECT_EQ(reinterpret_cast<Stub>(table[position])(dual.get()), E_NOTIMPL);
  EXPECT_EQ(control().journal(), L"call Slot7()\ncall Slot83()\ncall Slot85()\ncall Slot106()\n");
}

TEST_F(OpSearch, ByNameWhenTheObjectHasNoSuchTable) {
  set_dual(false);
  for (const Search &s : kSearches)
    expect_all_forms(s, "1,20,40", std::wstring(L"get ") + s.journal + L",REF:EMPTY,REF:EMPTY)\n");
}

TEST_F(OpSearch, AFailedSearchGivesZeroEverywhere) {
  OpObject empty{};
  for (bool dual : {true, false}) {
    set_dual(dual);
    for (const Search &s : kSearches) {
      SCOPED_TRACE(s.name);
      control().fault(member_of(s).c_str(), L"raise");
      for (OpObject *h : {h_, static_cast<OpObject *>(nullptr), &empty}) {
        int32_t x = 99, y = 99;
        EXPECT_EQ(s.w(h, &x, &y), 0);
        EXPECT_EQ(x, 0);
        EXPECT_EQ(y, 0);
        EXPECT_EQ(s.w(h, nullptr, nullptr), 0);
      }
      control().clear_faults();
    }
  }
  script_.set("h", 0);
  EXPECT_EQ(script_.run("local r, x, y = T.OP_FindPic(h, 1, 2, 3, 4, 'a', 'b', 0.5, 0) return r .. x .. y"), "t:000");
  EXPECT_TRUE(count_error(script_.run("return T.OP_FindStr(h, 1, 2, 3, 4, 'a', 'b')")));
}

// ---- the composite clicks -----------------------------------------------------------

#define CLICK(x, y) L"call MoveTo(I4:" #x L",I4:" #y L")\ncall LeftClick()\n"
#define FIND_STR L"get FindStrEx(I4:1,I4:2,I4:3,I4:4,BSTR:\u00e91,BSTR:ff,R8:0.9)\n"

TEST_F(OpSearch, ClicksAtAPointAndAtTheMatchesOfATextSearch) {
  EXPECT_EQ(OP_LeftClickPoint(h_, 5, -6), -1);
  EXPECT_EQ(utf8(control().journal()), utf8(CLICK(5, -6)));
  EXPECT_EQ(script_.run("return T.OP_LeftClickPoint(h, 5, 6)"), "none");
  EXPECT_EQ(utf8(control().journal()), utf8(CLICK(5, 6)));
  EXPECT_EQ(OP_LeftClickPoint(nullptr, 5, 6), -1);

  answer(L"FindStrEx", L"a,10,20|b,30|c,40,50,x| d , 60 ,70|e,2147483647,-2147483648");
  const std::pair<int32_t, const wchar_t *> cases[] = {
      {-1, FIND_STR CLICK(11, 22) CLICK(41, 52) CLICK(61, 72) CLICK(2147483647, -2147483646)},
      {0, FIND_STR CLICK(11, 22)},
      {1, FIND_STR},  // fewer than three fields
      {3, FIND_STR CLICK(61, 72)},
      {5, FIND_STR},
      {-2, FIND_STR},
  };
  for (const auto &[index, journal] : cases) {
    SCOPED_TRACE(index);
    EXPECT_EQ(OP_LeftClickStrW(h_, 1, 2, 3, 4, L"\u00e91", L"ff", 0.9, index, 1, 2), 0);
    EXPECT_EQ(utf8(control().journal()), utf8(journal));
  }
  EXPECT_EQ(OP_LeftClickStrA(h_, 1, 2, 3, 4, "\xe9" "1", "ff", 0.9, 3, 1, 2), 0);
  EXPECT_EQ(utf8(control().journal()), utf8(FIND_STR CLICK(61, 72)));
  EXPECT_EQ(script_.run("return T.OP_LeftClickStr(h, 1, 2, 3, 4, '\xc3\xa9" "1', 'ff', 0.9, 0, 1, 2)"), "n:0");
  EXPECT_EQ(utf8(control().journal()), utf8(FIND_STR CLICK(11, 22)));

  control().fault(L"FindStrEx", L"raise");
  EXPECT_EQ(OP_LeftClickStrW(h_, 1, 2, 3, 4, L"\u00e91", L"ff", 0.9, -1, 1, 2), 0);
  EXPECT_EQ(utf8(control().journal()), utf8(FIND_STR));
  EXPECT_EQ(OP_LeftClickStrW(nullptr, 1, 2, 3, 4, L"a", L"ff", 0.9, -1, 1, 2), 0);
}

}  // namespace
}  // namespace optest
