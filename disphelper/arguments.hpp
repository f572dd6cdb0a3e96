// Argument values taken from a C argument list, and the conversions every
// argument source shares.
#pragma once

#include "disphelper.h"

#include <cstdint>

namespace tarvo::disp::detail {

// The letters that take a value ('m' takes none and is handled by the parser).
bool is_value_letter(wchar_t letter);

// ANSI text into a new BSTR; null gives a null BSTR.
HRESULT ansi_to_slot(const char *text, VARIANT &slot, bool &owned);

class VaListSource final : public ArgumentSource {
 public:
  explicit VaListSource(va_list args) { va_copy(args_, args); }
  ~VaListSource() override { va_end(args_); }
  VaListSource(const VaListSource &) = delete;
  VaListSource &operator=(const VaListSource &) = delete;
  HRESULT convert(wchar_t letter, VARIANT &slot, bool &owned) override;

 private:
  va_list args_;
};

}  // namespace tarvo::disp::detail
