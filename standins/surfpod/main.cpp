// The stand-in companion browser: reads its set-up (Surfpod.ini as the
// library writes it, standin.txt for the tests' start-up faults and the
// journal), opens its
// browser windows and answers the channel until the last window closes.
#include "browser.hpp"
#include "journal.hpp"
#include "protocol.hpp"

#include <fstream>
#include <memory>
#include <vector>

using namespace surfpod_standin;

namespace {

std::string program_folder() {
  char path[MAX_PATH];
  std::string p(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
  return p.substr(0, p.find_last_of('\\') + 1);
}

std::string ini_text(const std::string &ini, const char *key, const char *fallback) {
  char text[1024];
  GetPrivateProfileStringA("Option", key, fallback, text, sizeof text, ini.c_str());
  return text;
}

Config read_config() {
  Config c;
  c.folder = program_folder();
  std::string ini = c.folder + "Surfpod.ini";
  c.title = ini_text(ini, "Title", tarvo::surfpod::kDefaultTitle);
  c.home = ini_text(ini, "HomePage", "about:blank");
  std::ifstream in(c.folder + "standin.txt");
  c.journal = in.is_open();
  for (std::string key; in >> key;) {
    if (key == "ready_after") in >> c.ready_after;
    else if (key == "never_ready") c.never_ready = true;
    else if (key == "windows") in >> c.windows;
    else if (key == "journal_off") journal_switch(false);
  }
  return c;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  Config config = read_config();
  if (config.journal) journal_open(config.folder);
  journal("start " + std::to_string(GetCurrentProcessId()));
  register_classes(instance);
  std::vector<std::unique_ptr<Browser>> browsers;
  for (int i = 0; i < config.windows; ++i) browsers.push_back(std::make_unique<Browser>(config, i));
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
