// Argument values taken from a C argument list, and the conversions every
// argument source shares.
#pragma once

#include "disphelper.h"

namespace tarvo::disp::detail {

// The letters that take a value ('m' takes none and is handled by the parser).
bool is_value_letter(wchar_t letter);

// Text into a new BSTR; null gives a null BSTR. `owned` is set for a new string.
HRESULT wide_to_slot(const wchar_t *text, VARIANT &slot, bool &owned);
HRESULT ansi_to_slot(const char *text, VARIANT &slot, bool &owned);
HRESULT date_to_slot(DATE d, VARIANT &slot);
HRESULT time_to_slot(time_t t, VARIANT &slot);

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
