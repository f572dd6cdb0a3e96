// Failures: what the thread's record holds, and the message box that shows it.
#include "automation_fixture.hpp"
#include "box_watcher.hpp"

#include <thread>

namespace disptest {
namespace {

using ErrorTest = AutomationTest;

std::wstring message_of(const disp::DispatchErrorRecord &r) {
  wchar_t text[512];
  disp::FormatErrorMessage(r, text);
  return text;
}

TEST_P(ErrorTest, UnknownMember) {
  int32_t out = 3;
  EXPECT_EQ(disp::GetValue(L"%d", &out, app_.get(), L".Workbooks.Bogus(%d)", 1), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(out, 3);
  const auto &r = record();
  EXPECT_STREQ(r.InitialFunction, L"GetValue");
  EXPECT_STREQ(r.ErrorFunction, L"InvokeArray");
  EXPECT_EQ(r.Code, DISP_E_UNKNOWNNAME);
  EXPECT_STREQ(r.Member, L"Bogus");
  EXPECT_STREQ(r.CompleteMember, L".Workbooks.Bogus(%d)");
  EXPECT_TRUE(r.FromDispatch);
  EXPECT_TRUE(r.Finished);
  EXPECT_EQ(message_of(r),
            L"Member:\t  .Workbooks.Bogus(%d)\r\nFunction:\t  GetValue\t\t\r\nError In:\t  InvokeArray\r\n"
            L"Error:\t  Object doesn't support this property or method: 'Bogus'\r\nCode:\t  80020006\r\n"
            L"Source:\t  IDispatch Interface");
}

TEST_P(ErrorTest, TypeMismatchNamesTheArgument) {
  EXPECT_EQ(disp::CallMethod(app_.get(), L".Sum(%S, %d)", L"x", 1), DISP_E_TYPEMISMATCH);
  const auto &r = record();
  EXPECT_STREQ(r.InitialFunction, L"CallMethod");
  EXPECT_EQ(r.ArgumentIndex, 1u);  // Invoke's (reversed) index of the first argument
  EXPECT_NE(message_of(r).find(L"Error:\t  Type mismatch: 'Sum'. Argument Index: 1\r\n"), std::wstring::npos);
  EXPECT_EQ(disp::CallMethod(app_.get(), L".Sum(%d, %m)", 1), DISP_E_PARAMNOTFOUND);
  EXPECT_EQ(record().ArgumentIndex, 0u);
}

TEST_P(ErrorTest, ServerExceptionsAndOnlyTheLatestFailure) {
  EXPECT_EQ(disp::CallMethod(app_.get(), L".Bogus"), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(disp::CallMethod(app_.get(), L".Fail(%d, %S)", 0x80040201, L"Broken on purpose"), DISP_E_EXCEPTION);
  const auto &r = record();
  EXPECT_EQ(r.ServerCode, LONG(0x80040201));
  EXPECT_STREQ(r.Description, L"Broken on purpose");
  EXPECT_STREQ(r.Source, L"TarvoTest");
  EXPECT_STREQ(r.Member, L"Fail");
  EXPECT_STREQ(r.CompleteMember, L".Fail(%d, %S)");
  EXPECT_NE(message_of(r).find(L"Error:\t  Broken on purpose\r\nCode:\t  80040201\r\nSource:\t  TarvoTest"),
            std::wstring::npos);
  // A failure without exception information clears the previous texts.
  EXPECT_EQ(disp::CallMethod(app_.get(), L".Bogus"), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(record().Description, nullptr);
  EXPECT_EQ(record().ServerCode, 0);
  // Texts the server defers are filled in.
  EXPECT_EQ(disp::CallMethod(app_.get(), L".FailDeferred()"), DISP_E_EXCEPTION);
  EXPECT_EQ(r.ServerCode, LONG(0x800A03EC));
  EXPECT_STREQ(r.Description, L"Deferred failure");
}

TEST_P(ErrorTest, IntermediateObjects) {
  EXPECT_EQ(text_of(app_.get(), L".Nothing.Name"), L"<failed>");
  EXPECT_EQ(record().Code, E_NOINTERFACE);
  EXPECT_STREQ(record().ErrorFunction, L"TraverseSubObjects");
  EXPECT_NE(message_of(record()).find(L"Error:\t  Object required\r\n"), std::wstring::npos);
  // A non-object in the middle fails with the coercion's error; the
  // objects walked so far are released (the fixture checks the counter).
  EXPECT_EQ(disp::CallMethod(app_.get(), L".Workbooks(%d).Name.Count", 1), DISP_E_TYPEMISMATCH);
  EXPECT_STREQ(record().ErrorFunction, L"InternalInvokeV");
}

TEST_P(ErrorTest, FailuresWithoutADispatchCallCarryTheSystemsText) {
  EXPECT_EQ(disp::CallMethod(nullptr, L".Quit()"), E_INVALIDARG);
  const auto &r = record();
  EXPECT_STREQ(r.InitialFunction, L"CallMethod");
  EXPECT_STREQ(r.ErrorFunction, L"InvokeV");
  EXPECT_FALSE(r.FromDispatch);
  const std::wstring text = message_of(r);
  EXPECT_NE(text.find(L"Source:\t  Application"), std::wstring::npos);
  const size_t error_at = text.find(L"Error:\t  "), code_at = text.find(L"\r\nCode:\t  80070057");
  ASSERT_NE(error_at, std::wstring::npos);
  ASSERT_NE(code_at, std::wstring::npos);
  EXPECT_GT(code_at, error_at + 9);
  EXPECT_NE(text[code_at - 1], L'\n') << "without its own line end";
  EXPECT_NE(text[code_at - 1], L'\r');
}

TEST_P(ErrorTest, RecordsArePerThread) {
  EXPECT_EQ(disp::CallMethod(app_.get(), L".Bogus"), DISP_E_UNKNOWNNAME);
  const disp::DispatchErrorRecord *mine = disp::ThreadErrorRecord(), *theirs = nullptr;
  std::thread([&] {
    int32_t out;
    EXPECT_EQ(disp::GetValue(L"%d", &out, nullptr, L".X"), E_INVALIDARG);
    theirs = disp::ThreadErrorRecord();
  }).join();
  ASSERT_NE(theirs, nullptr);
  EXPECT_NE(theirs, mine);
  EXPECT_STREQ(theirs->CompleteMember, L".X");
  EXPECT_STREQ(record().Member, L"Bogus");
}

TEST_P(ErrorTest, MessageBoxShowsTheRecordWhenSwitchedOn) {
  tarvo::test::BoxWatcher boxes;
  disp::SetErrorDisplay(true);
  EXPECT_EQ(disp::CallMethod(app_.get(), L".Workbooks.Bogus"), DISP_E_UNKNOWNNAME);
  disp::SetErrorDisplay(false);
  EXPECT_EQ(disp::CallMethod(app_.get(), L".Bogus"), DISP_E_UNKNOWNNAME);  // recorded, not shown
  ASSERT_EQ(boxes.found(), 1) << "exactly one message box for one failed call";
  EXPECT_EQ(boxes.title(), L"Error");
  EXPECT_EQ(boxes.text(),
            L"Member:\t  .Workbooks.Bogus\r\nFunction:\t  CallMethod\t\t\r\nError In:\t  InvokeArray\r\n"
            L"Error:\t  Object doesn't support this property or method: 'Bogus'\r\nCode:\t  80020006\r\n"
            L"Source:\t  IDispatch Interface");
}

INSTANTIATE_TEST_SUITE_P(Servers, ErrorTest, ::testing::Values(kInprocProgId, kLocalProgId), param_name);

}  // namespace
}  // namespace disptest
