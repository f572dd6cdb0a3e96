// LoadGUI: the HTML UI host for scripts. It shows the page with the engine
// DLL (loaded once per process), blocks until the window is closed and
// returns the text of the page's last "SetRetVal" ("" when the host could not
// start or the page set none).
#include "host.hpp"
#include "registry.hpp"
#include "wrap.hpp"

namespace tarvo::lua {
namespace {

char *load_gui(const wchar_t *engine_dll, const wchar_t *page, int32_t width, int32_t height) {
  uihost::run_host(engine_dll, page, width, height, uihost::ReturnText::Kept);
  return uihost::take_return_text();
}

const luaL_Reg kGuiFunctions[] = {
    {"LoadGUI", wrap<load_gui, Ret::Text, Text, Text, IntOr<800>, IntOr<600>>},
};

const LuaFamily gui_family(kGuiFunctions);

}  // namespace
}  // namespace tarvo::lua
