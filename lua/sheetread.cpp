// Excel_ReadSheet and Excel_ReadBook: whole sheets, or every sheet of a book,
// into script tables in one call, through the spreadsheet application or the
// spreadsheet-file library.
//
// A call checks its arguments before it starts anything, opens the book (and
// chooses the sheet) with objects that tidy up on every path, then builds the
// tables in a protected call: a Lua error while building (no BasicLib, out of
// memory) first lets the book, the application and the field names go, and
// is raised again only then, when nothing with a destructor is alive. The
// protected part holds nothing with a destructor itself; what it needs lives
// in the Job of the calling frame.
#include "registry.hpp"
#include "sheet_source.hpp"
#include "wrap.hpp"
#include "xmm.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace tarvo::lua {
namespace {

using office::Engine;
using office::SheetHandle;
using office::SheetSource;

constexpr int64_t kMaxRows = 1048576;
constexpr int64_t kMaxColumns = 16384;

// The field names of one sheet, UTF-8 copies in an element array.
class FieldNames {
 public:
  FieldNames() = default;
  FieldNames(const FieldNames &) = delete;
  FieldNames &operator=(const FieldNames &) = delete;
  ~FieldNames() { reset(); }

  bool create() {
    reset();
    list_ = SMM_Create(sizeof(char *), 0);
    return list_ != nullptr;
  }
  bool append(const std::string &name) {
    char *copy = static_cast<char *>(std::malloc(name.size() + 1));
    if (!copy) return false;
    std::memcpy(copy, name.c_str(), name.size() + 1);
    const uint32_t at = SMM_Append(list_, 1);
    if (!at) {
      std::free(copy);
      return false;
    }
    *static_cast<char **>(SMM_GetPtr(list_, at)) = copy;
    return true;
  }
  const char *at(int32_t column) const { return *static_cast<char **>(SMM_GetPtr(list_, column)); }
  void reset() {
    if (!list_) return;
    for (uint32_t i = 1; i <= list_->count; ++i) std::free(*static_cast<char **>(SMM_GetPtr(list_, i)));
    SMM_Destroy(list_);
    list_ = nullptr;
  }

 private:
  SMM *list_ = nullptr;
};

enum class SheetChoice { First, Index, Name };

// The arguments of a call, read and checked before anything starts. Texts
// point into the Lua stack.
struct Request {
  bool book_call = false;
  Engine engine = Engine::Application;
  const char *path = nullptr;  // null: `handle` is the book
  intptr_t handle = 0;
  SheetChoice choice = SheetChoice::First;
  lua_Integer sheet_index = 1;
  const char *sheet_name = nullptr;
  int64_t header_row = 1;
  int64_t key_column = 1;
  bool field_names = false;
  bool by_name = true;
  const char *error = nullptr;
};

// An optional argument given as nil takes its default, as an absent one does.
bool given(lua_State *L, int pos) { return present(L, pos) && api.lua_type(L, pos) != LUA_TNIL; }

// Excel_ReadSheet(book or path, sheet [, key column letters, header row, field names, use the file library])
// Excel_ReadBook(book or path [, key column letters, header row, sheets keyed by name, field names, use the file library])
Request read_request(lua_State *L, bool book_call) {
  Request r;
  r.book_call = book_call;
  const int extra = book_call ? 0 : 1;  // the sheet argument of Excel_ReadSheet
  if (given(L, 2 + extra)) {
    size_t n = 0;
    const char *letters = api.lua_type(L, 2 + extra) == LUA_TSTRING ? api.lua_tolstring(L, 2 + extra, &n) : "";
    r.key_column = office::column_number(letters, n);
  }
  // Rows beyond the sheet's last read nothing; the bound keeps row + 1 exact.
  if (given(L, 3 + extra)) r.header_row = std::clamp<int64_t>(integer_at(L, 3 + extra), -1, kMaxRows + 1);
  if (book_call && given(L, 4)) r.by_name = api.lua_toboolean(L, 4);
  r.field_names = given(L, 5) && api.lua_toboolean(L, 5);
  if (given(L, 6)) r.engine = api.lua_toboolean(L, 6) ? Engine::FileLibrary : Engine::Application;

  const int first = api.lua_type(L, 1);
  if (first == LUA_TNUMBER) {
    r.handle = static_cast<intptr_t>(integer_at(L, 1));
  } else if (first == LUA_TSTRING) {
    r.path = api.lua_tolstring(L, 1, nullptr);
  } else {
    r.error = "Param1 Datatype Error !";
    return r;
  }
  if (!book_call) {
    const int second = api.lua_type(L, 2);
    if (second == LUA_TNUMBER) {
      r.choice = SheetChoice::Index;
      r.sheet_index = integer_at(L, 2);
    } else if (second == LUA_TSTRING) {
      r.choice = SheetChoice::Name;
      r.sheet_name = api.lua_tolstring(L, 2, nullptr);
    } else if (second != LUA_TNIL && second != LUA_TNONE) {
      r.error = "Param2 Datatype Error !";
    }
  }
  return r;
}

// Everything a call holds, owned by the calling frame.
struct Job {
  explicit Job(const Request &request) : request(request) {}
  Job(const Job &) = delete;
  Job &operator=(const Job &) = delete;
  ~Job() { hold(0); }  // the sheet goes back before the source that handed it out

  // The sheet being read; the one held before is given back.
  void hold(SheetHandle next) {
    if (sheet && source) source->release(sheet);
    sheet = next;
  }

  const Request &request;
  std::unique_ptr<SheetSource> source;
  SheetHandle sheet = 0;
  FieldNames names;
  std::string text, sheet_name;
  const char *error = nullptr;  // the whole result is the error table
  int32_t columns = 0, rows = 0;  // the latest scan
};

// ---- scanning (no Lua) ----

// Header row and key column of one sheet: the column and row counts, and the
// field names when wanted. Null, or the message of the sheet's error table.
const char *scan(Job &job, SheetHandle sheet) {
  const Request &r = job.request;
  job.columns = job.rows = 0;
  job.names.reset();
  if (r.field_names && !job.names.create()) return "SMM Create Failed !";
  if (r.header_row >= 1 && r.header_row <= kMaxRows) {
    const auto row = static_cast<int32_t>(r.header_row);
    while (job.columns < kMaxColumns && job.source->cell(sheet, row, job.columns + 1, job.text)) {
      if (r.field_names && !job.names.append(job.text)) {
        job.names.reset();
        return "SMM Append Failed !";
      }
      ++job.columns;
    }
  }
  if (r.key_column >= 1 && r.key_column <= kMaxColumns) {
    const auto column = static_cast<int32_t>(r.key_column);
    for (int64_t row = r.header_row + 1; row >= 1 && row <= kMaxRows; ++row, ++job.rows)
      if (!job.source->cell(sheet, static_cast<int32_t>(row), column, job.text)) break;
  }
  return nullptr;
}

// ---- building (Lua, protected; nothing here has a destructor) ----

void push_error_table(lua_State *L, const Request &r, const char *message) {
  push_new_table_or_raise(L, TableKind::Record);
  TableWriter t(L);
  t.set("Success", false);
  t.set("LastError", message);
  if (r.book_call) {
    push_new_table_or_raise(L, r.by_name ? TableKind::Record : TableKind::List);
    t.set_top("Sheets");
    t.set("SheetCount", 0);
  } else {
    push_new_table_or_raise(L, TableKind::List);
    t.set_top("Data");
    t.set("ColCount", 0);
    t.set("RowCount", 0);
  }
}

// One sheet's result table on top: counts, Data, maps, Success.
void push_sheet(lua_State *L, Job &job, SheetHandle sheet) {
  if (const char *failed = scan(job, sheet)) return push_error_table(L, job.request, failed);
  const bool named = job.request.field_names;
  const int32_t columns = job.columns, rows = job.rows;
  push_new_table_or_raise(L, TableKind::Record);
  TableWriter result(L);
  result.set("ColCount", columns);
  result.set("RowCount", rows);
  push_new_table_or_raise(L, TableKind::List);
  if (rows < 1 || columns < 1) {
    result.set_top("Data");
    return;
  }
  TableWriter data(L);
  const auto first_row = static_cast<int32_t>(job.request.header_row + 1);
  for (int32_t r = 0; r < rows; ++r) {
    push_new_table_or_raise(L, named ? TableKind::Record : TableKind::List);
    TableWriter row(L);
    for (int32_t c = 1; c <= columns; ++c) {
      const char *text = job.source->cell(sheet, first_row + r, c, job.text) ? job.text.c_str() : "";
      if (named)
        row.set(job.names.at(c), text);
      else
        row.add(text);
    }
    data.add_top();
  }
  result.set_top("Data");
  if (named) {
    push_new_table_or_raise(L, TableKind::Record);
    TableWriter fields(L);
    for (int32_t c = 1; c <= columns; ++c) fields.set(job.names.at(c), c);
    result.set_top("MapField");
    push_new_table_or_raise(L, TableKind::List);
    TableWriter index(L);
    for (int32_t c = 1; c <= columns; ++c) index.add(job.names.at(c));
    result.set_top("MapIndex");
  }
  job.names.reset();
  result.set("Success", true);
  result.set("LastError", "");
}

void push_book(lua_State *L, Job &job) {
  const bool by_name = job.request.by_name;
  push_new_table_or_raise(L, TableKind::Record);
  TableWriter result(L);
  push_new_table_or_raise(L, by_name ? TableKind::Record : TableKind::List);
  int32_t count = job.source->sheet_count();
  if (count < 0) count = 0;
  for (int32_t i = 1; i <= count; ++i) {
    const bool has_name = job.source->sheet_name(i, job.sheet_name);
    job.hold(job.source->sheet_at(i));
    push_sheet(L, job, job.sheet);
    job.hold(0);
    TableWriter sheet(L);
    sheet.set("SheetIndex", i);
    sheet.set("SheetName", has_name ? job.sheet_name.c_str() : "");
    // A sheet whose name cannot be read is keyed by its number.
    if (by_name && has_name)
      api.lua_pushstring(L, job.sheet_name.c_str());
    else
      api.lua_pushinteger(L, i);
    api.lua_rotate(L, -2, 1);
    api.lua_settable(L, -3);
  }
  result.set_top("Sheets");
  result.set("SheetCount", count);
  result.set("Success", true);
  result.set("LastError", "");
}

int build(lua_State *L) {
  Job &job = *static_cast<Job *>(api.lua_touserdata(L, 1));
  api.lua_settop(L, 0);
  if (job.error)
    push_error_table(L, job.request, job.error);
  else if (job.request.book_call)
    push_book(L, job);
  else
    push_sheet(L, job, job.sheet);
  return 1;
}

// ---- the calls ----

// Opens the book and, for one sheet, chooses it; the failure, if any, goes
// into job.error.
void open(Job &job) {
  const Request &r = job.request;
  if ((job.error = r.error)) return;
  if (r.path)
    job.source = office::open_book(r.engine, WideArg<kCodePageU>(r.path));
  else
    job.source = office::open_book(r.engine, r.handle);
  if (!job.source || !job.source->has_book()) {
    job.error = "GetBook Failed !";
    return;
  }
  if (r.book_call) return;
  if (r.choice == SheetChoice::Name)
    job.hold(job.source->sheet_named(WideArg<kCodePageU>(r.sheet_name)));
  else if (r.choice == SheetChoice::First)
    job.hold(job.source->sheet_at(1));
  else
    job.hold(job.source->sheet_at(static_cast<int32_t>(std::clamp<lua_Integer>(r.sheet_index, 0, INT32_MAX))));
  if (!job.sheet) job.error = "GetSheet Failed !";
}

int read(lua_State *L, bool book_call) {
  if (!count_ok(L, book_call ? 1 : 2, 6)) return param_count_error(L);
  const Request request = read_request(L, book_call);
  int status;
  {
    Job job(request);
    open(job);
    api.lua_pushcclosure(L, build, 0);
    api.lua_pushlightuserdata(L, &job);
    status = api.lua_pcallk(L, 1, 1, 0, 0, nullptr);
  }
  if (status != LUA_OK) return api.lua_error(L);
  return 1;
}

int read_sheet(lua_State *L) { return read(L, false); }
int read_book(lua_State *L) { return read(L, true); }

const luaL_Reg kSheetReadFunctions[] = {
    // Excel_ReadSheet(book or path, sheet [, key column, header row, field names, use the file library]): one sheet
    // as a record table (counts, Data, maps, Success).
    {"Excel_ReadSheet", read_sheet},
    // Excel_ReadBook(book or path [, key column, header row, sheets keyed by name, field names, use the file
    // library]): every sheet of the book as such a record.
    {"Excel_ReadBook", read_book},
};
const LuaFamily sheetread_family(kSheetReadFunctions);

}  // namespace
}  // namespace tarvo::lua
