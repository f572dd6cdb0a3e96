#include "model.hpp"

#include "file_text.hpp"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwctype>

namespace standin::word {
namespace {

bool is_space(wchar_t c) { return c == L' ' || c == L'\t' || c == kParagraphMark || c == L'\n' || c == L'\v' || c == 0xA0 || c == 0x3000; }
bool is_high(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool is_low(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
// Ideographs and kana count as words of their own, as the application counts them.
bool is_ideograph(uint32_t c) {
  return (c >= 0x3040 && c <= 0x30FF) || (c >= 0x3400 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0x20000 && c <= 0x3FFFF);
}
uint32_t code_point(const std::wstring &s, size_t i) {
  if (is_high(s[i]) && i + 1 < s.size() && is_low(s[i + 1]))
    return 0x10000 + ((static_cast<uint32_t>(s[i]) - 0xD800) << 10) + (s[i + 1] - 0xDC00);
  return s[i];
}
size_t units(uint32_t c) { return c >= 0x10000 ? 2 : 1; }

}  // namespace

int32_t floating_type_of(int32_t t) {
  switch (t) {
    case kInlineEmbeddedOle: return kShapeEmbeddedOle;
    case kInlineLinkedOle: return kShapeLinkedOle;
    case kInlinePicture: return kShapePicture;
    case kInlineLinkedPicture: return kShapeLinkedPicture;
    case kInlineOleControl: return kShapeOleControl;
    case kInlineChart: return kShapeChart;
    case kInlineSmartArt: return kShapeSmartArt;
    default: return 0;  // horizontal lines stay in the text
  }
}

int32_t inline_type_of(int32_t t) {
  for (int32_t i : {kInlineEmbeddedOle, kInlineLinkedOle, kInlinePicture, kInlineLinkedPicture, kInlineOleControl,
                    kInlineChart, kInlineSmartArt})
    if (floating_type_of(i) == t) return i;
  return 0;  // auto shapes and text boxes cannot go inline
}

bool Shape::ole() const {
  return is_inline ? type == kInlineEmbeddedOle || type == kInlineLinkedOle || type == kInlineOleControl
                   : type == kShapeEmbeddedOle || type == kShapeLinkedOle || type == kShapeOleControl;
}

bool known_style(const std::wstring &name) {
  static const wchar_t *const kStyles[] = {
      L"Normal", L"Heading 1", L"Heading 2", L"Heading 3", L"Heading 4", L"Heading 5", L"Heading 6",
      L"Heading 7", L"Heading 8", L"Heading 9", L"Title", L"Subtitle", L"Quote", L"List Paragraph",
      L"No Spacing", L"\u6b63\u6587", L"\u6807\u9898 1", L"\u6807\u9898 2", L"\u6807\u9898 3", L"\u6807\u9898"};
  for (const wchar_t *s : kStyles)
    if (CompareStringOrdinal(s, -1, name.c_str(), -1, TRUE) == CSTR_EQUAL) return true;
  return false;
}

void Document::select(long start, long end) {
  const long last = story_end();
  sel_start = std::clamp(std::min(start, end), 0L, last);
  sel_end = std::clamp(std::max(start, end), 0L, last);
  pending.reset();
}

const Format &Document::format_at(long pos) const {
  if (pending && pos == sel_start && sel_start == sel_end) return *pending;
  const long at = pos > 0 ? pos - 1 : 0;
  return attrs[static_cast<size_t>(std::min(at, story_end()))].format;
}

std::wstring Document::style_at(long pos) const {
  const size_t mark = text.find(kParagraphMark, static_cast<size_t>(pos));
  return attrs[mark == std::wstring::npos ? attrs.size() - 1 : mark].style;
}

void Document::set_style(long start, long end, const std::wstring &style) {
  // Every paragraph the range touches: its mark carries the style.
  size_t at = static_cast<size_t>(start);
  while (true) {
    const size_t mark = text.find(kParagraphMark, at);
    if (mark == std::wstring::npos) break;
    attrs[mark].style = style;
    if (static_cast<long>(mark) >= end) break;
    at = mark + 1;
  }
  changed();
}

void Document::replace(long start, long end, const std::wstring &s) {
  Attr attr;
  attr.format = start == sel_start && sel_start == sel_end && pending ? *pending : format_at(start);
  attr.style = style_at(start);
  text.replace(static_cast<size_t>(start), static_cast<size_t>(end - start), s);
  attrs.erase(attrs.begin() + start, attrs.begin() + end);
  attrs.insert(attrs.begin() + start, s.size(), attr);
  const long delta = static_cast<long>(s.size()) - (end - start);
  const auto follow = [&](long &pos) {
    if (pos >= end) pos += delta;
    else if (pos > start) pos = start;
  };
  follow(sel_start);
  follow(sel_end);
  for (auto &t : tables) follow(t->anchor);
  for (auto *list : {&inline_shapes, &shapes})
    for (auto &sh : *list) follow(sh->anchor);
  changed();
}

void Document::type(const std::wstring &s) {
  const long start = sel_start;
  const std::optional<Format> keep = pending;
  replace(sel_start, sel_end, s);
  sel_start = sel_end = start + static_cast<long>(s.size());
  pending = keep;
}

std::vector<std::pair<long, long>> Document::lines() const {
  std::vector<std::pair<long, long>> out;
  size_t start = 0;
  while (start < text.size()) {
    const size_t mark = text.find(kParagraphMark, start);
    size_t at = start;
    do {  // an empty paragraph is one line
      size_t end = at;
      for (int n = 0; n < kLineWidth && end < mark; ++n) end += units(code_point(text, end));
      out.emplace_back(static_cast<long>(at), static_cast<long>(end));
      at = end;
    } while (at < mark);
    start = mark + 1;
  }
  return out;
}

int32_t Document::pages() const {
  const int32_t n = statistic(1);
  return std::max<int32_t>(1, (n + kLinesPerPage - 1) / kLinesPerPage);
}

int32_t Document::statistic(int32_t code) const {
  const std::wstring story = text.substr(0, text.size() - 1);
  const bool blank = std::all_of(story.begin(), story.end(), is_space);
  switch (code) {
    case 0:
    case 3:
    case 5: {
      int32_t words = 0, chars = 0, with_spaces = 0;
      // A punctuation mark right after an ideograph belongs to it ("\u4e16\u754c:" is two words).
      bool in_word = false, after_ideograph = false;
      for (size_t i = 0; i < story.size(); i += units(code_point(story, i))) {
        const uint32_t c = code_point(story, i);
        if (c != kParagraphMark) ++with_spaces;
        if (c < 0x10000 && is_space(static_cast<wchar_t>(c))) {
          in_word = after_ideograph = false;
          continue;
        }
        ++chars;
        if (is_ideograph(c)) {
          ++words;
          in_word = false;
          after_ideograph = true;
        } else if (after_ideograph && c < 0x10000 && std::iswpunct(static_cast<wchar_t>(c))) {
          continue;
        } else if (!in_word) {
          ++words;
          in_word = true;
          after_ideograph = false;
        }
      }
      return code == 0 ? words : code == 3 ? chars : with_spaces;
    }
    case 1: return blank ? 0 : static_cast<int32_t>(lines().size());
    case 2: return pages();
    case 4: {
      int32_t n = 0;
      size_t start = 0;
      for (size_t mark; (mark = text.find(kParagraphMark, start)) != std::wstring::npos; start = mark + 1)
        if (!std::all_of(text.begin() + start, text.begin() + mark, is_space)) ++n;
      return n;
    }
    default: return -1;
  }
}

int32_t Document::move_horizontal(int direction, int32_t count, bool extend) {
  int32_t moved = 0;
  if (!extend && sel_start != sel_end) {  // a selection collapses toward the move: one unit
    const long at = direction < 0 ? sel_start : sel_end;
    select(at, at);
    ++moved;
    --count;
  }
  long active = direction < 0 ? sel_start : sel_end;
  const long anchor = direction < 0 ? sel_end : sel_start;
  for (; count > 0; --count) {
    if (direction < 0 && active > 0) {
      active -= (active >= 2 && is_low(text[active - 1]) && is_high(text[active - 2])) ? 2 : 1;
    } else if (direction > 0 && active < story_end()) {
      active += static_cast<long>(units(code_point(text, static_cast<size_t>(active))));
    } else {
      break;
    }
    ++moved;
  }
  extend ? select(anchor, active) : select(active, active);
  return moved;
}

int32_t Document::move_vertical(int direction, int32_t count, bool extend) {
  const auto all = lines();
  long active = direction < 0 ? sel_start : sel_end;
  const long anchor = direction < 0 ? sel_end : sel_start;
  size_t line = 0;
  while (line + 1 < all.size() && all[line + 1].first <= active) ++line;
  // The column in characters, kept on the new line as far as it reaches.
  int column = 0;
  for (long i = all[line].first; i < active; i += static_cast<long>(units(code_point(text, static_cast<size_t>(i))))) ++column;
  int32_t moved = 0;
  for (; count > 0; --count, ++moved) {
    if (direction < 0 ? line == 0 : line + 1 >= all.size()) break;
    line = direction < 0 ? line - 1 : line + 1;
  }
  active = all[line].first;
  for (int n = 0; n < column && active < all[line].second; ++n)
    active += static_cast<long>(units(code_point(text, static_cast<size_t>(active))));
  extend ? select(anchor, active) : select(active, active);
  return moved;
}

namespace {

// "^p" a paragraph mark, "^t" a tab, "^^" a caret; in a replacement "^&"
// the text found.
std::wstring expand(const std::wstring &s, const std::wstring *found) {
  std::wstring out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == L'^' && i + 1 < s.size()) {
      const wchar_t c = s[i + 1];
      if (c == L'p') { out += kParagraphMark; ++i; continue; }
      if (c == L't') { out += L'\t'; ++i; continue; }
      if (c == L'^') { out += L'^'; ++i; continue; }
      if (c == L'&' && found) { out += *found; ++i; continue; }
    }
    out += s[i];
  }
  return out;
}

std::wstring folded(std::wstring s) {
  if (!s.empty()) CharUpperBuffW(s.data(), static_cast<DWORD>(s.size()));
  return s;
}

bool word_char(wchar_t c) { return std::iswalnum(c) || c == L'_'; }

}  // namespace

bool Document::execute_find(const FindState &find, int32_t replace_mode) {
  const std::wstring needle = expand(find.text, nullptr);
  if (needle.empty()) return false;
  // The spans searched in order: a selection, or from the caret to the end;
  // with wrap 1 (continue) the rest of the document after them.
  const long last = story_end();
  const bool collapsed = sel_start == sel_end;
  std::vector<std::pair<long, long>> spans;
  if (collapsed) {
    spans.push_back(find.forward ? std::pair{sel_start, last} : std::pair{0L, sel_start});
    if (find.wrap == 1) spans.push_back(find.forward ? std::pair{0L, sel_start} : std::pair{sel_start, last});
  } else {
    spans.push_back({sel_start, sel_end});
    if (find.wrap == 1) {
      spans.push_back({sel_end, last});
      spans.push_back({0L, sel_start});
    }
  }
  bool any = false;
  for (auto [from, to] : spans) {
    long at = from;
    while (at < to) {
      const std::wstring hay = find.match_case ? text.substr(0, static_cast<size_t>(to)) : folded(text.substr(0, static_cast<size_t>(to)));
      const size_t hit = hay.find(find.match_case ? needle : folded(needle), static_cast<size_t>(at));
      if (hit == std::wstring::npos) break;
      const long end = static_cast<long>(hit + needle.size());
      if (find.whole_word && ((hit > 0 && word_char(text[hit - 1])) || (end < last && word_char(text[end])))) {
        at = static_cast<long>(hit) + 1;
        continue;
      }
      any = true;
      if (replace_mode == 0) {
        select(static_cast<long>(hit), end);
        return true;
      }
      const std::wstring found = text.substr(hit, needle.size());
      const std::wstring with = expand(find.replacement, &found);
      replace(static_cast<long>(hit), end, with);
      const long delta = static_cast<long>(with.size()) - (end - static_cast<long>(hit));
      to += delta;
      // Spans after this one in the story move with the text.
      for (auto &s : spans)
        if (s.first > static_cast<long>(hit)) s.first += delta, s.second += delta;
      if (replace_mode == 1) {
        select(static_cast<long>(hit), static_cast<long>(hit) + static_cast<long>(with.size()));
        return true;
      }
      at = static_cast<long>(hit + with.size());
    }
  }
  return any;
}

void Document::insert_table(const std::shared_ptr<Table> &table) {
  auto at = std::find_if(tables.begin(), tables.end(), [&](const auto &t) { return t->anchor > table->anchor; });
  tables.insert(at, table);
  changed();
}

// ---- The document file ----

bool save_document(const Document &doc, const std::wstring &path, std::wstring &error) {
  std::wstring out = L"tarvo-doc\t1\n";
  size_t start = 0;
  for (size_t mark; (mark = doc.text.find(kParagraphMark, start)) != std::wstring::npos; start = mark + 1)
    out += L"para\t" + escaped(doc.attrs[mark].style) + L"\t" + escaped(doc.text.substr(start, mark - start)) + L"\n";
  for (const auto &t : doc.tables) {
    out += L"table\t" + std::to_wstring(t->anchor) + L"\t" + std::to_wstring(t->rows) + L"\t" + std::to_wstring(t->cols) + L"\n";
    for (const auto &c : t->cells) out += L"cell\t" + escaped(c) + L"\n";
  }
  for (const auto *list : {&doc.inline_shapes, &doc.shapes})
    for (const auto &s : *list)
      out += L"shape\t" + std::wstring(s->is_inline ? L"inline" : L"float") + L"\t" + std::to_wstring(s->type) + L"\t" +
             number_text(s->left) + L"\t" + number_text(s->top) + L"\t" + number_text(s->width) + L"\t" + number_text(s->height) + L"\t" +
             std::to_wstring(s->anchor) + L"\t" + escaped(s->title) + L"\t" + escaped(s->class_type) + L"\t" +
             escaped(s->prog_id) + L"\t" + escaped(s->label) + L"\n";
  if (!write_file(path, utf8(out))) {
    error = L"The file could not be written.";
    return false;
  }
  return true;
}

bool load_document(Document &doc, const std::wstring &path, std::wstring &error) {
  std::string bytes;
  if (read_file(path, bytes, 1ull << 30) == FileRead::not_opened) {
    error = L"This file could not be found.";
    return false;
  }
  const std::wstring all = wide(bytes);
  if (all.rfind(L"tarvo-doc\t1\n", 0) != 0 && all.rfind(L"tarvo-doc\t1\r\n", 0) != 0) {
    error = L"The file is not a document of this application.";
    return false;
  }
  doc.text.clear();
  doc.attrs.clear();
  std::shared_ptr<Table> table;
  size_t start = 0;
  for (size_t nl; start < all.size(); start = nl + 1) {
    nl = all.find(L'\n', start);
    if (nl == std::wstring::npos) nl = all.size();
    std::wstring line = all.substr(start, nl - start);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    const auto v = tab_fields(line);
    if (v[0] == L"para" && v.size() >= 3) {
      const std::wstring text = unescaped(v[2]) + kParagraphMark;
      Attr attr;
      doc.text += text;
      doc.attrs.insert(doc.attrs.end(), text.size(), attr);
      doc.attrs.back().style = unescaped(v[1]);
    } else if (v[0] == L"table" && v.size() >= 4) {
      table = std::make_shared<Table>();
      table->anchor = _wtol(v[1].c_str());
      table->rows = std::max(1, _wtoi(v[2].c_str()));
      table->cols = std::max(1, _wtoi(v[3].c_str()));
      table->cells.reserve(static_cast<size_t>(table->rows * table->cols));
      doc.tables.push_back(table);
    } else if (v[0] == L"cell" && v.size() >= 2 && table &&
               table->cells.size() < static_cast<size_t>(table->rows * table->cols)) {
      table->cells.push_back(unescaped(v[1]));
    } else if (v[0] == L"shape" && v.size() >= 12) {
      auto s = std::make_shared<Shape>();
      s->is_inline = v[1] == L"inline";
      s->type = _wtoi(v[2].c_str());
      s->left = _wtof(v[3].c_str());
      s->top = _wtof(v[4].c_str());
      s->width = s->natural_width = _wtof(v[5].c_str());
      s->height = s->natural_height = _wtof(v[6].c_str());
      s->anchor = _wtol(v[7].c_str());
      s->title = unescaped(v[8]);
      s->class_type = unescaped(v[9]);
      s->prog_id = unescaped(v[10]);
      s->label = unescaped(v[11]);
      (s->is_inline ? doc.inline_shapes : doc.shapes).push_back(s);
    }
  }
  if (doc.text.empty()) {
    doc.text = std::wstring(1, kParagraphMark);
    doc.attrs.assign(1, Attr{});
  }
  for (auto &t : doc.tables) t->cells.resize(static_cast<size_t>(t->rows * t->cols));
  const long last = doc.story_end();
  for (auto &t : doc.tables) t->anchor = std::clamp(t->anchor, 0L, last);
  doc.select(0, 0);
  return true;
}

}  // namespace standin::word
