// The formula subset of the stand-in: a recursive-descent evaluator over the
// formula text, and the reference scanner that both the evaluator and the
// rewriting of references after cells moved use.
#include "model.hpp"

#include <algorithm>
#include <cmath>
#include <cwctype>
#include <set>
#include <tuple>

namespace standin::excel {
namespace {

bool name_char(wchar_t c) { return iswalnum(c) || c == L'_' || c == L'.'; }

// The text after the quote at `open` up to its closing quote, a doubled
// quote standing for one; returns where the closing quote is (the end of
// `s` when it is missing).
size_t read_quoted(const std::wstring &s, size_t open, std::wstring &text) {
  const wchar_t quote = s[open];
  size_t j = open + 1;
  for (; j < s.size(); ++j) {
    if (s[j] == quote) {
      if (j + 1 < s.size() && s[j + 1] == quote) {
        text += quote;
        ++j;
        continue;
      }
      break;
    }
    text += s[j];
  }
  return j;
}

// A reference starting at `pos`: [sheet!]$?COL$?ROW, or nullopt.
struct Scanned {
  Reference ref;
  size_t end;
};

std::optional<Scanned> scan_reference(const std::wstring &s, size_t pos) {
  if (pos > 0 && (name_char(s[pos - 1]) || s[pos - 1] == L'$')) return std::nullopt;
  Scanned out{};
  size_t i = pos;
  // An optional sheet prefix: 'quoted name'! or Name!
  if (s[i] == L'\'') {
    std::wstring name;
    const size_t j = read_quoted(s, i, name);
    if (j + 1 >= s.size() || s[j + 1] != L'!') return std::nullopt;
    out.ref.sheet = name;
    i = j + 2;
  } else {
    size_t j = i;
    while (j < s.size() && name_char(s[j])) ++j;
    if (j < s.size() && s[j] == L'!' && j > i) {
      out.ref.sheet = s.substr(i, j - i);
      i = j + 1;
    }
  }
  if (i < s.size() && s[i] == L'$') out.ref.abs_col = true, ++i;
  size_t letters = 0;
  int col = 0;
  while (i < s.size() && iswalpha(s[i]) && letters < 4) col = col * 26 + (towupper(s[i]) - L'A' + 1), ++i, ++letters;
  if (!letters || letters > 3) return std::nullopt;
  if (i < s.size() && s[i] == L'$') out.ref.abs_row = true, ++i;
  size_t digits = 0;
  long row = 0;
  while (i < s.size() && iswdigit(s[i]) && digits < 8) row = row * 10 + (s[i] - L'0'), ++i, ++digits;
  if (!digits || (i < s.size() && (name_char(s[i]) || s[i] == L'('))) return std::nullopt;
  if (col < 1 || col > kMaxCols || row < 1 || row > kMaxRows) return std::nullopt;
  out.ref.row = static_cast<int>(row);
  out.ref.column = col;
  out.end = i;
  return out;
}

std::wstring reference_text(const Reference &r) {
  std::wstring s;
  if (!r.sheet.empty()) {
    const bool plain = std::all_of(r.sheet.begin(), r.sheet.end(), name_char);
    if (plain) {
      s = r.sheet + L"!";
    } else {
      s = L"'";
      for (wchar_t c : r.sheet) s += c == L'\'' ? std::wstring(L"''") : std::wstring(1, c);
      s += L"'!";
    }
  }
  return s + (r.abs_col ? L"$" : L"") + column_letters(r.column) + (r.abs_row ? L"$" : L"") + std::to_wstring(r.row);
}

// ---- Evaluation ----

struct Operand {
  Operand(Value v = {}) : value(std::move(v)) {}
  Operand(const Sheet *s, Box b) : sheet(s), box(b) {}
  Value value;
  const Sheet *sheet = nullptr;  // set for a range operand
  Box box;
  bool is_range() const { return sheet != nullptr; }
};

thread_local std::set<std::tuple<const Sheet *, int, int>> t_evaluating;

class Evaluator {
 public:
  Evaluator(const Sheet &sheet, const std::wstring &text) : sheet_(sheet), s_(text), i_(1) {}

  Value run() {
    Operand v = expression();
    skip();
    if (i_ != s_.size() && !failed_) return Value::of_error(L"#NAME?");
    if (failed_) return Value::of_error(failed_);
    return scalar(v);
  }

 private:
  void skip() {
    while (i_ < s_.size() && iswspace(s_[i_])) ++i_;
  }
  bool eat(const wchar_t *op) {
    skip();
    const size_t n = wcslen(op);
    if (s_.compare(i_, n, op) != 0) return false;
    i_ += n;
    return true;
  }
  Operand fail(const wchar_t *error) {
    if (!failed_) failed_ = error;
    return {Value::of_error(error)};
  }

  // The value of a cell or a single-cell range; a larger range is #VALUE!.
  Value scalar(const Operand &o) {
    if (!o.is_range()) return o.value;
    if (o.box.rows() != 1 || o.box.cols() != 1) return Value::of_error(L"#VALUE!");
    return cell_value(*o.sheet, o.box.r1, o.box.c1);
  }
  Value cell_value(const Sheet &sheet, int r, int c) {
    const auto key = std::make_tuple(&sheet, r, c);
    if (t_evaluating.count(key)) return Value::of_error(L"#VALUE!");
    t_evaluating.insert(key);
    Value v = sheet.value(r, c);
    t_evaluating.erase(key);
    return v;
  }
  static std::optional<double> number_of(const Value &v) {
    switch (v.kind) {
      case Kind::empty: return 0.0;
      case Kind::number:
      case Kind::boolean: return v.number;
      case Kind::text: return parse_number(v.text);
      default: return std::nullopt;
    }
  }
  static std::wstring text_of(const Value &v) {
    switch (v.kind) {
      case Kind::number: return general_text(v.number);
      case Kind::boolean: return v.number ? L"TRUE" : L"FALSE";
      default: return v.text;
    }
  }

  // Nesting deeper than any sane formula is refused before the stack is.
  struct Nesting {
    explicit Nesting(int &depth) : depth_(depth) { ++depth_; }
    ~Nesting() { --depth_; }
    int &depth_;
  };

  Operand expression() {
    Operand left = concat();
    for (;;) {
      static const wchar_t *ops[] = {L"<>", L"<=", L">=", L"=", L"<", L">"};
      const wchar_t *op = nullptr;
      for (const wchar_t *o : ops)
        if (eat(o)) {
          op = o;
          break;
        }
      if (!op) return left;
      const Value a = scalar(left), b = scalar(concat());
      if (a.kind == Kind::error) return {a};
      if (b.kind == Kind::error) return {b};
      int cmp;
      const auto na = number_of(a), nb = number_of(b);
      if (a.kind != Kind::text && b.kind != Kind::text && na && nb) {
        cmp = *na < *nb ? -1 : *na > *nb ? 1 : 0;
      } else {
        cmp = _wcsicmp(text_of(a).c_str(), text_of(b).c_str());
        cmp = cmp < 0 ? -1 : cmp > 0 ? 1 : 0;
      }
      const std::wstring o = op;
      const bool r = o == L"=" ? cmp == 0 : o == L"<>" ? cmp != 0 : o == L"<" ? cmp < 0 : o == L">" ? cmp > 0
                   : o == L"<=" ? cmp <= 0 : cmp >= 0;
      left = {Value::of_bool(r)};
    }
  }
  Operand concat() {
    Operand left = additive();
    while (eat(L"&")) {
      const Value a = scalar(left), b = scalar(additive());
      if (a.kind == Kind::error) return {a};
      if (b.kind == Kind::error) return {b};
      left = {Value::of_text(text_of(a) + text_of(b))};
    }
    return left;
  }
  template <class Next>
  Operand arithmetic(Next next, const wchar_t *ops) {
    Operand left = (this->*next)();
    for (;;) {
      skip();
      if (i_ >= s_.size() || !wcschr(ops, s_[i_]) || !s_[i_]) return left;
      const wchar_t op = s_[i_++];
      const Value a = scalar(left), b = scalar((this->*next)());
      if (a.kind == Kind::error) return {a};
      if (b.kind == Kind::error) return {b};
      const auto x = number_of(a), y = number_of(b);
      if (!x || !y) return {Value::of_error(L"#VALUE!")};
      double r = 0;
      switch (op) {
        case L'+': r = *x + *y; break;
        case L'-': r = *x - *y; break;
        case L'*': r = *x * *y; break;
        case L'/':
          if (*y == 0) return {Value::of_error(L"#DIV/0!")};
          r = *x / *y;
          break;
        case L'^': r = std::pow(*x, *y); break;
      }
      if (!std::isfinite(r)) return {Value::of_error(L"#NUM!")};
      left = {Value::of_number(r)};
    }
  }
  Operand additive() { return arithmetic(&Evaluator::term, L"+-"); }
  Operand term() { return arithmetic(&Evaluator::power, L"*/"); }
  Operand power() { return arithmetic(&Evaluator::unary, L"^"); }
  Operand unary() {
    const Nesting nested(depth_);
    if (depth_ > 100) return fail(L"#VALUE!");
    if (eat(L"-")) {
      const Value v = scalar(unary());
      if (v.kind == Kind::error) return {v};
      const auto n = number_of(v);
      return {n ? Value::of_number(-*n) : Value::of_error(L"#VALUE!")};
    }
    if (eat(L"+")) return unary();
    Operand v = primary();
    if (eat(L"%")) {
      const auto n = number_of(scalar(v));
      return {n ? Value::of_number(*n / 100) : Value::of_error(L"#VALUE!")};
    }
    return v;
  }

  Operand primary() {
    skip();
    if (i_ >= s_.size()) return fail(L"#NAME?");
    const wchar_t c = s_[i_];
    if (c == L'(') {
      ++i_;
      Operand v = expression();
      if (!eat(L")")) return fail(L"#NAME?");
      return v;
    }
    if (c == L'"') {
      std::wstring text;
      i_ = read_quoted(s_, i_, text);
      if (i_ >= s_.size()) return fail(L"#NAME?");
      ++i_;
      return {Value::of_text(text)};
    }
    if (iswdigit(c) || c == L'.') {
      size_t end = i_;
      while (end < s_.size() && (iswdigit(s_[end]) || s_[end] == L'.')) ++end;
      if (end < s_.size() && (s_[end] == L'E' || s_[end] == L'e')) {
        size_t j = end + 1;
        if (j < s_.size() && (s_[j] == L'+' || s_[j] == L'-')) ++j;
        while (j < s_.size() && iswdigit(s_[j])) ++j;
        end = j;
      }
      auto n = parse_number(s_.substr(i_, end - i_));
      i_ = end;
      return n ? Operand{Value::of_number(*n)} : fail(L"#NAME?");
    }
    if (c == L'#') {
      for (const wchar_t *e : {L"#DIV/0!", L"#VALUE!", L"#NAME?", L"#REF!", L"#NUM!", L"#N/A"})
        if (s_.compare(i_, wcslen(e), e) == 0) {
          i_ += wcslen(e);
          return {Value::of_error(e)};
        }
      return fail(L"#NAME?");
    }
    if (auto ref = scan_reference(s_, i_)) return reference(*ref);
    // A function name or TRUE / FALSE.
    size_t end = i_;
    while (end < s_.size() && name_char(s_[end])) ++end;
    std::wstring name = s_.substr(i_, end - i_);
    for (wchar_t &ch : name) ch = static_cast<wchar_t>(towupper(ch));
    i_ = end;
    if (eat(L"(")) return function(name);
    if (name == L"TRUE" || name == L"FALSE") return {Value::of_bool(name == L"TRUE")};
    return fail(L"#NAME?");
  }

  Operand reference(const Scanned &first) {
    i_ = first.end;
    const Sheet *target = &sheet_;
    if (!first.ref.sheet.empty()) {
      if (!sheet_.book) return {Value::of_error(L"#REF!")};
      auto other = sheet_.book->find(first.ref.sheet);
      if (!other) return {Value::of_error(L"#REF!")};
      target = other.get();
    }
    Box box{first.ref.row, first.ref.column, first.ref.row, first.ref.column};
    skip();
    if (i_ < s_.size() && s_[i_] == L':') {
      auto second = scan_reference(s_, i_ + 1);
      if (!second || !second->ref.sheet.empty()) return fail(L"#NAME?");
      i_ = second->end;
      box = {std::min(box.r1, second->ref.row), std::min(box.c1, second->ref.column),
             std::max(box.r1, second->ref.row), std::max(box.c1, second->ref.column)};
    }
    return Operand(target, box);
  }

  // The values of the arguments, ranges flattened (their empty cells left
  // out, so only the cells that exist are visited).
  std::vector<Value> values_of(const std::vector<Operand> &args) {
    std::vector<Value> out;
    for (const Operand &a : args) {
      if (!a.is_range()) {
        out.push_back(a.value);
        continue;
      }
      const auto &cells = a.sheet->cells;
      for (auto it = cells.lower_bound({a.box.r1, a.box.c1}); it != cells.end() && it->first.first <= a.box.r2; ++it) {
        if (!a.box.contains(it->first.first, it->first.second)) continue;
        Value v = cell_value(*a.sheet, it->first.first, it->first.second);
        if (v.kind != Kind::empty) out.push_back(std::move(v));
      }
    }
    return out;
  }

  Operand function(const std::wstring &name) {
    std::vector<Operand> args;
    if (!eat(L")")) {
      do args.push_back(expression());
      while (eat(L","));
      if (!eat(L")")) return fail(L"#NAME?");
    }
    auto numbers = [&](std::vector<double> &out) -> const Value * {
      static thread_local Value error;
      for (const Value &v : values_of(args)) {
        if (v.kind == Kind::error) return &(error = v);
        if (v.kind == Kind::number) out.push_back(v.number);
      }
      return nullptr;
    };
    if (name == L"SUM" || name == L"AVERAGE" || name == L"MIN" || name == L"MAX" || name == L"COUNT") {
      std::vector<double> n;
      if (const Value *e = numbers(n); e && name != L"COUNT") return {*e};
      if (name == L"COUNT") return {Value::of_number(static_cast<double>(n.size()))};
      double sum = 0;
      for (double d : n) sum += d;
      if (name == L"SUM") return {Value::of_number(sum)};
      if (name == L"AVERAGE") return {n.empty() ? Value::of_error(L"#DIV/0!") : Value::of_number(sum / n.size())};
      if (n.empty()) return {Value::of_number(0)};
      return {Value::of_number(name == L"MIN" ? *std::min_element(n.begin(), n.end()) : *std::max_element(n.begin(), n.end()))};
    }
    if (name == L"COUNTA") return {Value::of_number(static_cast<double>(values_of(args).size()))};
    if (name == L"CONCATENATE") {
      std::wstring s;
      for (const Operand &a : args) {
        const Value v = scalar(a);
        if (v.kind == Kind::error) return {v};
        s += text_of(v);
      }
      return {Value::of_text(s)};
    }
    if (name == L"IF" && (args.size() == 2 || args.size() == 3)) {
      const Value test = scalar(args[0]);
      if (test.kind == Kind::error) return {test};
      const auto n = number_of(test);
      if (!n) return {Value::of_error(L"#VALUE!")};
      if (*n != 0) return {scalar(args[1])};
      return {args.size() == 3 ? scalar(args[2]) : Value::of_bool(false)};
    }
    if ((name == L"ROUND" && args.size() == 2) || ((name == L"ABS" || name == L"LEN") && args.size() == 1)) {
      const Value v = scalar(args[0]);
      if (v.kind == Kind::error) return {v};
      if (name == L"LEN") return {Value::of_number(static_cast<double>(text_of(v).size()))};
      const auto x = number_of(v);
      if (!x) return {Value::of_error(L"#VALUE!")};
      if (name == L"ABS") return {Value::of_number(std::fabs(*x))};
      const auto digits = number_of(scalar(args[1]));
      if (!digits) return {Value::of_error(L"#VALUE!")};
      const double scale = std::pow(10.0, std::trunc(*digits));
      return {Value::of_number(std::round(*x * scale) / scale)};
    }
    return fail(L"#NAME?");
  }

  const Sheet &sheet_;
  const std::wstring &s_;
  size_t i_;
  const wchar_t *failed_ = nullptr;
  int depth_ = 0;
};

}  // namespace

Value evaluate(const Sheet &sheet, const std::wstring &formula) {
  if (formula.empty() || formula[0] != L'=') return Value::of_text(formula);
  if (t_evaluating.size() > 100) return Value::of_error(L"#VALUE!");
  return Evaluator(sheet, formula).run();
}

std::wstring rewrite_references(const std::wstring &formula, const std::function<bool(Reference &)> &map) {
  std::wstring out;
  bool quoted = false;
  for (size_t i = 0; i < formula.size();) {
    const wchar_t c = formula[i];
    if (c == L'"') quoted = !quoted;
    if (!quoted) {
      if (auto ref = scan_reference(formula, i)) {
        Reference r = ref->ref;
        out += map(r) ? reference_text(r) : L"#REF!";
        i = ref->end;
        continue;
      }
    }
    out += c;
    ++i;
  }
  return out;
}

}  // namespace standin::excel
