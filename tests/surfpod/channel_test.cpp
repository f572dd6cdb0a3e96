// Every operation against the stand-in browser: what travelled on the channel
// (message, wParam, lParam, the data windows written in order, the windows
// read), the result, and the failure value for invalid handles. The rows run
// in order on one browser; a row's setup lines script the stand-in first.
// Then the show and screenshot loops, on pages where they converge or cannot.
#include "standin.hpp"

#include <gtest/gtest.h>

#include <functional>

namespace tarvo::test {
namespace {

std::string show(int64_t v) { return std::to_string(v); }
std::string show(char *text) { return take(text); }
std::string show(const std::string &s) { return s; }
std::string nums(std::initializer_list<int64_t> values) {
  std::string r;
  for (int64_t v : values) r += (r.empty() ? "" : " ") + show(v);
  return r;
}
std::string pair(int32_t (*fn)(SurfpodInstance *, int32_t *, int32_t *), SurfpodInstance *h) {
  int32_t a = -1, b = -1;
  return nums({fn(h, &a, &b), a, b});  // a braced list is evaluated in order
}
std::string rect(SurfpodInstance *h, const char *path) {
  int32_t v[4] = {-1, -1, -1, -1};
  return nums({Surfpod_Element_GetRect(h, path, v, v + 1, v + 2, v + 3), v[0], v[1], v[2], v[3]});
}
// A text as the journal writes it.
std::string esc(const std::string &text) {
  std::string out;
  for (char c : text) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
  return out;
}

#define CALL(expr) [=](SurfpodInstance *h) { return show(expr); }
// A call with text outputs o[0] and o[1]: its status and both outputs.
#define OUTS(expr) \
  [=](SurfpodInstance *h) { char *o[2] = {}; int64_t r = expr; return show(r) + "|" + take(o[0]) + "|" + take(o[1]); }

struct Fail {
  const char *refused;  // a null handle, a released slot, an address that is no slot
  const char *gone;     // a browser whose window has gone
};
constexpr Fail kNumber{"0", "0"}, kStatus{"-65536", "-65536"}, kText{"(null)", "(empty)"},
    kElementText{"(empty)", "(empty)"}, kPair{"0 -1 -1", "0 -1 -1"}, kRect{"-65536 -1 -1 -1 -1", "-65536 -1 -1 -1 -1"},
    kOuts{"-65536|(null)|(null)", "-65536|(null)|(null)"};

struct Row {
  const char *name;
  std::function<std::string(SurfpodInstance *)> call;
  std::string result;
  Lines journal;
  Fail fail;
  Lines setup = {};
};

const std::string kRectScript =
    "mx_rect = {$var}.getBoundingClientRect();xSurfpod_RetVal = mx_rect.left.toString() + ',' + "
    "mx_rect.top.toString() + ',' + mx_rect.right.toString() + ',' + mx_rect.bottom.toString();";

// An element command as journaled (mode, path, template, values), and the read of its answer.
Lines put(const std::string &path, const std::string &tpl, const std::string &v = "", const std::string &v2 = "",
          int mode = 0) {
  return {"0x4402 " + show(mode) + " 0 D1=" + path + " D2=" + tpl + " D3=" + v + " D4=" + v2};
}
Lines unread(const std::string &path, const std::string &tpl) { return put(path, tpl, "", "", 1); }
Lines get(const std::string &path, const std::string &tpl, const std::string &v = "") {
  return {put(path, tpl, v, "", 1)[0], "read D2"};
}
std::string ret(const std::string &property) { return "xSurfpod_RetVal={$var}." + property + ";"; }
std::string set(const std::string &property) { return "{$var}." + property + "='{$val}';"; }
std::string select_at(const std::string &i) {
  return "{$var}.options[" + i + "].selected = true;if({$var}.onchange){{$var}.onchange()};";
}

std::vector<Row> rows(const std::string &dir) {
  const std::string page = esc(dir) + "page.htm", shot = esc(dir) + "shot.png", a = "//go";
  const char *p = a.c_str();
  return {
      {"Show", CALL(Surfpod_Show(h)), "1", {"0x1401 0 0"}, kNumber},
      {"Hide", CALL(Surfpod_Hide(h)), "1", {"0x1402 0 0"}, kNumber},
      {"IsHide", CALL(Surfpod_IsHide(h)), "1", {"0x1404 0 0"}, kNumber},
      {"IsHide slow", CALL(Surfpod_IsHide(h)), "5", {"0x1404 0 0"}, kNumber, {"delay\t0x1404\t300", "answer\t0x1404\t5"}},
      {"SetWinSize", CALL(Surfpod_SetWinSize(h, 640, 480)), "1", {"0x1500 640 480"}, kNumber},
      {"GetWinSize", CALL(pair(Surfpod_GetWinSize, h)), "1 640 480", {}, kPair},
      {"SetWebSize", CALL(Surfpod_SetWebSize(h, 700, 500)), "1", {"0x1501 700 500"}, kNumber},
      {"GetWebSize", CALL(pair(Surfpod_GetWebSize, h)), "1 700 500", {"0x1503 0 0", "0x1504 0 0"}, kPair},
      {"GetPageSize", CALL(pair(Surfpod_GetPageSize, h)), "1 1000 3000", {"0x1613 0 0", "0x1614 0 0"}, kPair},
      {"SetScroll", CALL(Surfpod_SetScroll(h, 10, 20)), "1", {"0x1610 10 20"}, kNumber},
      {"GetScroll", CALL(pair(Surfpod_GetScroll, h)), "1 10 20", {"0x1611 0 0", "0x1612 0 0"}, kPair},
      {"SetTitle", CALL(Surfpod_SetTitle(h, "caf\xE9 pod")), "1", {"WM_SETTEXT caf\xE9 pod"}, kNumber},
      {"GetTitle", CALL(Surfpod_GetTitle(h)), "caf\xE9 pod", {}, kText},
      {"SetupProxy", CALL(Surfpod_SetupProxy(h, "1.2.3.4:80", "<local>")), "1", {"0x3400 0 0 D1=1.2.3.4:80 D2=<local>"},
       kNumber},
      {"ClearProxy", CALL(Surfpod_ClearProxy(h)), "1", {"0x3401 0 0"}, kNumber},
      {"ShowDevTool", CALL(Surfpod_ShowDevTool(h)), "1", {"WM_SYSCOMMAND 2002 0"}, kNumber},
      {"SetOpt value", CALL(Surfpod_SetOpt(h, 3, 0x123456789)), "1", {"0x3501 3 4886718345"}, kNumber},
      {"GetOpt value", CALL(Surfpod_GetOpt(h, 3)), "4886718345", {"0x3500 3 0"}, kNumber},
      {"SetOpt text", CALL(Surfpod_SetOpt(h, 9, intptr_t("agent 9"))), "1", {"0x3501 9 0 D1=agent 9"}, kNumber},
      {"GetOpt text", CALL((char *)Surfpod_GetOpt(h, 9)), "agent 9", {"0x3500 9 0", "read D1"}, kText},
      {"GoURL", CALL(Surfpod_GoURL(h, "http://a/x")), "1", {"0x1600 0 0 D1=http://a/x"}, kNumber},
      {"GetWebTitle", CALL(Surfpod_GetWebTitle(h)), "title of http://a/x", {"0x1620 0 0", "read D1"}, kText},
      {"GetURL", CALL(Surfpod_GetURL(h)), "http://a/x", {"0x2520 0 0", "read D1"}, kText},
      {"GoBack", CALL(Surfpod_GoBack(h)), "1", {"0x1601 0 0"}, kNumber},
      {"GetLocationURL", CALL(Surfpod_GetLocationURL(h)), "about:blank", {"0x2521 0 0", "read D1"}, kText},
      {"GoForward", CALL(Surfpod_GoForward(h)), "1", {"0x1602 0 0"}, kNumber},
      {"GetLocationName", CALL(Surfpod_GetLocationName(h)), "title of http://a/x", {"0x2522 0 0", "read D1"}, kText},
      {"GoHome", CALL(Surfpod_GoHome(h)), "1", {"0x1603 0 0"}, kNumber},
      {"Refresh", CALL(Surfpod_Refresh(h)), "1", {"0x1604 0 0"}, kNumber},
      {"Stop", CALL(Surfpod_Stop(h)), "1", {"0x1605 0 0"}, kNumber},
      {"LoadPage", CALL(Surfpod_LoadPage(h, "http://b/", "<p>b</p>", 3, -4)), "7",
       {"0x2400 3 -4 D2=http://b/ D1=<p>b</p>"}, kNumber, {"answer\t0x2400\t7"}},
      {"GetHTML", CALL(Surfpod_GetHTML(h)), "<p>b</p>", {"0x2510 0 0", "read D1"}, kText},
      {"WaitPage", CALL(Surfpod_WaitPage(h, "b/", 5, 6)), "1", {"0x2401 5 6 D1=b/"}, kNumber},
      {"WaitPage null", CALL(Surfpod_WaitPage(h, nullptr, 0, 0)), "-2", {"0x2401 0 0 D1="}, kNumber, {"answer\t0x2401\t-2"}},
      {"SavePage", CALL(Surfpod_SavePage(h, (dir + "page.htm").c_str())), "1", {"0x2500 0 0 D1=" + page}, kNumber},
      {"RunJS", CALL(Surfpod_RunJS(h, "xSurfpod_RetVal=42", 1)), "42", {"0x2600 1 0 D1=xSurfpod_RetVal=42", "read D2"}, kText},
      {"RunJS_NoRet", CALL(Surfpod_RunJS_NoRet(h, "document.title", 0)), "1", {"0x2600 0 0 D1=document.title"}, kNumber},
      {"GetCookies", CALL(Surfpod_GetCookies(h, "http://b/")), "session=1", {"0x2700 0 0 D1=http://b/", "read D2"}, kText},
      {"HttpGet", CALL(Surfpod_HttpGet(h, "http://c/")), "GET http://c/", {"0x2800 0 0 D1=http://c/", "read D4"}, kText},
      {"HttpPost", CALL(Surfpod_HttpPost(h, "http://c/", "a=1&b=2")), "POST http://c/ a=1&b=2",
       {"0x2801 0 0 D1=http://c/ D2=a=1&b=2", "read D4"}, kText},
      {"HttpGetFile", CALL(Surfpod_HttpGetFile(h, "http://c/", "b.txt")), "1", {"0x2804 0 0 D1=http://c/ D3=b.txt"},
       kNumber},
      {"HttpPostFile", CALL(Surfpod_HttpPostFile(h, "http://c/", "q", "b.txt")), "200",
       {"0x2805 0 0 D1=http://c/ D2=q D3=b.txt"}, kNumber, {"answer\t0x2805\t200"}},
      // (5 << 16 | -6 & 0xFFFF) and (300 << 16 | 200); (-2 << 16 | 3) is negative and travels sign-extended.
      {"ScreenShot", CALL(Surfpod_ScreenShot(h, 5, -6, 300, 200, (dir + "shot.png").c_str())), "1",
       {"0x3600 393210 19661000 D1=" + shot}, kNumber},
      {"ScreenShot negative", CALL(Surfpod_ScreenShot(h, -2, 3, 1, 2, "s.png")), "1", {"0x3600 -131069 65538 D1=s.png"},
       kNumber},
      {"ScreenShotFull", CALL(Surfpod_ScreenShotFull(h, "s.png")), "1", {"0x3601 0 0 D1=s.png"}, kNumber},
      {"SetFrame", CALL(Surfpod_SetFrame(h, "top", nullptr, nullptr, 2)), "1", {"0x2900 2 0 D1=top D2= D3="}, kNumber},
      {"SetFrame all", CALL(Surfpod_SetFrame(h, "a", "b", "c", 0)), "1", {"0x2900 0 0 D1=a D2=b D3=c"}, kNumber},
      {"ResetFrame", CALL(Surfpod_ResetFrame(h)), "1", {"0x2900 0 0 D1= D2= D3="}, kNumber},
      {"GenPath", OUTS(Surfpod_MXPath_GenPath(h, p, nullptr, &o[0], &o[1])), "0|var mx_v1=mx_find('//go');|mx_v1",
       {"0x4400 0 0 D1=//go D2= D3=", "read D4", "read D3"}, kOuts,
       {"element\t//go\ttext\tGo on", "element\t//go\tpos\t110,220,30,40"}},
      {"GenPath missing", OUTS(Surfpod_MXPath_GenPath(h, "//no", "v", &o[0], nullptr)), "1|(empty)|(null)",
       {"0x4400 0 0 D1=//no D2=v D3=", "read D4"}, kOuts},
      {"GenPath_UseVar", OUTS(Surfpod_MXPath_GenPath_UseVar(h, p, "v", "t", &o[0])), "0|var v=mx_find('//go');|(null)",
       {"0x4400 0 0 D1=//go D2=v D3=t", "read D4"}, kOuts},
      {"GenEleJS", OUTS(Surfpod_MXPath_GenEleJS(h, p, "{$var}.x='{$val}{$val2}';", "p", "q", 7, 8, &o[0], &o[1])),
       "0|mx_v1.x='pq';|mx_v1", {"0x4401 7 8 D1=//go D2={$var}.x='{$val}{$val2}'; D3=p D4=q", "read D4", "read D3"}, kOuts},
      {"Element_RunJS", OUTS(Surfpod_Element_RunJS(h, p, ret("textContent").c_str(), nullptr, nullptr, 1, &o[0])),
       "0|Go on|(null)", get(a, ret("textContent")), kOuts},
      {"Element_RunJS status", OUTS(Surfpod_Element_RunJS(h, p, "x", "1", "2", 1, &o[0])), "3|(empty)|(null)",
       put(a, "x", "1", "2", 1), kOuts, {"answer\t0x4402\t3"}},
      {"IsExists", CALL(Surfpod_Element_IsExists(h, p)), "1", get(a, "xSurfpod_RetVal=1"), kNumber},
      {"IsExists missing", CALL(Surfpod_Element_IsExists(h, "//no")), "0", unread("//no", "xSurfpod_RetVal=1"), kNumber},
      {"IsExists not 1", CALL(Surfpod_Element_IsExists(h, p)), "0", get(a, "xSurfpod_RetVal=1"), kNumber, {"reply\t0x4402\t1 "}},
      {"IsExists true", CALL(Surfpod_Element_IsExists(h, p)), "0", get(a, "xSurfpod_RetVal=1"), kNumber, {"reply\t0x4402\ttrue"}},
      {"Click", CALL(Surfpod_Element_Click(h, p)), "0", put(a, "{$var}.click();"), kStatus},
      {"SetValue", CALL(Surfpod_Element_SetValue(h, p, "it's")), "0", put(a, set("value"), "it's"), kStatus},
      {"GetValue", CALL(Surfpod_Element_GetValue(h, p)), "it's", get(a, ret("value")), kElementText},
      {"SetOuterHtml", CALL(Surfpod_Element_SetOuterHtml(h, p, "<a>o</a>")), "0", put(a, set("outerHTML"), "<a>o</a>"), kStatus},
      {"GetOuterHtml", CALL(Surfpod_Element_GetOuterHtml(h, p)), "<a>o</a>", get(a, ret("outerHTML")), kElementText},
      {"SetInnerHtml", CALL(Surfpod_Element_SetInnerHtml(h, p, "<b>i</b>")), "0", put(a, set("innerHTML"), "<b>i</b>"), kStatus},
      {"GetInnerHtml", CALL(Surfpod_Element_GetInnerHtml(h, p)), "<b>i</b>", get(a, ret("innerHTML")), kElementText},
      {"SetText", CALL(Surfpod_Element_SetText(h, p, "Go\r\non")), "0", put(a, set("textContent"), "Go\\r\\non"), kStatus},
      {"GetText", CALL(Surfpod_Element_GetText(h, p)), "Go\r\non", get(a, ret("textContent")), kElementText},
      {"GetOuterText", CALL(Surfpod_Element_GetOuterText(h, p)), "Go\r\non", get(a, ret("outerText")), kElementText},
      {"GetInnerText", CALL(Surfpod_Element_GetInnerText(h, p)), "Go\r\non", get(a, ret("innerText")), kElementText},
      {"SetCheck 5", CALL(Surfpod_Element_SetCheck(h, p, 5)), "0", put(a, set("checked"), "true"), kStatus},
      {"GetCheck", CALL(Surfpod_Element_GetCheck(h, p)), "1", get(a, ret("checked?1:0")), kNumber},
      {"SetCheck 0", CALL(Surfpod_Element_SetCheck(h, p, 0)), "0", put(a, set("checked"), "false"), kStatus},
      {"SetSelect 12", CALL(Surfpod_Element_SetSelect(h, "//s", 12)), "0", put("//s", select_at("12")), kStatus,
       {"element\t//s\toptions\to0,o1,o2,o3,o4,o5,o6,o7,o8,o9,o10,o11,o12"}},
      {"SetSelect beyond", CALL(Surfpod_Element_SetSelect(h, "//s", INT32_MIN)), "3", put("//s", select_at("-2147483648")),
       kStatus},
      {"SetSelectText", CALL(Surfpod_Element_SetSelectText(h, "//s", "o2")), "0",
       put("//s",
           "function mx_sellisttext(a,d){var c=false;for(var b=0;b<a.options.length;b++){if(a.options[b].text==d){"
           "a.focus();a.options[b].selected=true;if(a.onchange){a.onchange()}a.blur();return true;break}}return "
           "false};mx_sellisttext({$var},'{$val}');",
           "o2"),
       kStatus},
      {"SetAttribute", CALL(Surfpod_Element_SetAttribute(h, p, "href", "/x")), "0",
       put(a, "{$var}.setAttribute('{$val}','{$val2}');", "href", "/x"), kStatus},
      {"GetAttribute", CALL(Surfpod_Element_GetAttribute(h, p, "href")), "/x", get(a, ret("getAttribute('{$val}')"), "href"),
       kElementText},
      {"GetRect", CALL(rect(h, p)), "0 100 200 130 240", get(a, kRectScript), kRect},
      {"GetRect fraction", CALL(rect(h, "//r")), "0 1 -2 3 4", get("//r", kRectScript), kRect, {"element\t//r\trect\t1.5,-2.7,3,4"}},
      {"GetRect five", CALL(rect(h, "//r5")), "0 -1 -1 -1 -1", get("//r5", kRectScript), kRect, {"element\t//r5\trect\t1,2,3,4,5"}},
      {"GetRect status", CALL(rect(h, p)), "9 -1 -1 -1 -1", unread(a, kRectScript), kRect, {"answer\t0x4402\t9"}},
      {"GetCount", CALL(Surfpod_Element_GetCount(h, "//li")), "3",
       {"0x4400 0 0 D1=//li D2= D3=", "read D4", "read D3", "0x2600 1 0 D1=var mx_v2=mx_find('//li');",
        "0x2600 0 0 D1=if(mx_isnull(mx_v2)){xSurfpod_RetVal=0}else{if(mx_isarr(mx_v2)){xSurfpod_RetVal=mx_v2.length}"
        "else{xSurfpod_RetVal=1}}",
        "read D2"},
       kNumber, {"element\t//li\tadd", "element\t//li\tadd", "element\t//li\tadd"}},
      {"GetCount missing", CALL(Surfpod_Element_GetCount(h, "//no")), "0", {"0x4400 0 0 D1=//no D2= D3=", "read D4", "read D3"},
       kNumber},
      {"Remove", CALL(Surfpod_Element_Remove(h, "//s")), "0", put("//s", "{$var}.parentNode.removeChild({$var});"), kStatus},
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
    EXPECT_EQ(folder_.take_journal(true), row.journal) << row.name;
    control(h, "clear");
  }
}

// What the table has not: the operations that need no browser's answer, and those that empty the slot.
void expect_refused(SurfpodInstance *h, int32_t letting_go) {
  EXPECT_EQ(Surfpod_IsRunning(h), 0);
  EXPECT_EQ(Surfpod_Element_Show(h, "p"), 0);
  EXPECT_EQ(Surfpod_Element_ScreenShot(h, "p", "f"), 0);
  for (auto let_go : {Surfpod_Close, Surfpod_ForceClose, Surfpod_Release}) {
    if (letting_go && !h->hWndMain) h->hWndMain = reinterpret_cast<void *>(0x7FFF0001);  // gone again
    EXPECT_EQ(let_go(h), letting_go);
    EXPECT_TRUE(!letting_go || !h->hWndMain) << "the slot is emptied";
  }
}

TEST_F(SurfpodChannel, InvalidHandlesGetTheFailureValueOfEveryOperation) {
  SurfpodInstance *released = start();
  ASSERT_NE(released, nullptr);
  ASSERT_EQ(Surfpod_Release(released), 1);
  auto *outside = reinterpret_cast<SurfpodInstance *>(reinterpret_cast<char *>(released) + 8);
  const std::vector<Row> table = rows(folder_.dir());
  for (SurfpodInstance *h : {static_cast<SurfpodInstance *>(nullptr), released, outside}) {
    for (const Row &row : table) EXPECT_EQ(row.call(h), row.fail.refused) << row.name;
    expect_refused(h, 0);
  }
  // The released browser still runs: bound again, then its window goes.
  SurfpodInstance *gone = Surfpod_Bind(browser_windows(*folder_.started().begin()).at(0));
  ASSERT_NE(gone, nullptr);
  DWORD pid = gone->dwProcessId;
  control(gone, "quit");
  ASSERT_TRUE(process_ends(pid));
  for (const Row &row : table) EXPECT_EQ(row.call(gone), row.fail.gone) << row.name;
  // A browser that has gone is let go all the same.
  expect_refused(gone, 1);
}

const std::string kRectRead = unread("//e", kRectScript)[0];

struct Case {
  const char *name;
  Lines setup;
  bool screenshot;
  int result;
  Lines expected;  // the commands, rectangle reads excepted
  int rect_reads;
};

const Case kCases[] = {
    {"in view: no scroll", {"element\t//e\tpos\t10,20,30,40"}, false, 1, {}, 1},
    {"above the view: scrolled to", {"element\t//e\tpos\t100,2000,30,40", "page\tscroll\t0,2500"}, false, 1,
     {"0x1611 0 0", "0x1612 0 0", "0x1610 100 2000"}, 2},
    {"left of the page: the scroll cannot move it", {"element\t//e\tpos\t-50,-80,30,40"}, false, 0,
     {"0x1611 0 0", "0x1612 0 0", "0x1610 -50 -80"}, 2},
    {"status: no scroll", {"element\t//e\tpos\t10,20,30,40", "answer\t0x4402\t5"}, false, 0, {}, 1},
    {"capture enlarging the view", {"element\t//e\tpos\t10,20,900,700"}, true, 1,
     {"0x1503 0 0", "0x1504 0 0", "0x1502 910 720", "0x1503 0 0", "0x1504 0 0", "0x3600 655380 58983100 D1=s.png",
      "WM_SIZE 0 0"},
     4},
    {"capture when the view will not grow enough", {"element\t//e\tpos\t10,20,900,700", "page\tweblimit\t850,650"},
     true, 0,
     {"0x1503 0 0", "0x1504 0 0", "0x1502 910 720", "0x1503 0 0", "0x1504 0 0", "0x1502 910 720", "0x1503 0 0",
      "0x1504 0 0", "WM_SIZE 0 0"},
     4},
    {"capture after scrolling, scrolled back", {"element\t//e\tpos\t10,100,50,50", "page\tscroll\t0,500"}, true, 1,
     {"0x1611 0 0", "0x1612 0 0", "0x1610 10 100", "0x1503 0 0", "0x1504 0 0", "0x3600 0 3276850 D1=s.png",
      "0x1610 0 500"},
     4},
};

int count(const Lines &lines, const std::string &prefix) {
  return int(std::count_if(lines.begin(), lines.end(), [&](const std::string &l) { return l.rfind(prefix, 0) == 0; }));
}

TEST_F(SurfpodChannel, ShowAndScreenShotConvergeOrEnd) {
  SurfpodInstance *h = start();
  ASSERT_NE(h, nullptr);
  for (const Case &c : kCases) {
    for (const char *line : {"page\tscroll\t0,0", "page\twebsize\t800,600", "page\tweblimit\t4000,4000"})
      control(h, line);
    for (const std::string &line : c.setup) control(h, line);
    folder_.take_journal();
    EXPECT_EQ(c.screenshot ? Surfpod_Element_ScreenShot(h, "//e", "s.png") : Surfpod_Element_Show(h, "//e"), c.result)
        << c.name;
    Lines lines = folder_.take_journal(true), commands;
    for (const std::string &l : lines)
      if (l != kRectRead && l != "read D2") commands.push_back(l);
    EXPECT_EQ(commands, c.expected) << c.name;
    EXPECT_EQ(count(lines, kRectRead), c.rect_reads) << c.name;
    control(h, "clear");
  }
  // Rectangles that keep moving: the loop ends after its bound.
  for (int i = 1; i <= SURFPOD_LOOP_PASSES + 10; ++i)
    control(h, "element\t//e\trect\t" + std::to_string(-i) + ",-1,5,5");
  folder_.take_journal();
  EXPECT_EQ(Surfpod_Element_Show(h, "//e"), 0);
  Lines lines = folder_.take_journal(true);
  EXPECT_EQ(count(lines, kRectRead), SURFPOD_LOOP_PASSES);
  EXPECT_EQ(count(lines, "0x1610 "), SURFPOD_LOOP_PASSES);
  EXPECT_EQ(count(lines, "0x1611 "), 1) << "the position is read once";
}

}  // namespace
}  // namespace tarvo::test
