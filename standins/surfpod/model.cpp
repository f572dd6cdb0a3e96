#include "model.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace surfpod_standin {
namespace {

// The element templates the library sends, by their text.
const std::string kCount =
    "if(mx_isnull({$var})){xSurfpod_RetVal=0}else{if(mx_isarr({$var})){xSurfpod_RetVal={$var}.length}else{"
    "xSurfpod_RetVal=1}}";
const std::string kSelectText =
    "function mx_sellisttext(a,d){var c=false;for(var b=0;b<a.options.length;b++){if(a.options[b].text==d){"
    "a.focus();a.options[b].selected=true;if(a.onchange){a.onchange()}a.blur();return true;break}}return false};"
    "mx_sellisttext({$var},'{$val}');";
const std::string kRect =
    "mx_rect = {$var}.getBoundingClientRect();xSurfpod_RetVal = mx_rect.left.toString() + ',' + "
    "mx_rect.top.toString() + ',' + mx_rect.right.toString() + ',' + mx_rect.bottom.toString();";

std::string replace_all(std::string s, const std::string &from, const std::string &to) {
  for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
    s.replace(at, from.size(), to);
  return s;
}

int clamp(int v, int high) { return std::max(0, std::min(v, std::max(0, high))); }

}  // namespace

void Page::navigate(const std::string &to) {
  back.push_back(url);
  forward.clear();
  url = to;
  title = "title of " + to;
}

void Page::go_back() {
  if (back.empty()) return;
  forward.push_back(url);
  url = back.back();
  back.pop_back();
  title = "title of " + url;
}

void Page::go_forward() {
  if (forward.empty()) return;
  back.push_back(url);
  url = forward.back();
  forward.pop_back();
  title = "title of " + url;
}

// The page scrolls only as far as it reaches beyond the view.
void Page::set_scroll(int x, int y) {
  scroll_x = clamp(x, page.width - web.width);
  scroll_y = clamp(y, page.height - web.height);
}

// The view grows to at least the size asked for, never beyond its limit.
void Page::enlarge(int width, int height) {
  web.width = std::min(std::max(web.width, width), web_limit.width);
  web.height = std::min(std::max(web.height, height), web_limit.height);
}

Element *Page::find(const std::string &path) {
  for (Element &e : elements)
    if (e.path == path) return &e;
  return nullptr;
}

Element &Page::element(const std::string &path) {
  if (Element *e = find(path)) return *e;
  elements.push_back(Element{});
  elements.back().path = path;
  return elements.back();
}

int Page::count(const std::string &path) const {
  return static_cast<int>(std::count_if(elements.begin(), elements.end(), [&](const Element &e) { return e.path == path; }));
}

std::string Page::variable_for(const std::string &path) {
  for (const auto &[name, bound] : variables)
    if (bound == path) return name;
  std::string name = "mx_v" + std::to_string(next_variable_++);
  variables[name] = path;
  return name;
}

std::string Page::rect_text(Element &e) {
  if (!e.rects.empty()) {
    std::string r = e.rects.front();
    if (e.rects.size() > 1) e.rects.pop_front();
    return r;
  }
  int left = e.x - scroll_x, top = e.y - scroll_y;
  char text[64];
  std::snprintf(text, sizeof text, "%d,%d,%d,%d", left, top, left + e.width, top + e.height);
  return text;
}

Outcome Page::path_script(const std::string &path, const std::string &variable, std::string &variable_out) {
  if (!find(path)) return {1, ""};
  variable_out = variable.empty() ? variable_for(path) : variable;
  variables[variable_out] = path;
  return {0, "var " + variable_out + "=mx_find('" + path + "');"};
}

Outcome Page::element_script(const std::string &path, const std::string &tpl, const std::string &value,
                             const std::string &value2, std::string &variable_out) {
  if (!find(path)) return {1, ""};
  variable_out = variable_for(path);
  std::string filled = replace_all(replace_all(replace_all(tpl, "{$var}", variable_out), "{$val2}", value2), "{$val}", value);
  return {0, filled};
}

Outcome Page::run_element(const std::string &path, const std::string &tpl, const std::string &value,
                          const std::string &value2) {
  Element *found = find(path);
  if (!found) return {1, ""};
  Element &e = *found;
  auto set = [](std::string &field, const std::string &v) {
    field = v;
    return Outcome{};
  };
  if (tpl == "xSurfpod_RetVal=1") return {0, "1"};
  if (tpl == "{$var}.click();") return ++e.clicks, Outcome{};
  if (tpl == "{$var}.value='{$val}';") return set(e.value, value);
  if (tpl == "xSurfpod_RetVal={$var}.value;") return {0, e.value};
  if (tpl == "{$var}.outerHTML='{$val}';") return set(e.outer, value);
  if (tpl == "xSurfpod_RetVal={$var}.outerHTML;") return {0, e.outer};
  if (tpl == "{$var}.innerHTML='{$val}';") return set(e.inner, value);
  if (tpl == "xSurfpod_RetVal={$var}.innerHTML;") return {0, e.inner};
  if (tpl == "{$var}.textContent='{$val}';") return set(e.text, value);
  if (tpl == "xSurfpod_RetVal={$var}.textContent;" || tpl == "xSurfpod_RetVal={$var}.outerText;" ||
      tpl == "xSurfpod_RetVal={$var}.innerText;")
    return {0, e.text};
  if (tpl == "{$var}.checked='{$val}';") return e.checked = value == "true", Outcome{};
  if (tpl == "xSurfpod_RetVal={$var}.checked?1:0;") return {0, e.checked ? "1" : "0"};
  if (tpl == "{$var}.parentNode.removeChild({$var});") {
    elements.erase(elements.begin() + (&e - elements.data()));
    return {};
  }
  if (tpl == "{$var}.setAttribute('{$val}','{$val2}');") return set(e.attributes[value], value2);
  if (tpl == "xSurfpod_RetVal={$var}.getAttribute('{$val}');") {
    auto a = e.attributes.find(value);
    return a == e.attributes.end() ? Outcome{0, "null"} : Outcome{0, a->second};
  }
  if (tpl == kRect) return {0, rect_text(e)};
  if (tpl == kSelectText) {
    auto o = std::find(e.options.begin(), e.options.end(), value);
    if (o == e.options.end()) return {0, ""};
    e.selected = static_cast<int>(o - e.options.begin());
    return {};
  }
  int index = 0, used = 0;
  std::string tail = "].selected = true;if({$var}.onchange){{$var}.onchange()};";
  if (std::sscanf(tpl.c_str(), "{$var}.options[%d%n", &index, &used) == 1 && tpl.substr(used) == tail) {
    if (index < 0 || index >= static_cast<int>(e.options.size())) return {3, ""};
    e.selected = index;
    return {};
  }
  return {2, ""};  // a template this browser does not know
}

std::string Page::run_script(const std::string &script) {
  char name[64], path[512];
  if (std::sscanf(script.c_str(), "var %63[^=]=mx_find('%511[^']');", name, path) == 2) {
    variables[name] = path;
    return "";
  }
  for (const auto &[variable, bound] : variables)
    if (script == replace_all(kCount, "{$var}", variable)) return std::to_string(count(bound));
  if (script == "document.title") return title;
  if (script == "location.href") return url;
  const std::string assign = "xSurfpod_RetVal=";
  if (script.rfind(assign, 0) == 0) return script.substr(assign.size());
  return "";
}

}  // namespace surfpod_standin
