// The companion browser's window-message channel: the commands sent to its
// main window and the texts of its windows and pop-ups. Shared by the library
// and the stand-in browser of the tests, which answers the same numbers.
//
// Texts the companion shows are GBK bytes: compared and written as bytes,
// never converted.
#pragma once

#include <cstdint>

namespace tarvo::surfpod {

// wParam of kQuery: the browser handle, then the four data windows.
inline constexpr uint32_t kQueryBrowser = 1;
inline constexpr uint32_t kQueryData1 = 101;

enum Command : uint32_t {
  kQuery = 0x1400,
  kShow = 0x1401,
  kHide = 0x1402,
  kClose = 0x1403,
  kIsHidden = 0x1404,
  kSetWinSize = 0x1500,
  kSetWebSize = 0x1501,
  kEnlargeWeb = 0x1502,
  kWebWidth = 0x1503,
  kWebHeight = 0x1504,
  kNavigate = 0x1600,
  kBack = 0x1601,
  kForward = 0x1602,
  kHome = 0x1603,
  kRefresh = 0x1604,
  kStop = 0x1605,
  kSetScroll = 0x1610,
  kScrollX = 0x1611,
  kScrollY = 0x1612,
  kPageWidth = 0x1613,
  kPageHeight = 0x1614,
  kPageTitle = 0x1620,
  kLoadPage = 0x2400,
  kWaitPage = 0x2401,
  kSavePage = 0x2500,
  kPageHtml = 0x2510,
  kUrl = 0x2520,
  kLocationUrl = 0x2521,
  kLocationName = 0x2522,
  kRunScript = 0x2600,
  kCookies = 0x2700,
  kHttpGet = 0x2800,
  kHttpPost = 0x2801,
  kHttpGetFile = 0x2804,
  kHttpPostFile = 0x2805,
  kSelectFrame = 0x2900,
  kSetProxy = 0x3400,
  kClearProxy = 0x3401,
  kGetOption = 0x3500,
  kSetOption = 0x3501,
  kShotRegion = 0x3600,
  kShotPage = 0x3601,
  kPathScript = 0x4400,
  kElementScript = 0x4401,
  kRunElement = 0x4402,
};

// WM_SYSCOMMAND's wParam that opens the developer tools.
inline constexpr uint32_t kDevToolsCommand = 2002;
// Option ids whose value is a text (in D1).
inline constexpr bool is_text_option(int32_t id) { return id == 9 || id == 10; }

inline constexpr char kMainClass[] = "ThunderRT6FormDC";
inline constexpr char kDialogClass[] = "#32770";
inline constexpr char kHtmlDialogClass[] = "Internet Explorer_TridentDlgFrame";

// "Nivra外置浏览器 - Power By Tovrel": the window title of the default configuration.
inline constexpr char kDefaultTitle[] = "Nivra\xCD\xE2\xD6\xC3\xE4\xAF\xC0\xC0\xC6\xF7 - Power By Tovrel";
// "Nivra外置浏览器": the crash prompt's title.
inline constexpr char kCrashTitle[] = "Nivra\xCD\xE2\xD6\xC3\xE4\xAF\xC0\xC0\xC6\xF7";
// "关闭程序": the crash prompt's button that ends the program.
inline constexpr char kCrashButton[] = "\xB9\xD8\xB1\xD5\xB3\xCC\xD0\xF2";
// "来自网页的消息": a page alert.
inline constexpr char kAlertTitle[] = "\xC0\xB4\xD7\xD4\xCD\xF8\xD2\xB3\xB5\xC4\xCF\xFB\xCF\xA2";
// "脚本错误": a script error.
inline constexpr char kScriptErrorTitle[] = "\xBD\xC5\xB1\xBE\xB4\xED\xCE\xF3";
// "Web 浏览器": the question whether to stop a hung script.
inline constexpr char kScriptHangTitle[] = "Web \xE4\xAF\xC0\xC0\xC6\xF7";
// The hang question's Yes button, which stops the script.
inline constexpr int kScriptHangYes = 6;

}  // namespace tarvo::surfpod
