// Page operations: navigation, page texts, scripts, transfers made by the
// browser, screenshots and frames. Each is one exchange on the channel.
#include "channel.hpp"
#include "protocol.hpp"

using namespace tarvo::surfpod;

namespace {

// A region packs two 16-bit halves into 32 bits, sign-extended to the
// message parameter.
LPARAM pack(int32_t high, int32_t low) {
  return static_cast<int32_t>((static_cast<uint32_t>(high) << 16) | (static_cast<uint32_t>(low) & 0xFFFF));
}

}  // namespace

extern "C" {

int32_t Surfpod_GoURL(SurfpodInstance *h, const char *url) { return done(exchange(h, kNavigate, 0, 0, {{1, url}})); }
int32_t Surfpod_GoBack(SurfpodInstance *h) { return done(exchange(h, kBack)); }
int32_t Surfpod_GoForward(SurfpodInstance *h) { return done(exchange(h, kForward)); }
int32_t Surfpod_GoHome(SurfpodInstance *h) { return done(exchange(h, kHome)); }
int32_t Surfpod_Refresh(SurfpodInstance *h) { return done(exchange(h, kRefresh)); }
int32_t Surfpod_Stop(SurfpodInstance *h) { return done(exchange(h, kStop)); }

char *Surfpod_GetWebTitle(SurfpodInstance *h) { return exchange_text(h, 1, kPageTitle); }
char *Surfpod_GetHTML(SurfpodInstance *h) { return exchange_text(h, 1, kPageHtml); }
char *Surfpod_GetURL(SurfpodInstance *h) { return exchange_text(h, 1, kUrl); }
char *Surfpod_GetLocationURL(SurfpodInstance *h) { return exchange_text(h, 1, kLocationUrl); }
char *Surfpod_GetLocationName(SurfpodInstance *h) { return exchange_text(h, 1, kLocationName); }

int32_t Surfpod_LoadPage(SurfpodInstance *h, const char *text1, const char *text2, int32_t number1,
                         int32_t number2) {
  return answer32(exchange(h, kLoadPage, number1, number2, {{2, text1}, {1, text2}}));
}
int32_t Surfpod_WaitPage(SurfpodInstance *h, const char *text, int32_t number1, int32_t number2) {
  return answer32(exchange(h, kWaitPage, number1, number2, {{1, text}}));
}
int32_t Surfpod_SavePage(SurfpodInstance *h, const char *file) { return done(exchange(h, kSavePage, 0, 0, {{1, file}})); }

char *Surfpod_RunJS(SurfpodInstance *h, const char *script, int32_t flag) {
  return exchange_text(h, 2, kRunScript, flag, 0, {{1, script}});
}
int32_t Surfpod_RunJS_NoRet(SurfpodInstance *h, const char *script, int32_t flag) {
  return done(exchange(h, kRunScript, flag, 0, {{1, script}}));
}
char *Surfpod_GetCookies(SurfpodInstance *h, const char *text) {
  return exchange_text(h, 2, kCookies, 0, 0, {{1, text}});
}

char *Surfpod_HttpGet(SurfpodInstance *h, const char *url) { return exchange_text(h, 4, kHttpGet, 0, 0, {{1, url}}); }
char *Surfpod_HttpPost(SurfpodInstance *h, const char *url, const char *data) {
  return exchange_text(h, 4, kHttpPost, 0, 0, {{1, url}, {2, data}});
}
int32_t Surfpod_HttpGetFile(SurfpodInstance *h, const char *url, const char *file) {
  return answer32(exchange(h, kHttpGetFile, 0, 0, {{1, url}, {3, file}}));
}
int32_t Surfpod_HttpPostFile(SurfpodInstance *h, const char *url, const char *data, const char *file) {
  return answer32(exchange(h, kHttpPostFile, 0, 0, {{1, url}, {2, data}, {3, file}}));
}

int32_t Surfpod_ScreenShot(SurfpodInstance *h, int32_t x, int32_t y, int32_t width, int32_t height,
                           const char *file) {
  return done(exchange(h, kShotRegion, pack(x, y), pack(width, height), {{1, file}}));
}
int32_t Surfpod_ScreenShotFull(SurfpodInstance *h, const char *file) {
  return done(exchange(h, kShotPage, 0, 0, {{1, file}}));
}

int32_t Surfpod_SetFrame(SurfpodInstance *h, const char *frame1, const char *frame2, const char *frame3,
                         int32_t number) {
  return done(exchange(h, kSelectFrame, number, 0, {{1, frame1}, {2, frame2}, {3, frame3}}));
}
int32_t Surfpod_ResetFrame(SurfpodInstance *h) {
  return done(exchange(h, kSelectFrame, 0, 0, {{1, ""}, {2, ""}, {3, ""}}));
}

}  // extern "C"
