// What the stand-in browser holds: a page with history, sizes and scroll
// position, cookies, frames, proxy and options, and a small element table
// that the element templates act on. No web engine: scripts and templates are
// recognised by their text.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace surfpod_standin {

struct Element {
  std::string path;
  std::string text, value, outer, inner;
  bool checked = false;
  std::vector<std::string> options;
  int selected = -1;
  int clicks = 0;
  std::map<std::string, std::string> attributes;
  // Position and size on the page; the rectangle in the view subtracts the
  // scroll position.
  int x = 0, y = 0, width = 10, height = 10;
  // Scripted rectangles ("l,t,r,b"), answered in turn before the computed one.
  std::deque<std::string> rects;
};

struct Size {
  int width, height;
};

// The answer of an element command and the text it leaves.
struct Outcome {
  int32_t status = 0;
  std::string text;
};

class Page {
 public:
  std::string url = "about:blank", title, html = "<html></html>", home = "about:blank";
  std::vector<std::string> back, forward;
  int reloads = 0;
  Size page{1000, 3000}, web{800, 600}, web_limit{4000, 4000};
  int scroll_x = 0, scroll_y = 0;
  std::string cookies = "session=1";
  std::string frames[3];
  int frame_number = 0;
  std::string proxy[2];
  std::map<int, intptr_t> options;
  std::map<int, std::string> text_options;
  std::vector<Element> elements;
  std::map<std::string, std::string> variables;  // script variable -> element path

  void navigate(const std::string &to);
  void go_back();
  void go_forward();
  void set_scroll(int x, int y);
  void enlarge(int width, int height);

  Element *find(const std::string &path);
  Element &element(const std::string &path);  // made when missing
  int count(const std::string &path) const;

  // 0x4400: the script that binds the element to a variable.
  Outcome path_script(const std::string &path, const std::string &variable, std::string &variable_out);
  // 0x4401: the template filled for the element.
  Outcome element_script(const std::string &path, const std::string &tpl, const std::string &value,
                         const std::string &value2, std::string &variable_out);
  // 0x4402: the template run on the element.
  Outcome run_element(const std::string &path, const std::string &tpl, const std::string &value,
                      const std::string &value2);
  // 0x2600: a script of the page.
  std::string run_script(const std::string &script);

 private:
  std::string variable_for(const std::string &path);
  std::string rect_text(Element &e);
  int next_variable_ = 1;
};

}  // namespace surfpod_standin
