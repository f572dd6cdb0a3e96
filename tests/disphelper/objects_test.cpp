// Creating automation objects and attaching to running ones.
#include "automation_fixture.hpp"

namespace disptest {
namespace {

using ObjectTest = AutomationTest;

TEST_P(ObjectTest, CreateByClassIdText) {
  const wchar_t *clsid = local() ? L"{5F5405E9-2CF4-4B24-81F7-07092F28A788}" : L"{BC2B863E-94DB-401A-A327-BD35BBFE0029}";
  Ref<IDispatch> other;
  ASSERT_EQ(disp::CreateObject(clsid, nullptr, other.put()), S_OK);
  EXPECT_EQ(text_of(other.get(), L".Name"), L"Tarvo Test Application");
  if (local()) {
    EXPECT_EQ(disp::CallMethod(other.get(), L".Quit()"), S_OK);
  }
}

TEST_P(ObjectTest, AttachToTheRunningInstance) {
  Ref<IDispatch> running;
  HRESULT hr = disp::GetObject(nullptr, GetParam(), running.put());
  if (!local()) {
    // The in-process class never registers itself as running.
    EXPECT_EQ(hr, MK_E_UNAVAILABLE);
    EXPECT_STREQ(record().InitialFunction, L"GetObject");
    EXPECT_STREQ(record().ErrorFunction, L"GetObjectEx");
    return;
  }
  ASSERT_EQ(hr, S_OK);
  ASSERT_EQ(disp::PutValue(app_.get(), L".Int = %d", 777), S_OK);
  EXPECT_EQ(int_of(running.get(), L".Int"), 777);
}

TEST_P(ObjectTest, LoadAFileThroughTheClass) {
  Ref<IDispatch> loaded;
  ASSERT_EQ(disp::GetObject(L"C:\\data\\book.tst", GetParam(), loaded.put()), S_OK);
  EXPECT_EQ(text_of(loaded.get(), L".FileName"), L"C:\\data\\book.tst");
  if (local()) {
    EXPECT_EQ(disp::CallMethod(loaded.get(), L".Quit()"), S_OK);
  }
}

TEST(ObjectFailures, BadNamesAndArguments) {
  Apartment apartment;
  Ref<IDispatch> out;
  EXPECT_EQ(disp::CreateObject(L"TarvoTest.NoSuchClass", nullptr, out.put()), CO_E_CLASSSTRING);
  const disp::DispatchErrorRecord *r = disp::ThreadErrorRecord();
  ASSERT_NE(r, nullptr);
  EXPECT_STREQ(r->InitialFunction, L"CreateObject");
  EXPECT_STREQ(r->ErrorFunction, L"CreateObjectEx");
  EXPECT_STREQ(r->CompleteMember, L"TarvoTest.NoSuchClass");
  EXPECT_FALSE(out);
  EXPECT_EQ(disp::CreateObject(nullptr, nullptr, out.put()), E_INVALIDARG);
  EXPECT_EQ(disp::CreateObject(kInprocProgId, nullptr, nullptr), E_INVALIDARG);
  EXPECT_EQ(disp::GetObject(nullptr, nullptr, out.put()), E_INVALIDARG);
  int reserved = 0;
  EXPECT_EQ(disp::GetObjectEx(nullptr, kInprocProgId, IID_IDispatch, CLSCTX_ALL, &reserved,
                              reinterpret_cast<void **>(out.put())),
            E_INVALIDARG);
  EXPECT_TRUE(FAILED(disp::GetObject(L"::not a moniker::", nullptr, out.put())));
  EXPECT_FALSE(out);
}

INSTANTIATE_TEST_SUITE_P(Servers, ObjectTest, ::testing::Values(kInprocProgId, kLocalProgId), param_name);

}  // namespace
}  // namespace disptest
