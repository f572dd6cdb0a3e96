// Every operation against the stand-in browser: what travelled on the channel
// (message, wParam, lParam, the data windows written in order, the windows
// read) and the result. The rows run in order on one browser; a row's setup
// lines script the stand-in first.
#include "standin.hpp"

#include <gtest/gtest.h>

#include <functional>

namespace tarvo::test {
namespace {

using Lines = std::vector<std::string>;

struct Row {
  const char *name;
  Lines setup;
  std::function<std::string(SurfpodInstance *)> call;
  std::string result;
  Lines journal;
};

std::string n(int64_t v) { return std::to_string(v); }
// A text as the journal writes it.
std::string esc(const std::string &text) {
  std::string out;
  for (char c : text) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
  return out;
}

// A status and the texts of the outputs, in order.
std::string outcome(int32_t status, std::initializer_list<char *> texts) {
  std::string r = n(status);
  for (char *t : texts) {
    r += '|';
    r += take(t);
  }
  return r;
}

template <int32_t (*Fn)(SurfpodInstance *, int32_t *, int32_t *)>
std::string pair(SurfpodInstance *h) {
  int32_t a = -1, b = -1;
  int32_t r = Fn(h, &a, &b);
  return n(r) + " " + n(a) + " " + n(b);
}

std::string rect(SurfpodInstance *h, const char *path) {
  int32_t l = -1, t = -1, r = -1, b = -1;
  int32_t status = Surfpod_Element_GetRect(h, path, &l, &t, &r, &b);
  return n(status) + " " + n(l) + " " + n(t) + " " + n(r) + " " + n(b);
}

const std::string kRect =
    "mx_rect = {$var}.getBoundingClientRect();xSurfpod_RetVal = mx_rect.left.toString() + ',' + "
    "mx_rect.top.toString() + ',' + mx_rect.right.toString() + ',' + mx_rect.bottom.toString();";
const std::string kCount =
    "if(mx_isnull({$var})){xSurfpod_RetVal=0}else{if(mx_isarr({$var})){xSurfpod_RetVal={$var}.length}else{"
    "xSurfpod_RetVal=1}}";

// An element command as journaled: mode, path, template, values.
std::string element(int mode, const std::string &path, const std::string &tpl, const std::string &v = "",
                    const std::string &v2 = "") {
  return "0x4402 " + n(mode) + " 0 D1=" + path + " D2=" + tpl + " D3=" + v + " D4=" + v2;
}

std::vector<Row> rows(const std::string &dir) {
  const std::string page = dir + "page.htm", shot = dir + "shot.png", body = dir + "body.txt";
  const std::string a = "//a[@id='go']";
  return {
      {"Show", {}, [](auto h) { return n(Surfpod_Show(h)); }, "1", {"0x1401 0 0"}},
      {"Hide", {}, [](auto h) { return n(Surfpod_Hide(h)); }, "1", {"0x1402 0 0"}},
      {"IsHide", {}, [](auto h) { return n(Surfpod_IsHide(h)); }, "1", {"0x1404 0 0"}},
      {"IsHide slow", {"delay\t0x1404\t300", "answer\t0x1404\t5"}, [](auto h) { return n(Surfpod_IsHide(h)); }, "5",
       {"0x1404 0 0"}},
      {"SetWinSize", {}, [](auto h) { return n(Surfpod_SetWinSize(h, 640, 480)); }, "1", {"0x1500 640 480"}},
      {"GetWinSize", {}, pair<Surfpod_GetWinSize>, "1 640 480", {}},
      {"SetWebSize", {}, [](auto h) { return n(Surfpod_SetWebSize(h, 700, 500)); }, "1", {"0x1501 700 500"}},
      {"GetWebSize", {}, pair<Surfpod_GetWebSize>, "1 700 500", {"0x1503 0 0", "0x1504 0 0"}},
      {"GetPageSize", {}, pair<Surfpod_GetPageSize>, "1 1000 3000", {"0x1613 0 0", "0x1614 0 0"}},
      {"SetScroll", {}, [](auto h) { return n(Surfpod_SetScroll(h, 10, 20)); }, "1", {"0x1610 10 20"}},
      {"GetScroll", {}, pair<Surfpod_GetScroll>, "1 10 20", {"0x1611 0 0", "0x1612 0 0"}},
      {"SetTitle", {}, [](auto h) { return n(Surfpod_SetTitle(h, "caf\xE9 pod")); }, "1", {"WM_SETTEXT caf\xE9 pod"}},
      {"GetTitle", {}, [](auto h) { return take(Surfpod_GetTitle(h)); }, "caf\xE9 pod", {}},
      {"SetupProxy", {}, [](auto h) { return n(Surfpod_SetupProxy(h, "127.0.0.1:8080", "<local>")); }, "1",
       {"0x3400 0 0 D1=127.0.0.1:8080 D2=<local>"}},
      {"ClearProxy", {}, [](auto h) { return n(Surfpod_ClearProxy(h)); }, "1", {"0x3401 0 0"}},
      {"ShowDevTool", {}, [](auto h) { return n(Surfpod_ShowDevTool(h)); }, "1", {"WM_SYSCOMMAND 2002 0"}},
      {"SetOpt value", {}, [](auto h) { return n(Surfpod_SetOpt(h, 3, 0x123456789)); }, "1", {"0x3501 3 4886718345"}},
      {"GetOpt value", {}, [](auto h) { return n(Surfpod_GetOpt(h, 3)); }, "4886718345", {"0x3500 3 0"}},
      {"SetOpt text", {}, [](auto h) { return n(Surfpod_SetOpt(h, 9, reinterpret_cast<intptr_t>("agent 9"))); },
       "1", {"0x3501 9 0 D1=agent 9"}},
      {"GetOpt text", {}, [](auto h) { return take(reinterpret_cast<char *>(Surfpod_GetOpt(h, 9))); }, "agent 9",
       {"0x3500 9 0", "read D1"}},
      {"GoURL", {}, [](auto h) { return n(Surfpod_GoURL(h, "http://a.test/x")); }, "1", {"0x1600 0 0 D1=http://a.test/x"}},
      {"GetWebTitle", {}, [](auto h) { return take(Surfpod_GetWebTitle(h)); }, "title of http://a.test/x",
       {"0x1620 0 0", "read D1"}},
      {"GetURL", {}, [](auto h) { return take(Surfpod_GetURL(h)); }, "http://a.test/x", {"0x2520 0 0", "read D1"}},
      {"GoBack", {}, [](auto h) { return n(Surfpod_GoBack(h)); }, "1", {"0x1601 0 0"}},
      {"GetLocationURL", {}, [](auto h) { return take(Surfpod_GetLocationURL(h)); }, "about:blank",
       {"0x2521 0 0", "read D1"}},
      {"GoForward", {}, [](auto h) { return n(Surfpod_GoForward(h)); }, "1", {"0x1602 0 0"}},
      {"GetLocationName", {}, [](auto h) { return take(Surfpod_GetLocationName(h)); }, "title of http://a.test/x",
       {"0x2522 0 0", "read D1"}},
      {"GoHome", {}, [](auto h) { return n(Surfpod_GoHome(h)); }, "1", {"0x1603 0 0"}},
      {"Refresh", {}, [](auto h) { return n(Surfpod_Refresh(h)); }, "1", {"0x1604 0 0"}},
      {"Stop", {}, [](auto h) { return n(Surfpod_Stop(h)); }, "1", {"0x1605 0 0"}},
      {"LoadPage", {"answer\t0x2400\t7"},
       [](auto h) { return n(Surfpod_LoadPage(h, "http://b.test/", "<p>b</p>", 3, -4)); }, "7",
       {"0x2400 3 -4 D2=http://b.test/ D1=<p>b</p>"}},
      {"GetHTML", {}, [](auto h) { return take(Surfpod_GetHTML(h)); }, "<p>b</p>", {"0x2510 0 0", "read D1"}},
      {"WaitPage", {}, [](auto h) { return n(Surfpod_WaitPage(h, "b.test", 5, 6)); }, "1", {"0x2401 5 6 D1=b.test"}},
      {"WaitPage answer", {"answer\t0x2401\t-2"}, [](auto h) { return n(Surfpod_WaitPage(h, nullptr, 0, 0)); }, "-2",
       {"0x2401 0 0 D1="}},
      {"SavePage", {}, [page](auto h) { return n(Surfpod_SavePage(h, page.c_str())); }, "1",
       {"0x2500 0 0 D1=" + esc(page)}},
      {"RunJS", {}, [](auto h) { return take(Surfpod_RunJS(h, "xSurfpod_RetVal=42", 1)); }, "42",
       {"0x2600 1 0 D1=xSurfpod_RetVal=42", "read D2"}},
      {"RunJS empty", {}, [](auto h) { return take(Surfpod_RunJS(h, "void 0", 0)); }, "", {"0x2600 0 0 D1=void 0", "read D2"}},
      {"RunJS_NoRet", {}, [](auto h) { return n(Surfpod_RunJS_NoRet(h, "document.title", 0)); }, "1",
       {"0x2600 0 0 D1=document.title"}},
      {"GetCookies", {}, [](auto h) { return take(Surfpod_GetCookies(h, "http://b.test/")); }, "session=1",
       {"0x2700 0 0 D1=http://b.test/", "read D2"}},
      {"HttpGet", {}, [](auto h) { return take(Surfpod_HttpGet(h, "http://c.test/")); }, "GET http://c.test/",
       {"0x2800 0 0 D1=http://c.test/", "read D4"}},
      {"HttpPost", {}, [](auto h) { return take(Surfpod_HttpPost(h, "http://c.test/", "a=1&b=2")); },
       "POST http://c.test/ a=1&b=2", {"0x2801 0 0 D1=http://c.test/ D2=a=1&b=2", "read D4"}},
      {"HttpGetFile", {}, [body](auto h) { return n(Surfpod_HttpGetFile(h, "http://c.test/", body.c_str())); }, "1",
       {"0x2804 0 0 D1=http://c.test/ D3=" + esc(body)}},
      {"HttpPostFile", {"answer\t0x2805\t200"},
       [body](auto h) { return n(Surfpod_HttpPostFile(h, "http://c.test/", "q", body.c_str())); }, "200",
       {"0x2805 0 0 D1=http://c.test/ D2=q D3=" + esc(body)}},
      // (5 << 16 | -6 & 0xFFFF) and (300 << 16 | 200); (-2 << 16 | 3) is negative and travels sign-extended.
      {"ScreenShot", {}, [shot](auto h) { return n(Surfpod_ScreenShot(h, 5, -6, 300, 200, shot.c_str())); }, "1",
       {"0x3600 393210 19661000 D1=" + esc(shot)}},
      {"ScreenShot negative", {}, [shot](auto h) { return n(Surfpod_ScreenShot(h, -2, 3, 1, 2, shot.c_str())); }, "1",
       {"0x3600 -131069 65538 D1=" + esc(shot)}},
      {"ScreenShotFull", {}, [shot](auto h) { return n(Surfpod_ScreenShotFull(h, shot.c_str())); }, "1",
       {"0x3601 0 0 D1=" + esc(shot)}},
      {"SetFrame", {}, [](auto h) { return n(Surfpod_SetFrame(h, "top", nullptr, nullptr, 2)); }, "1",
       {"0x2900 2 0 D1=top D2= D3="}},
      {"SetFrame all", {}, [](auto h) { return n(Surfpod_SetFrame(h, "a", "b", "c", 0)); }, "1",
       {"0x2900 0 0 D1=a D2=b D3=c"}},
      {"ResetFrame", {}, [](auto h) { return n(Surfpod_ResetFrame(h)); }, "1", {"0x2900 0 0 D1= D2= D3="}},
      {"GenPath",
       {"element\t" + a + "\ttext\tGo on", "element\t" + a + "\tpos\t110,220,30,40"},
       [a](auto h) {
         char *script = nullptr, *variable = nullptr;
         int32_t status = Surfpod_MXPath_GenPath(h, a.c_str(), nullptr, &script, &variable);
         return outcome(status, {script, variable});
       },
       "0|var mx_v1=mx_find('" + a + "');|mx_v1", {"0x4400 0 0 D1=" + a + " D2= D3=", "read D4", "read D3"}},
      {"GenPath missing",
       {},
       [](auto h) {
         char *script = nullptr;
         int32_t status = Surfpod_MXPath_GenPath(h, "//none", "v", &script, nullptr);
         return outcome(status, {script});
       },
       "1|", {"0x4400 0 0 D1=//none D2=v D3=", "read D4"}},
      {"GenPath_UseVar",
       {},
       [a](auto h) {
         char *script = nullptr;
         int32_t status = Surfpod_MXPath_GenPath_UseVar(h, a.c_str(), "v", "third", &script);
         return outcome(status, {script});
       },
       "0|var v=mx_find('" + a + "');", {"0x4400 0 0 D1=" + a + " D2=v D3=third", "read D4"}},
      {"GenEleJS",
       {},
       [a](auto h) {
         char *t1 = nullptr, *t2 = nullptr;
         int32_t status = Surfpod_MXPath_GenEleJS(h, a.c_str(), "{$var}.x='{$val}{$val2}';", "p", "q", 7, 8, &t1, &t2);
         return outcome(status, {t1, t2});
       },
       "0|mx_v1.x='pq';|mx_v1", {"0x4401 7 8 D1=" + a + " D2={$var}.x='{$val}{$val2}'; D3=p D4=q", "read D4", "read D3"}},
      {"Element_RunJS",
       {},
       [a](auto h) {
         char *text = nullptr;
         int32_t status =
             Surfpod_Element_RunJS(h, a.c_str(), "xSurfpod_RetVal={$var}.textContent;", nullptr, nullptr, 1, &text);
         return outcome(status, {text});
       },
       "0|Go on", {element(1, a, "xSurfpod_RetVal={$var}.textContent;"), "read D2"}},
      {"Element_RunJS status",
       {"answer\t0x4402\t3"},
       [a](auto h) {
         char *text = nullptr;
         int32_t status = Surfpod_Element_RunJS(h, a.c_str(), "x", "1", "2", 1, &text);
         return outcome(status, {text});
       },
       "3|", {element(1, a, "x", "1", "2")}},
      {"IsExists", {}, [a](auto h) { return n(Surfpod_Element_IsExists(h, a.c_str())); }, "1",
       {element(1, a, "xSurfpod_RetVal=1"), "read D2"}},
      {"IsExists missing", {}, [](auto h) { return n(Surfpod_Element_IsExists(h, "//none")); }, "0",
       {element(1, "//none", "xSurfpod_RetVal=1")}},
      {"IsExists not 1", {"reply\t0x4402\t1 "}, [a](auto h) { return n(Surfpod_Element_IsExists(h, a.c_str())); }, "0",
       {element(1, a, "xSurfpod_RetVal=1"), "read D2"}},
      {"IsExists true", {"reply\t0x4402\ttrue"}, [a](auto h) { return n(Surfpod_Element_IsExists(h, a.c_str())); },
       "0", {element(1, a, "xSurfpod_RetVal=1"), "read D2"}},
      {"Click", {}, [a](auto h) { return n(Surfpod_Element_Click(h, a.c_str())); }, "0",
       {element(0, a, "{$var}.click();")}},
      {"Click missing", {}, [](auto h) { return n(Surfpod_Element_Click(h, "//none")); }, "1",
       {element(0, "//none", "{$var}.click();")}},
      {"SetValue", {}, [a](auto h) { return n(Surfpod_Element_SetValue(h, a.c_str(), "it's")); }, "0",
       {element(0, a, "{$var}.value='{$val}';", "it's")}},
      {"GetValue", {}, [a](auto h) { return take(Surfpod_Element_GetValue(h, a.c_str())); }, "it's",
       {element(1, a, "xSurfpod_RetVal={$var}.value;"), "read D2"}},
      {"GetValue status 3", {"answer\t0x4402\t3"}, [a](auto h) { return take(Surfpod_Element_GetValue(h, a.c_str())); },
       "", {element(1, a, "xSurfpod_RetVal={$var}.value;")}},
      {"SetOuterHtml", {}, [a](auto h) { return n(Surfpod_Element_SetOuterHtml(h, a.c_str(), "<a>o</a>")); }, "0",
       {element(0, a, "{$var}.outerHTML='{$val}';", "<a>o</a>")}},
      {"GetOuterHtml", {}, [a](auto h) { return take(Surfpod_Element_GetOuterHtml(h, a.c_str())); }, "<a>o</a>",
       {element(1, a, "xSurfpod_RetVal={$var}.outerHTML;"), "read D2"}},
      {"SetInnerHtml", {}, [a](auto h) { return n(Surfpod_Element_SetInnerHtml(h, a.c_str(), "<b>i</b>")); }, "0",
       {element(0, a, "{$var}.innerHTML='{$val}';", "<b>i</b>")}},
      {"GetInnerHtml", {}, [a](auto h) { return take(Surfpod_Element_GetInnerHtml(h, a.c_str())); }, "<b>i</b>",
       {element(1, a, "xSurfpod_RetVal={$var}.innerHTML;"), "read D2"}},
      {"SetText", {}, [a](auto h) { return n(Surfpod_Element_SetText(h, a.c_str(), "Go\r\nthere")); }, "0",
       {element(0, a, "{$var}.textContent='{$val}';", "Go\\r\\nthere")}},
      {"GetText", {}, [a](auto h) { return take(Surfpod_Element_GetText(h, a.c_str())); }, "Go\r\nthere",
       {element(1, a, "xSurfpod_RetVal={$var}.textContent;"), "read D2"}},
      {"GetOuterText", {}, [a](auto h) { return take(Surfpod_Element_GetOuterText(h, a.c_str())); }, "Go\r\nthere",
       {element(1, a, "xSurfpod_RetVal={$var}.outerText;"), "read D2"}},
      {"GetInnerText", {}, [a](auto h) { return take(Surfpod_Element_GetInnerText(h, a.c_str())); }, "Go\r\nthere",
       {element(1, a, "xSurfpod_RetVal={$var}.innerText;"), "read D2"}},
      {"SetCheck 5", {}, [a](auto h) { return n(Surfpod_Element_SetCheck(h, a.c_str(), 5)); }, "0",
       {element(0, a, "{$var}.checked='{$val}';", "true")}},
      {"GetCheck on", {}, [a](auto h) { return n(Surfpod_Element_GetCheck(h, a.c_str())); }, "1",
       {element(1, a, "xSurfpod_RetVal={$var}.checked?1:0;"), "read D2"}},
      {"SetCheck 0", {}, [a](auto h) { return n(Surfpod_Element_SetCheck(h, a.c_str(), 0)); }, "0",
       {element(0, a, "{$var}.checked='{$val}';", "false")}},
      {"GetCheck off", {}, [a](auto h) { return n(Surfpod_Element_GetCheck(h, a.c_str())); }, "0",
       {element(1, a, "xSurfpod_RetVal={$var}.checked?1:0;"), "read D2"}},
      {"GetCheck status", {"answer\t0x4402\t4"}, [a](auto h) { return n(Surfpod_Element_GetCheck(h, a.c_str())); }, "0",
       {element(1, a, "xSurfpod_RetVal={$var}.checked?1:0;")}},
      {"SetSelect 12",
       {"element\t//sel\toptions\to0,o1,o2,o3,o4,o5,o6,o7,o8,o9,o10,o11,o12"},
       [](auto h) { return n(Surfpod_Element_SetSelect(h, "//sel", 12)); }, "0",
       {element(0, "//sel", "{$var}.options[12].selected = true;if({$var}.onchange){{$var}.onchange()};")}},
      {"SetSelect beyond", {}, [](auto h) { return n(Surfpod_Element_SetSelect(h, "//sel", -2147483647 - 1)); }, "3",
       {element(0, "//sel", "{$var}.options[-2147483648].selected = true;if({$var}.onchange){{$var}.onchange()};")}},
      {"SetSelectText", {}, [](auto h) { return n(Surfpod_Element_SetSelectText(h, "//sel", "o2")); }, "0",
       {element(0, "//sel",
                "function mx_sellisttext(a,d){var c=false;for(var b=0;b<a.options.length;b++){if(a.options[b].text==d){"
                "a.focus();a.options[b].selected=true;if(a.onchange){a.onchange()}a.blur();return true;break}}return "
                "false};mx_sellisttext({$var},'{$val}');",
                "o2")}},
      {"SetSelectValue is SetValue", {}, [](auto h) { return n(Surfpod_Element_SetValue(h, "//sel", "o3")); }, "0",
       {element(0, "//sel", "{$var}.value='{$val}';", "o3")}},
      {"SetAttribute", {}, [a](auto h) { return n(Surfpod_Element_SetAttribute(h, a.c_str(), "href", "/x")); }, "0",
       {element(0, a, "{$var}.setAttribute('{$val}','{$val2}');", "href", "/x")}},
      {"GetAttribute", {}, [a](auto h) { return take(Surfpod_Element_GetAttribute(h, a.c_str(), "href")); }, "/x",
       {element(1, a, "xSurfpod_RetVal={$var}.getAttribute('{$val}');", "href"), "read D2"}},
      {"GetRect", {}, [a](auto h) { return rect(h, a.c_str()); }, "0 100 200 130 240",
       {element(1, a, kRect), "read D2"}},
      {"GetRect fraction", {"element\t//r\trect\t1.5,-2.7,3,4"}, [](auto h) { return rect(h, "//r"); }, "0 1 -2 3 4",
       {element(1, "//r", kRect), "read D2"}},
      {"GetRect five", {"element\t//r5\trect\t1,2,3,4,5"}, [](auto h) { return rect(h, "//r5"); }, "0 -1 -1 -1 -1",
       {element(1, "//r5", kRect), "read D2"}},
      {"GetRect status", {"answer\t0x4402\t9"}, [a](auto h) { return rect(h, a.c_str()); }, "9 -1 -1 -1 -1",
       {element(1, a, kRect)}},
      {"GetCount",
       {"element\t//li\tadd", "element\t//li\tadd", "element\t//li\tadd"},
       [](auto h) { return n(Surfpod_Element_GetCount(h, "//li")); }, "3",
       {"0x4400 0 0 D1=//li D2= D3=", "read D4", "read D3", "0x2600 1 0 D1=var mx_v2=mx_find('//li');",
        "0x2600 0 0 D1=" + std::string("if(mx_isnull(mx_v2)){xSurfpod_RetVal=0}else{if(mx_isarr(mx_v2)){xSurfpod_RetVal="
                                       "mx_v2.length}else{xSurfpod_RetVal=1}}"),
        "read D2"}},
      {"GetCount missing", {}, [](auto h) { return n(Surfpod_Element_GetCount(h, "//none")); }, "0",
       {"0x4400 0 0 D1=//none D2= D3=", "read D4", "read D3"}},
      {"Remove", {}, [](auto h) { return n(Surfpod_Element_Remove(h, "//sel")); }, "0",
       {element(0, "//sel", "{$var}.parentNode.removeChild({$var});")}},
      {"Removed is gone", {}, [](auto h) { return n(Surfpod_Element_IsExists(h, "//sel")); }, "0",
       {element(1, "//sel", "xSurfpod_RetVal=1")}},
  };
}

class SurfpodChannel : public SurfpodTest {};

TEST_F(SurfpodChannel, EveryOperationSendsItsMessageAndDataWindows) {
  SurfpodInstance *h = start();
  ASSERT_NE(h, nullptr);
  for (const Row &row : rows(folder_.dir())) {
    for (const std::string &line : row.setup) control(h, line);
    folder_.take_journal();
    size_t live = counter().live();
    EXPECT_EQ(row.call(h), row.result) << row.name;
    EXPECT_EQ(counter().live(), live) << row.name << ": every result released";
    EXPECT_EQ(folder_.take_commands(), row.journal) << row.name;
    control(h, "clear");
  }
}

}  // namespace
}  // namespace tarvo::test
