#include "values.hpp"

#include "journal.hpp"

#include <cstring>

namespace htmlengine {
namespace {

constexpr UINT kIncompatible = 1;  // the status of a read of the wrong type

struct TextBlock {
  const wchar_t *chars;
  UINT count;
  void *pages;             // the guarded allocation, or null
  std::wstring storage;    // the terminated copy otherwise
};

TextBlock *block_of(const Value &value) { return reinterpret_cast<TextBlock *>(static_cast<uintptr_t>(value.data)); }

TextBlock *unterminated(const wchar_t *text, size_t count) {
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  const size_t page = info.dwPageSize, bytes = count * sizeof(wchar_t);
  const size_t readable = (bytes + page - 1) / page * page + (bytes == 0 ? page : 0);
  auto *base = static_cast<char *>(VirtualAlloc(nullptr, readable + page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  if (!base) return nullptr;
  DWORD old = 0;
  VirtualProtect(base + readable, page, PAGE_NOACCESS, &old);
  auto *chars = reinterpret_cast<wchar_t *>(base + readable - bytes);
  std::memcpy(chars, text, bytes);
  return new TextBlock{chars, static_cast<UINT>(count), base, {}};
}

}  // namespace

void clear(Value &value) {
  if (value.type == tarvo::html::kText) {
    TextBlock *block = block_of(value);
    if (block && block->pages) VirtualFree(block->pages, 0, MEM_RELEASE);
    delete block;
  }
  value = {};
}

void set_text(Value &value, const wchar_t *chars, size_t count, bool terminated) {
  TextBlock *block = value.type == tarvo::html::kText ? block_of(value) : nullptr;
  if (terminated && block && !block->pages) {
    block->storage.assign(chars, count);
  } else {
    clear(value);
    block = terminated ? new TextBlock{nullptr, 0, nullptr, std::wstring(chars, count)} : unterminated(chars, count);
    if (!block) return;
    value.type = tarvo::html::kText;
    value.data = reinterpret_cast<uintptr_t>(block);
  }
  if (terminated) block->chars = block->storage.c_str();
  block->count = static_cast<UINT>(count);
}

void set_integer(Value &value, int number, uint32_t type) {
  clear(value);
  value.type = type;
  value.data = static_cast<uint32_t>(number);
}

std::string describe(const Value &value) {
  switch (value.type) {
    case tarvo::html::kUndefined: return "undefined";
    case tarvo::html::kNull: return "null";
    case tarvo::html::kBoolean: return "bool:" + std::to_string(static_cast<int>(value.data));
    case tarvo::html::kInteger: return "int:" + std::to_string(static_cast<int>(value.data));
    case tarvo::html::kText: {
      const TextBlock *block = block_of(value);
      return "text:" + escaped(utf8(block->chars, block->count));
    }
    default: return "type:" + std::to_string(value.type);
  }
}

UINT WINAPI get_text_slot(const Value *value, const wchar_t **chars, UINT *count) {
  if (!value || value->type != tarvo::html::kText || !chars || !count) return kIncompatible;
  const TextBlock *block = block_of(*value);
  *chars = block->chars;
  *count = block->count;
  return 0;
}

UINT WINAPI set_text_slot(Value *value, const wchar_t *chars, UINT count, UINT) {
  if (!value) return kIncompatible;
  set_text(*value, chars ? chars : L"", chars ? count : 0, true);
  return 0;
}

UINT WINAPI get_integer_slot(const Value *value, INT *out) {
  if (!value || !out || (value->type != tarvo::html::kInteger && value->type != tarvo::html::kBoolean))
    return kIncompatible;
  *out = static_cast<INT>(value->data);
  return 0;
}

UINT WINAPI set_integer_slot(Value *value, INT number, UINT type, UINT) {
  if (!value) return kIncompatible;
  set_integer(*value, number, type);
  return 0;
}

}  // namespace htmlengine
