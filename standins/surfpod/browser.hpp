// One browser window of the stand-in: the main window of class
// "ThunderRT6FormDC" that answers the channel's commands, its web view and
// its four data windows, the page model, and the faults a test scripts.
#pragma once

#include "model.hpp"

#include <windows.h>

#include <map>
#include <string>

namespace surfpod_standin {

struct Config {
  std::string folder;        // the program's folder, with a trailing backslash
  std::string title, home;   // from Surfpod.ini
  DWORD ready_after = 0;     // ms after the start before the ready query is answered
  bool never_ready = false;
  int windows = 1;           // browser windows of the process
  bool journal = false;      // kept only when standin.txt exists
};

// What a test scripted for the next commands (until "clear").
struct Faults {
  std::map<UINT, LRESULT> answers;      // the command's answer
  std::map<UINT, std::string> replies;  // the text the command leaves
  std::map<UINT, DWORD> delays;         // ms before the command is answered
  DWORD slow_read = 0;                  // ms before a data window gives its text
  int short_length = 0;                 // data window whose next length reads half
};

class Browser {
 public:
  Browser(const Config &config, int index);
  HWND main() const { return main_; }

  LRESULT on_main(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT on_data(int window, UINT message, WPARAM wparam, LPARAM lparam);
  void control(const std::string &line);

 private:
  LRESULT command(UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT run(UINT message, WPARAM wparam, LPARAM lparam);
  bool ready() const;

  const Config &config_;
  HWND main_ = nullptr, view_ = nullptr, data_[4] = {};
  std::string text_[4];
  std::string written_;  // data-window writes since the last command, as journaled
  Page page_;
  Faults faults_;
  bool hidden_ = false;
  int dev_tools_ = 0;
  DWORD started_ = GetTickCount();
};

// Opens a pop-up of the kind named (crash, crash-nobutton, alert,
// alert-onestatic, scripterror, htmldialog, hang, hang-noyes, dialog); `text`
// is an alert's message, an HTML dialog's or a plain dialog's title.
void open_popup(const std::string &kind, const std::string &text);
void register_classes(HINSTANCE instance);
// Every browser window is gone: the program ends.
void browser_gone();

}  // namespace surfpod_standin
