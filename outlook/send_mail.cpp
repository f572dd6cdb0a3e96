// Sending a mail in one call: a new item, its To, subject and body, Send.
#include "forms.hpp"
#include "outlook_session.hpp"

namespace tarvo::outlook {
namespace {

// The item is released on every path, also when a put or Send fails.
int32_t send_mail(IDispatch *app, const wchar_t *to, const wchar_t *subject, const wchar_t *body) {
  Ref<IDispatch> item;
  if (FAILED(disp::GetValue(L"%o", item.put(), app, L".CreateItem(%d)", 0)) || !item) return 0;
  const bool sent = SUCCEEDED(disp::PutValue(item.get(), L".To = %S", to)) &&
                    SUCCEEDED(disp::PutValue(item.get(), L".SubJect = %S", subject)) &&
                    SUCCEEDED(disp::PutValue(item.get(), L".Body = %S", body)) &&
                    SUCCEEDED(disp::CallMethod(item.get(), L".Send()"));
  return sent ? 1 : 0;
}

}  // namespace
}  // namespace tarvo::outlook

int32_t Outlook_SendMailW(xComObject app, const wchar_t *to, const wchar_t *subject, const wchar_t *body) {
  return tarvo::outlook::send_mail(reinterpret_cast<IDispatch *>(app), to, subject, body);
}

int32_t Outlook_SendMailA(xComObject app, const char *to, const char *subject, const char *body) {
  return tarvo::via_w<tarvo::kCodePageA, Outlook_SendMailW>(app, to, subject, body);
}
