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

// A row named by its call; OUTS calls have text outputs o[0] and o[1]: their status and both outputs.
// A row named by its call; OUTS calls have text outputs o[0] and o[1]: their status and both outputs.
#define R(expr, ...) {#expr, [=](SurfpodInstance *h) { return show(expr); }, __VA_ARGS__}
#define OUTS(expr, ...)                                                            \
  {#expr, [=](SurfpodInstance *h) {                                                \
     char *o[2] = {};                                                              \
     int64_t r = expr;                                                             \
     return show(r) + "|" + take(o[0]) + "|" + take(o[1]);                         \
   }, __VA_ARGS__}

struct Fail {
  const char *refused;  // a null handle, a released slot, an address that is no slot
  const char *gone;     // a browser whose window has gone
};
constexpr Fail kNumber{"0", "0"}, kStatus{"-65536", "-65536"}, kText{"(null)", "(empty)"},
    kElementText{"(empty)", "(empty)"}, kPair{"0 -1 -1", "0 -1 -1"}, kRect{"-65536 -1 -1 -1 -1", "-65536 -1 -1 -1 -1"},
    kOuts{"-65536|(null)|(null)", "-65536|(null)|(null)"};

// The journal's and the setup's lines are joined by "|".
struct Row {
  const char *name;
  std::function<std::string(SurfpodInstance *)> call;
  std::string result, journal;
  Fail fail;
  std::string setup = "";
};

const std::string kRectScript =
    "mx_rect = {$var}.getBoundingClientRect();xSurfpod_RetVal = mx_rect.left.toString() + ',' + "
    "mx_rect.top.toString() + ',' + mx_rect.right.toString() + ',' + mx_rect.bottom.toString();";

// An element command as journaled (mode, path, template, values), and the read of its answer.
std::string put(const std::string &path, const std::string &tpl, const std::string &v = "", const std::string &v2 = "",
                int mode = 0) {
  return "0x4402 " + show(mode) + " 0 D1=" + path + " D2=" + tpl + " D3=" + v + " D4=" + v2;
}
std::string unread(const std::string &path, const std::string &tpl) { return put(path, tpl, "", "", 1); }
std::string get(const std::string &path, const std::string &tpl, const std::string &v = "") {
  return put(path, tpl, v, "", 1) + "|read D2";
}
std::string ret(const std::string &property) { return "xSurfpod_RetVal={$var}." + property + ";"; }
std::string set(const std::string &property) { return "{$var}." + property + "='{$val}';"; }
std::string select_at(const std::string &i) {
  return "{$var}.options[" + i + "].selected = true;if({$var}.onchange){{$var}.onchange()};";
}
// A command without arguments answering 1; one answering a text in D1; an element's property read and written.
#define PLAIN(fn, msg) R(Surfpod_##fn(h), "1", msg " 0 0", kNumber)
#define READ(fn, msg, value) R(Surfpod_##fn(h), value, msg " 0 0|read D1", kText)
#define GETTER(fn, property, value) R(Surfpod_Element_Get##fn(h, p), value, get(a, ret(property)), kElementText)
#define SETTER(fn, property, value, sent) \
  R(Surfpod_Element_Set##fn(h, p, value), "0", put(a, set(property), sent), kStatus)

std::vector<Row> rows(const std::string &dir) {
  const std::string page = esc(dir) + "page.htm", a = "//go";
  const char *p = a.c_str();
  return {
      PLAIN(Show, "0x1401"), PLAIN(Hide, "0x1402"), PLAIN(IsHide, "0x1404"),
      R(Surfpod_IsHide(h), "5", "0x1404 0 0", kNumber, "delay\t0x1404\t300|answer\t0x1404\t5"),
      R(Surfpod_SetWinSize(h, 640, 480), "1", "0x1500 640 480", kNumber),
      R(pair(Surfpod_GetWinSize, h), "1 640 480", "", kPair),
      R(Surfpod_SetWebSize(h, 700, 500), "1", "0x1501 700 500", kNumber),
      R(pair(Surfpod_GetWebSize, h), "1 700 500", "0x1503 0 0|0x1504 0 0", kPair),
      R(pair(Surfpod_GetPageSize, h), "1 1000 3000", "0x1613 0 0|0x1614 0 0", kPair),
      R(Surfpod_SetScroll(h, 10, 20), "1", "0x1610 10 20", kNumber),
      R(pair(Surfpod_GetScroll, h), "1 10 20", "0x1611 0 0|0x1612 0 0", kPair),
      R(Surfpod_SetTitle(h, "caf\xE9 pod"), "1", "WM_SETTEXT caf\xE9 pod", kNumber),
      R(Surfpod_GetTitle(h), "caf\xE9 pod", "", kText),
      R(Surfpod_SetupProxy(h, "1.2.3.4:80", "<local>"), "1", "0x3400 0 0 D1=1.2.3.4:80 D2=<local>", kNumber),
      PLAIN(ClearProxy, "0x3401"), R(Surfpod_ShowDevTool(h), "1", "WM_SYSCOMMAND 2002 0", kNumber),
      R(Surfpod_SetOpt(h, 3, 0x123456789), "1", "0x3501 3 4886718345", kNumber),
      R(Surfpod_GetOpt(h, 3), "4886718345", "0x3500 3 0", kNumber),
      R(Surfpod_SetOpt(h, 9, intptr_t("agent 9")), "1", "0x3501 9 0 D1=agent 9", kNumber),
      R((char *)Surfpod_GetOpt(h, 9), "agent 9", "0x3500 9 0|read D1", kText),
      R(Surfpod_GoURL(h, "http://a/x"), "1", "0x1600 0 0 D1=http://a/x", kNumber),
      READ(GetWebTitle, "0x1620", "title of http://a/x"), READ(GetURL, "0x2520", "http://a/x"), PLAIN(GoBack, "0x1601"),
      READ(GetLocationURL, "0x2521", "about:blank"), PLAIN(GoForward, "0x1602"),
      READ(GetLocationName, "0x2522", "title of http://a/x"), PLAIN(GoHome, "0x1603"), PLAIN(Refresh, "0x1604"),
      PLAIN(Stop, "0x1605"),
      R(Surfpod_LoadPage(h, "http://b/", "<p>b</p>", 3, -4), "7", "0x2400 3 -4 D2=http://b/ D1=<p>b</p>", kNumber,
        "answer\t0x2400\t7"),
      READ(GetHTML, "0x2510", "<p>b</p>"), R(Surfpod_WaitPage(h, "b/", 5, 6), "1", "0x2401 5 6 D1=b/", kNumber),
      R(Surfpod_WaitPage(h, nullptr, 0, 0), "-2", "0x2401 0 0 D1=", kNumber, "answer\t0x2401\t-2"),
      R(Surfpod_SavePage(h, (dir + "page.htm").c_str()), "1", "0x2500 0 0 D1=" + page, kNumber),
      R(Surfpod_RunJS(h, "xSurfpod_RetVal=42", 1), "42", "0x2600 1 0 D1=xSurfpod_RetVal=42|read D2", kText),
      R(Surfpod_RunJS_NoRet(h, "document.title", 0), "1", "0x2600 0 0 D1=document.title", kNumber),
      R(Surfpod_GetCookies(h, "http://b/"), "session=1", "0x2700 0 0 D1=http://b/|read D2", kText),
      R(Surfpod_HttpGet(h, "http://c/"), "GET http://c/", "0x2800 0 0 D1=http://c/|read D4", kText),
      R(Surfpod_HttpPost(h, "http://c/", "a=1&b=2"), "POST http://c/ a=1&b=2",
        "0x2801 0 0 D1=http://c/ D2=a=1&b=2|read D4", kText),
      R(Surfpod_HttpGetFile(h, "http://c/", "b.txt"), "1", "0x2804 0 0 D1=http://c/ D3=b.txt", kNumber),
      R(Surfpod_HttpPostFile(h, "http://c/", "q", "b.txt"), "200", "0x2805 0 0 D1=http://c/ D2=q D3=b.txt", kNumber,
        "answer\t0x2805\t200"),
      // (-2 << 16 | 3) is negative and travels sign-extended (the script table has a positive corner).
      R(Surfpod_ScreenShot(h, -2, 3, 1, 2, "s.png"), "1", "0x3600 -131069 65538 D1=s.png", kNumber),
      R(Surfpod_ScreenShotFull(h, "s.png"), "1", "0x3601 0 0 D1=s.png", kNumber),
      R(Surfpod_SetFrame(h, "top", nullptr, nullptr, 2), "1", "0x2900 2 0 D1=top D2= D3=", kNumber),
      R(Surfpod_SetFrame(h, "a", "b", "c", 0), "1", "0x2900 0 0 D1=a D2=b D3=c", kNumber),
      R(Surfpod_ResetFrame(h), "1", "0x2900 0 0 D1= D2= D3=", kNumber),
      OUTS(Surfpod_MXPath_GenPath(h, p, nullptr, &o[0], &o[1]), "0|var mx_v1=mx_find('//go');|mx_v1",
           "0x4400 0 0 D1=//go D2= D3=|read D4|read D3", kOuts,
           "element\t//go\ttext\tGo on|element\t//go\tpos\t110,220,30,40"),
      OUTS(Surfpod_MXPath_GenPath(h, "//no", "v", &o[0], nullptr), "1|(empty)|(null)",
           "0x4400 0 0 D1=//no D2=v D3=|read D4", kOuts),
      OUTS(Surfpod_MXPath_GenPath_UseVar(h, p, "v", "t", &o[0]), "0|var v=mx_find('//go');|(null)",
           "0x4400 0 0 D1=//go D2=v D3=t|read D4", kOuts),
      OUTS(Surfpod_MXPath_GenEleJS(h, p, "{$var}.x='{$val}{$val2}';", "p", "q", 7, 8, &o[0], &o[1]), "0|mx_v1.x='pq';|mx_v1",
           "0x4401 7 8 D1=//go D2={$var}.x='{$val}{$val2}'; D3=p D4=q|read D4|read D3", kOuts),
      OUTS(Surfpod_Element_RunJS(h, p, ret("textContent").c_str(), nullptr, nullptr, 1, &o[0]), "0|Go on|(null)",
           get(a, ret("textContent")), kOuts),
      OUTS(Surfpod_Element_RunJS(h, p, "x", "1", "2", 1, &o[0]), "3|(empty)|(null)", put(a, "x", "1", "2", 1), kOuts,
           "answer\t0x4402\t3"),
      R(Surfpod_Element_IsExists(h, p), "1", get(a, "xSurfpod_RetVal=1"), kNumber),
      R(Surfpod_Element_IsExists(h, "//no"), "0", unread("//no", "xSurfpod_RetVal=1"), kNumber),
      R(Surfpod_Element_IsExists(h, p), "0", get(a, "xSurfpod_RetVal=1"), kNumber, "reply\t0x4402\t1 "),
      R(Surfpod_Element_IsExists(h, p), "0", get(a, "xSurfpod_RetVal=1"), kNumber, "reply\t0x4402\ttrue"),
      R(Surfpod_Element_Click(h, p), "0", put(a, "{$var}.click();"), kStatus),
      SETTER(Value, "value", "it's", "it's"), GETTER(Value, "value", "it's"),
      SETTER(OuterHtml, "outerHTML", "<a>o</a>", "<a>o</a>"), GETTER(OuterHtml, "outerHTML", "<a>o</a>"),
      SETTER(InnerHtml, "innerHTML", "<b>i</b>", "<b>i</b>"), GETTER(InnerHtml, "innerHTML", "<b>i</b>"),
      SETTER(Text, "textContent", "Go\r\non", "Go\\r\\non"), GETTER(Text, "textContent", "Go\r\non"),
      GETTER(OuterText, "outerText", "Go\r\non"), GETTER(InnerText, "innerText", "Go\r\non"),
      SETTER(Check, "checked", 5, "true"), R(Surfpod_Element_GetCheck(h, p), "1", get(a, ret("checked?1:0")), kNumber),
      R(Surfpod_Element_SetSelect(h, "//s", 12), "0", put("//s", select_at("12")), kStatus,
        "element\t//s\toptions\to0,o1,o2,o3,o4,o5,o6,o7,o8,o9,o10,o11,o12"),
      R(Surfpod_Element_SetSelect(h, "//s", INT32_MIN), "3", put("//s", select_at("-2147483648")), kStatus),
      R(Surfpod_Element_SetSelectText(h, "//s", "o2"), "0",
        put("//s",
            "function mx_sellisttext(a,d){var c=false;for(var b=0;b<a.options.length;b++){if(a.options[b].text==d){"
            "a.focus();a.options[b].selected=true;if(a.onchange){a.onchange()}a.blur();return true;break}}return "
            "false};mx_sellisttext({$var},'{$val}');",
            "o2"),
        kStatus),
      R(Surfpod_Element_SetAttribute(h, p, "href", "/x"), "0", put(a, "{$var}.setAttribute('{$val}','{$val2}');", "href", "/x"),
        kStatus),
      R(Surfpod_Element_GetAttribute(h, p, "href"), "/x", get(a, ret("getAttribute('{$val}')"), "href"), kElementText),
      R(rect(h, p), "0 100 200 130 240", get(a, kRectScript), kRect),
      R(rect(h, "//r"), "0 1 -2 3 4", get("//r", kRectScript), kRect, "element\t//r\trect\t1.5,-2.7,3,4"),
      R(rect(h, "//r5"), "0 -1 -1 -1 -1", get("//r5", kRectScript), kRect, "element\t//r5\trect\t1,2,3,4,5"),
      R(rect(h, p), "9 -1 -1 -1 -1", unread(a, kRectScript), kRect, "answer\t0x4402\t9"),
      R(Surfpod_Element_GetCount(h, "//li"), "3",
        "0x4400 0 0 D1=//li D2= D3=|read D4|read D3|0x2600 1 0 D1=var mx_v2=mx_find('//li');|0x2600 0 0 D1="
        "if(mx_isnull(mx_v2)){xSurfpod_RetVal=0}else{if(mx_isarr(mx_v2)){xSurfpod_RetVal=mx_v2.length}else{"
        "xSurfpod_RetVal=1}}|read D2",
        kNumber, "element\t//li\tadd|element\t//li\tadd|element\t//li\tadd"),
      R(Surfpod_Element_GetCount(h, "//no"), "0", "0x4400 0 0 D1=//no D2= D3=|read D4|read D3", kNumber),
      R(Surfpod_Element_Remove(h, "//s"), "0", put("//s", "{$var}.parentNode.removeChild({$var});"), kStatus),
  };
}

class SurfpodChannel : public SurfpodTest {};

TEST_F(SurfpodChannel, EveryOperationSendsItsMessageAndDataWindows) {
  SurfpodInstance *h = start();
  ASSERT_NE(h, nullptr);
  for (const Row &row : rows(folder_.dir())) {
    control(h, row.setup);
    folder_.take_journal();
    size_t live = counter().live();
    EXPECT_EQ(row.call(h), row.result) << row.name;
    EXPECT_EQ(counter().live(), live) << row.name << ": every result released";
    EXPECT_EQ(joined(folder_.take_journal(true)), row.journal) << row.name;
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

const std::string kRectRead = unread("//e", kRectScript), kAt = "0x1611 0 0|0x1612 0 0|",
                  kSize = "0x1503 0 0|0x1504 0 0|", kGrow = kSize + "0x1502 910 720|" + kSize;

// {name, setup, a capture (or show), result, the commands (rectangle reads excepted), rectangle reads}
struct Case {
  const char *name, *setup;
  bool screenshot;
  int result;
  std::string expected;
  int rect_reads;
};
const Case kCases[] = {
    {"in view: no scroll", "element\t//e\tpos\t10,20,30,40", false, 1, "", 1},
    {"above the view: scrolled to", "element\t//e\tpos\t100,2000,30,40|page\tscroll\t0,2500", false, 1,
     kAt + "0x1610 100 2000", 2},
    {"left of the page: the scroll cannot move it", "element\t//e\tpos\t-50,-80,30,40", false, 0, kAt + "0x1610 -50 -80", 2},
    {"status: no scroll", "element\t//e\tpos\t10,20,30,40|answer\t0x4402\t5", false, 0, "", 1},
    {"capture enlarging the view", "element\t//e\tpos\t10,20,900,700", true, 1,
     kGrow + "0x3600 655380 58983100 D1=s.png|WM_SIZE 0 0", 4},
    {"capture when the view will not grow enough", "element\t//e\tpos\t10,20,900,700|page\tweblimit\t850,650", true, 0,
     kGrow + "0x1502 910 720|" + kSize + "WM_SIZE 0 0", 4},
    {"capture after scrolling, scrolled back", "element\t//e\tpos\t10,100,50,50|page\tscroll\t0,500", true, 1,
     kAt + "0x1610 10 100|" + kSize + "0x3600 0 3276850 D1=s.png|0x1610 0 500", 4},
};

int count(const Lines &lines, const std::string &prefix) {
  return int(std::count_if(lines.begin(), lines.end(), [&](const std::string &l) { return l.rfind(prefix, 0) == 0; }));
}

TEST_F(SurfpodChannel, ShowAndScreenShotConvergeOrEnd) {
  SurfpodInstance *h = start();
  ASSERT_NE(h, nullptr);
  for (const Case &c : kCases) {
    control(h, std::string("page\tscroll\t0,0|page\twebsize\t800,600|page\tweblimit\t4000,4000|") + c.setup);
    folder_.take_journal();
    EXPECT_EQ(c.screenshot ? Surfpod_Element_ScreenShot(h, "//e", "s.png") : Surfpod_Element_Show(h, "//e"), c.result)
        << c.name;
    Lines lines = folder_.take_journal(true), commands;
    for (const std::string &l : lines)
      if (l != kRectRead && l != "read D2") commands.push_back(l);
    EXPECT_EQ(joined(commands), c.expected) << c.name;
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
