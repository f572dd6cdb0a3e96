// Window functions: searches with the window filter, titles and classes,
// placement, messages and message boxes. Filter texts go to the library in
// the ANSI code page; titles and class names come back as UTF-8.
#include "registry.hpp"
#include "window_ops.hpp"
#include "wrap.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace tarvo::lua {
namespace {

namespace w = tarvo::window;

// A message parameter: a number as an integer, a string as the address of
// a block of its own holding the ANSI copy (released after the call),
// anything else 0.
//
// A message may write through its parameter (the get-text message writes up
// to wParam characters): the block is writable, never the shared empty text,
// and holds at least wParam + 1 characters when wParam is a number (a
// negative one reads as the huge unsigned value it is), up to a bound, and
// never less than a floor that item texts fit in.
struct MessageArg {
  static constexpr int kLuaArgs = 1;
  static constexpr bool kRequired = true;
  static constexpr int kWParamAt = 3;
  static constexpr size_t kLeastBlock = 4096;
  static constexpr size_t kMostBlock = size_t{1} << 20;
  template <class P>
  struct Holder {
    char *block;
    P value;
    Holder(lua_State *L, int pos)
        : block(api.lua_type(L, pos) == LUA_TSTRING ? text_block(api.lua_tolstring(L, pos, nullptr), room_asked(L))
                                                    : nullptr),
          value(block ? reinterpret_cast<P>(block)
                      : api.lua_type(L, pos) == LUA_TNUMBER ? to_param<P>(number_at(L, pos)) : P{}) {}
    ~Holder() { std::free(block); }
    Holder(const Holder &) = delete;
    Holder &operator=(const Holder &) = delete;
    P get() const { return value; }
    static size_t room_asked(lua_State *L) {
      if (api.lua_type(L, kWParamAt) != LUA_TNUMBER) return 0;
      const auto chars = static_cast<uint64_t>(number_at(L, kWParamAt));
      return chars >= kMostBlock ? kMostBlock : static_cast<size_t>(chars) + 1;
    }
    static char *text_block(const char *utf8, size_t room) {
      const Sized<char> ansi = recode(utf8, kCodePageU, kCodePageA, 0);
      const size_t size = std::max({static_cast<size_t>(ansi.size) + 1, room, kLeastBlock});
      auto *b = static_cast<char *>(std::calloc(size, 1));
      if (b && ansi.p) std::memcpy(b, ansi.p, ansi.size);
      xCore_free(ansi.p);
      return b;
    }
    // An integer, or a fraction cut to its integer part; 0 for a number no
    // integer can hold (a NaN, an infinity, beyond 2^63).
    static lua_Integer number_at(lua_State *L, int pos) {
      int exact = 0;
      lua_Integer v = api.lua_tointegerx(L, pos, &exact);
      if (exact) return v;
      lua_Number d = api.lua_tonumberx(L, pos, nullptr);
      return d > -9.2e18 && d < 9.2e18 ? static_cast<lua_Integer>(d) : 0;
    }
  };
};

// The receiver of a post reads its parameters after the call has returned,
// when a converted text would already be released: a post carries numbers
// only, and one with a text argument is refused (false, nothing posted).
int window_post(lua_State *L) {
  if (!count_ok(L, 4, 4)) return param_count_error(L);
  if (api.lua_type(L, 3) == LUA_TSTRING || api.lua_type(L, 4) == LUA_TSTRING) {
    api.lua_pushboolean(L, 0);
    return 1;
  }
  return wrap<w::post, Ret::Boolean, Int, Int, MessageArg, MessageArg>(L);
}

using Style = IntOr<0>;

const luaL_Reg kWindowFunctions[] = {
    // The first top-level window that the filter matches (flags, title, class, styles, owner); 0 when none.
    {"Window_Find", wrap<w::find_top, Ret::Integer, Int, AnsiText, AnsiText, Style, Style, IntOr<0>>},
    {"Window_EasyFind", wrap<w::easy_find, Ret::Integer, AnsiText, AnsiText>},
    {"Window_List", wrap<w::list_top, Ret::List, Int, AnsiText, AnsiText, Style, Style, IntOr<0>>},
    // The first descendant of parent that the filter matches; 0 when none.
    {"Window_FindChild", wrap<w::find_child, Ret::Integer, Int, Int, AnsiText, AnsiText, Style, Style>},
    // A visible descendant whose title and class contain the texts; 0 when none.
    {"Window_EasyFindChild", wrap<w::easy_find_child, Ret::Integer, Int, AnsiText, AnsiText>},
    // Every descendant of parent that the filter matches, as a list.
    {"Window_ListChild", wrap<w::list_child, Ret::List, Int, Int, AnsiText, AnsiText, Style, Style>},
    {"Window_E2H", wrap<w::nth_by_class, Ret::Integer, Int, AnsiText, Int>},
    // The position of window among the descendants of parent whose class contains cls (their number when it is not one).
    {"Window_H2E", wrap<w::position_by_class, Ret::Integer, Int, AnsiText, Int>},
    // The window's title as UTF-8; "" for what is not a window.
    {"Window_GetTitle", wrap<w::title, Ret::Text, Int>},
    // The window's class name as UTF-8; "" for what is not a window.
    {"Window_GetClass", wrap<w::class_name, Ret::Text, Int>},
    // Whether the window's thread has stopped answering messages.
    {"Window_IsHung", wrap<w::is_hung, Ret::Boolean, Int>},
    // The top-level window that holds the window.
    {"Window_GetRoot", wrap<w::root, Ret::Integer, Int>},
    // The identifier of the window's process.
    {"Window_GetPID", wrap<w::process_id, Ret::Integer, Int>},
    // The identifier of the window's thread.
    {"Window_GetTID", wrap<w::thread_id, Ret::Integer, Int>},
    // Asks the window to close (WM_CLOSE); the message's result.
    {"Window_Close", wrap<w::close, Ret::Integer, Int>},
    // Clicks a button (BM_CLICK); the message's result.
    {"Button_Click", wrap<w::click, Ret::Integer, Int>},
    // Sets the window's width and height; true when done.
    {"Window_SetSize", wrap<w::set_size, Ret::Boolean, Int, Int, Int>},
    // Moves the window's top-left corner; true when done.
    {"Window_Move", wrap<w::move, Ret::Boolean, Int, Int, Int>},
    // Puts the window above all others (on) or back among them; true when done.
    {"Window_TopMost", wrap<w::top_most, Ret::Boolean, Int, Flag>},
    // Sends a message: numbers as they are, a text as the address of its ANSI copy; the message's result.
    {"Window_Send", wrap<w::send, Ret::Integer, Int, Int, MessageArg, MessageArg>},
    // Window_Post(window, message, wparam, lparam): posts a message of numbers; false, nothing posted, for a text.
    {"Window_Post", window_post},
    {"Window_GetMessageBox", wrap<w::message_box, Ret::Integer, Int>},
    // The dialog control with the identifier; 0 when none.
    {"Window_GetDlgItem", wrap<w::dialog_item, Ret::Integer, Int, Int>},
    {"Window_CloseMessageBox", wrap<w::close_message_box, Ret::Integer, Int, Int, Int>},
};

const LuaFamily windows_family(kWindowFunctions);

}  // namespace
}  // namespace tarvo::lua
