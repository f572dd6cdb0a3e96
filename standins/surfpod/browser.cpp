#include "browser.hpp"

#include "journal.hpp"
#include "protocol.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <tuple>
#include <sstream>
#include <vector>

namespace surfpod_standin {
namespace {

using namespace tarvo::surfpod;

constexpr char kDataClass[] = "SurfpodStandinData";
constexpr char kViewClass[] = "SurfpodStandinView";
// WM_COPYDATA's dwData of a test's control line.
constexpr ULONG_PTR kControl = 0x5350;
int g_browsers = 0;

std::string hex(UINT message) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04X", message);
  return text;
}

std::vector<std::string> fields(const std::string &line, char separator = '\t') {
  std::vector<std::string> out;
  std::stringstream in(line);
  for (std::string f; std::getline(in, f, separator);) out.push_back(f);
  return out;
}

std::pair<int, int> pair_of(const std::string &text) {
  int a = 0, b = 0;
  std::sscanf(text.c_str(), "%d,%d", &a, &b);
  return {a, b};
}

bool write_file(const std::string &path, const std::string &text) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(f);
  return ok;
}

// The data window a command leaves its text in.
int result_window(UINT message) {
  switch (message) {
    case kRunScript: case kCookies: case kRunElement: return 2;
    case kHttpGet: case kHttpPost: case kPathScript: case kElementScript: return 4;
    default: return 1;
  }
}

bool is_command(UINT message) { return message >= kQuery && message <= kRunElement; }

LRESULT CALLBACK main_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  auto *b = reinterpret_cast<Browser *>(GetWindowLongPtrA(w, GWLP_USERDATA));
  if (m == WM_NCCREATE) {
    b = static_cast<Browser *>(reinterpret_cast<CREATESTRUCTA *>(lp)->lpCreateParams);
    SetWindowLongPtrA(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(b));
  }
  if (m == WM_DESTROY) browser_gone();
  return b ? b->on_main(w, m, wp, lp) : DefWindowProcA(w, m, wp, lp);
}

// The web view takes control lines as its text too, so a script can send them
// with the set-text message.
LRESULT CALLBACK view_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  auto *b = reinterpret_cast<Browser *>(GetWindowLongPtrA(GetParent(w), GWLP_USERDATA));
  if (b && m == WM_SETTEXT && InSendMessage() && lp) {
    b->control(reinterpret_cast<const char *>(lp));
    return TRUE;
  }
  return DefWindowProcA(w, m, wp, lp);
}

LRESULT CALLBACK data_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  auto *b = reinterpret_cast<Browser *>(GetWindowLongPtrA(GetParent(w), GWLP_USERDATA));
  int index = static_cast<int>(GetWindowLongPtrA(w, GWLP_ID));
  if (b && (m == WM_SETTEXT || m == WM_GETTEXT || m == WM_GETTEXTLENGTH)) return b->on_data(index, m, wp, lp);
  return DefWindowProcA(w, m, wp, lp);
}

}  // namespace

void register_classes(HINSTANCE instance) {
  WNDCLASSA c{};
  c.hInstance = instance;
  c.lpfnWndProc = main_proc;
  c.lpszClassName = kMainClass;
  c.hCursor = LoadCursor(nullptr, IDC_ARROW);
  RegisterClassA(&c);
  c.lpfnWndProc = data_proc;
  c.lpszClassName = kDataClass;
  RegisterClassA(&c);
  c.lpfnWndProc = view_proc;
  c.lpszClassName = kViewClass;
  RegisterClassA(&c);
  c.lpfnWndProc = DefWindowProcA;
  c.lpszClassName = kHtmlDialogClass;
  RegisterClassA(&c);
}

void browser_gone() {
  if (--g_browsers == 0) PostQuitMessage(0);
}

Browser::Browser(const Config &config, int index) : config_(config) {
  ++g_browsers;
  page_.home = config.home;
  page_.url = config.home;
  main_ = CreateWindowExA(0, kMainClass, config.title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40 * index, 40 * index,
                          900, 700, nullptr, nullptr, GetModuleHandleA(nullptr), this);
  view_ = CreateWindowExA(0, kViewClass, "", WS_CHILD | WS_VISIBLE, 0, 40, 800, 600, main_, nullptr, nullptr, nullptr);
  for (int i = 0; i < 4; ++i)
    data_[i] = CreateWindowExA(0, kDataClass, "", WS_CHILD, 0, 0, 1, 1, main_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(i + 1)), nullptr, nullptr);
}

bool Browser::ready() const {
  return !config_.never_ready && GetTickCount() - started_ >= config_.ready_after;
}

LRESULT Browser::on_main(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  const bool from_outside = InSendMessage();
  if (m == WM_COPYDATA) {
    auto *data = reinterpret_cast<COPYDATASTRUCT *>(lp);
    if (data->dwData != kControl) return FALSE;
    control(std::string(static_cast<const char *>(data->lpData), data->cbData));
    return TRUE;
  }
  if (is_command(m)) return command(m, wp, lp);
  if (from_outside && m == WM_SETTEXT) journal("WM_SETTEXT " + escaped(reinterpret_cast<const char *>(lp)));
  if (from_outside && m == WM_SYSCOMMAND && wp == kDevToolsCommand) {
    journal("WM_SYSCOMMAND " + std::to_string(wp) + " " + std::to_string(lp));
    ++dev_tools_;
    return 0;
  }
  if (from_outside && m == WM_SIZE && wp == 0 && lp == 0) journal("WM_SIZE " + std::to_string(wp) + " " + std::to_string(lp));
  return DefWindowProcA(w, m, wp, lp);
}

LRESULT Browser::on_data(int window, UINT m, WPARAM wp, LPARAM lp) {
  std::string &text = text_[window - 1];
  const std::string name = std::string(1, 'D') + static_cast<char>('0' + window);
  if (m == WM_SETTEXT) {
    text = lp ? reinterpret_cast<const char *>(lp) : "";
    if (InSendMessage()) written_ += " " + name + "=" + escaped(text);
    return TRUE;
  }
  if (m == WM_GETTEXTLENGTH) {
    // A read starts with the length (the system may fetch the text more
    // than once to convert it), so the length is what is journaled.
    journal("read " + name);
    if (faults_.short_length == window) {
      faults_.short_length = 0;
      return text.size() / 2;
    }
    return text.size();
  }
  if (faults_.slow_read) Sleep(faults_.slow_read);
  if (wp == 0) return 0;
  size_t n = std::min<size_t>(text.size(), wp - 1);
  std::memcpy(reinterpret_cast<char *>(lp), text.data(), n);
  reinterpret_cast<char *>(lp)[n] = 0;
  return n;
}

LRESULT Browser::command(UINT m, WPARAM wp, LPARAM lp) {
  journal(hex(m) + " " + std::to_string(static_cast<intptr_t>(wp)) + " " + std::to_string(lp) + written_);
  written_.clear();
  if (auto d = faults_.delays.find(m); d != faults_.delays.end()) Sleep(d->second);
  LRESULT answer = run(m, wp, lp);
  if (auto r = faults_.replies.find(m); r != faults_.replies.end()) text_[result_window(m) - 1] = r->second;
  if (auto a = faults_.answers.find(m); a != faults_.answers.end()) answer = a->second;
  return answer;
}

LRESULT Browser::run(UINT m, WPARAM wp, LPARAM lp) {
  Page &p = page_;
  std::string *d = text_;
  const int w = static_cast<int>(wp), l = static_cast<int>(lp);
  switch (m) {
    case kQuery:
      if (wp == kQueryBrowser) return ready() ? reinterpret_cast<LRESULT>(view_) : 0;
      if (wp >= kQueryData1 && wp < kQueryData1 + 4) return reinterpret_cast<LRESULT>(data_[wp - kQueryData1]);
      return 0;
    case kShow: ShowWindow(main_, SW_SHOW); hidden_ = false; return 1;
    case kHide: ShowWindow(main_, SW_HIDE); hidden_ = true; return 1;
    case kClose: PostMessageA(main_, WM_CLOSE, 0, 0); return 1;
    case kIsHidden: return hidden_ ? 1 : 0;
    case kSetWinSize: SetWindowPos(main_, nullptr, 0, 0, w, l, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE); return 1;
    case kSetWebSize: p.web = {w, l}; return 1;
    case kEnlargeWeb: p.enlarge(w, l); return 1;
    case kWebWidth: return p.web.width;
    case kWebHeight: return p.web.height;
    case kNavigate: p.navigate(d[0]); return 1;
    case kBack: p.go_back(); return 1;
    case kForward: p.go_forward(); return 1;
    case kHome: p.navigate(p.home); return 1;
    case kRefresh: ++p.reloads; return 1;
    case kStop: return 1;
    case kSetScroll: p.set_scroll(w, l); return 1;
    case kScrollX: return p.scroll_x;
    case kScrollY: return p.scroll_y;
    case kPageWidth: return p.page.width;
    case kPageHeight: return p.page.height;
    case kPageTitle: d[0] = p.title; return 1;
    case kLoadPage: p.navigate(d[1]); p.html = d[0]; return 1;
    case kWaitPage: return p.url.find(d[0]) != std::string::npos ? 1 : 0;
    case kSavePage: write_file(d[0], p.html); return 1;
    case kPageHtml: d[0] = p.html; return 1;
    case kUrl: case kLocationUrl: d[0] = p.url; return 1;
    case kLocationName: d[0] = p.title; return 1;
    case kRunScript: d[1] = p.run_script(d[0]); return 1;
    case kCookies: d[1] = p.cookies; return 1;
    case kHttpGet: d[3] = "GET " + d[0]; return 1;
    case kHttpPost: d[3] = "POST " + d[0] + " " + d[1]; return 1;
    case kHttpGetFile: return write_file(d[2], "GET " + d[0]) ? 1 : 0;
    case kHttpPostFile: return write_file(d[2], "POST " + d[0] + " " + d[1]) ? 1 : 0;
    case kSelectFrame:
      for (int i = 0; i < 3; ++i) p.frames[i] = d[i];
      p.frame_number = w;
      return 1;
    case kSetProxy: p.proxy[0] = d[0]; p.proxy[1] = d[1]; return 1;
    case kClearProxy: p.proxy[0].clear(); p.proxy[1].clear(); return 1;
    case kGetOption:
      if (is_text_option(w)) return d[0] = p.text_options[w], 1;
      return p.options[w];
    case kSetOption:
      if (is_text_option(w)) p.text_options[w] = d[0];
      else p.options[w] = lp;
      return 1;
    case kShotRegion: {
      // (x << 16 | y) and (width << 16 | height), each half 16 bits.
      char text[96];
      std::snprintf(text, sizeof text, "region %d %d %d %d", w >> 16, static_cast<int16_t>(w & 0xFFFF), l >> 16,
                    static_cast<int16_t>(l & 0xFFFF));
      return write_file(d[0], text) ? 1 : 0;
    }
    case kShotPage:
      return write_file(d[0], "page " + std::to_string(p.page.width) + " " + std::to_string(p.page.height)) ? 1 : 0;
    case kPathScript: {
      std::string variable;
      Outcome o = p.path_script(d[0], d[1], variable);
      d[3] = o.text;
      d[2] = variable;
      return o.status;
    }
    case kElementScript: {
      std::string variable;
      Outcome o = p.element_script(d[0], d[1], d[2], d[3], variable);
      d[3] = o.text;
      d[2] = variable;
      return o.status;
    }
    case kRunElement: {
      Outcome o = p.run_element(d[0], d[1], d[2], d[3]);
      if (w == 1) d[1] = o.text;
      return o.status;
    }
    default: return 0;
  }
}

// A test's control line, fields separated by tabs (README).
void Browser::control(const std::string &line) {
  std::vector<std::string> f = fields(line);
  if (f.empty()) return;
  auto at = [&](size_t i) { return i < f.size() ? f[i] : std::string(); };
  auto number = [&](size_t i) { return std::strtoll(at(i).c_str(), nullptr, 0); };
  const std::string &what = f[0];
  Page &p = page_;
  if (what == "answer") faults_.answers[static_cast<UINT>(number(1))] = static_cast<LRESULT>(number(2));
  else if (what == "reply") faults_.replies[static_cast<UINT>(number(1))] = at(2);
  else if (what == "delay") faults_.delays[static_cast<UINT>(number(1))] = static_cast<DWORD>(number(2));
  else if (what == "slowread") faults_.slow_read = static_cast<DWORD>(number(1));
  else if (what == "shortlength") faults_.short_length = static_cast<int>(number(1));
  else if (what == "clear") faults_ = Faults{};
  else if (what == "journal") journal_switch(at(1) == "on");
  else if (what == "popup") open_popup(at(1), at(2));
  else if (what == "quit") DestroyWindow(main_);
  else if (what == "page") {
    const std::string &field = at(1), value = at(2);
    if (field == "url") p.url = value;
    else if (field == "title") p.title = value;
    else if (field == "html") p.html = value;
    else if (field == "htmlsize") p.html.assign(static_cast<size_t>(number(2)), 'x');
    else if (field == "cookies") p.cookies = value;
    else if (field == "pagesize") std::tie(p.page.width, p.page.height) = pair_of(value);
    else if (field == "websize") std::tie(p.web.width, p.web.height) = pair_of(value);
    else if (field == "weblimit") std::tie(p.web_limit.width, p.web_limit.height) = pair_of(value);
    else if (field == "scroll") std::tie(p.scroll_x, p.scroll_y) = pair_of(value);
  } else if (what == "element") {
    const std::string &path = at(1), field = at(2), value = at(3);
    if (field == "add") {
      p.elements.push_back(Element{});
      p.elements.back().path = path;
      return;
    }
    Element &e = p.element(path);
    if (field == "text") e.text = value;
    else if (field == "value") e.value = value;
    else if (field == "outer") e.outer = value;
    else if (field == "inner") e.inner = value;
    else if (field == "checked") e.checked = value == "1";
    else if (field == "options") e.options = fields(value, ',');
    else if (field.rfind("attr:", 0) == 0) e.attributes[field.substr(5)] = value;
    else if (field == "pos") std::sscanf(value.c_str(), "%d,%d,%d,%d", &e.x, &e.y, &e.width, &e.height);
    else if (field == "rect") e.rects.push_back(value);
  }
}

}  // namespace surfpod_standin
