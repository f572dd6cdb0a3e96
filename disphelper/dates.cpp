// Conversions between the platform's time forms and the automation DATE
// (days since 30 December 1899, with the OLE encoding of times before it).
#include "disphelper.h"

#include <cmath>
#include <cstdint>

namespace tarvo::disp {
namespace {

constexpr int64_t kTicksPerDay = 864000000000;      // 100 ns units
constexpr int64_t kTicksAtDateZero = 94353120000000000;  // 1899-12-30 as FILETIME
constexpr uint64_t kTicksAtYear10000 = 2650467744000000000ull;
constexpr double kDateAtYear1601 = -109205.0;
constexpr double kDateAtYear10000 = 2958466.0;
constexpr double kDateAtUnixEpoch = 25569.0;
constexpr int64_t kSecondsAtYear10000 = 253402300800;
constexpr int64_t kSecondsPerDay = 86400;

// The seconds the local clock is ahead of UTC at `t`.
bool local_offset(time_t t, time_t *offset) {
  struct tm local {}, utc {};
  if (localtime_s(&local, &t) != 0 || gmtime_s(&utc, &t) != 0) return false;
  local.tm_isdst = 0;
  utc.tm_isdst = 0;
  const time_t a = mktime(&local), b = mktime(&utc);
  if (a == -1 || b == -1) return false;
  *offset = a - b;
  return true;
}

}  // namespace

HRESULT FileTimeToDate(const FILETIME &ft, DATE *out) {
  const uint64_t raw = (uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  if (raw >= kTicksAtYear10000) return E_INVALIDARG;  // checked before rounding: no wrap-around
  const uint64_t ticks = raw + 500;
  if (ticks >= kTicksAtYear10000) return E_INVALIDARG;
  double d = double(int64_t(ticks) - kTicksAtDateZero) / double(kTicksPerDay);
  if (d < 0) {
    const double day = std::floor(d);
    d = day + (day - d);
  }
  *out = d;
  return S_OK;
}

HRESULT DateToFileTime(DATE d, FILETIME *out) {
  if (d < 0) {
    const double day = std::ceil(d);
    d = day + (day - d);
  }
  // NaN, infinities and dates past the FILETIME range fail here: converting
  // them to an integer would be undefined.
  if (!(d >= kDateAtYear1601 && d < kDateAtYear10000)) return E_INVALIDARG;
  const uint64_t ticks = uint64_t(d * double(kTicksPerDay) + double(kTicksAtDateZero));
  out->dwLowDateTime = DWORD(ticks);
  out->dwHighDateTime = DWORD(ticks >> 32);
  return S_OK;
}

HRESULT SystemTimeToDate(const SYSTEMTIME &st, DATE *out) {
  FILETIME ft;
  if (!SystemTimeToFileTime(&st, &ft)) return HRESULT_FROM_WIN32(GetLastError());
  return FileTimeToDate(ft, out);
}

HRESULT DateToSystemTime(DATE d, SYSTEMTIME *out) {
  FILETIME ft;
  HRESULT hr = DateToFileTime(d, &ft);
  if (FAILED(hr)) return hr;
  if (!FileTimeToSystemTime(&ft, out)) return HRESULT_FROM_WIN32(GetLastError());
  return S_OK;
}

HRESULT TimeToDate(time_t t, DATE *out) {
  time_t offset = 0;
  if (!local_offset(t, &offset)) return E_INVALIDARG;
  const int64_t seconds = int64_t(t) + int64_t(offset);
  if (seconds >= kSecondsAtYear10000) return E_INVALIDARG;
  *out = double(seconds) / double(kSecondsPerDay) + kDateAtUnixEpoch;
  return S_OK;
}

HRESULT DateToTime(DATE d, time_t *out) {
  if (!(d >= kDateAtUnixEpoch)) return E_INVALIDARG;  // NaN fails too
  const double secs = (d - kDateAtUnixEpoch) * double(kSecondsPerDay) + 0.5;
  if (secs >= 9.0e18) return E_FAIL;  // beyond what the runtime can break down
  const time_t seconds = time_t(secs);
  struct tm wall {};
  if (gmtime_s(&wall, &seconds) != 0) return E_FAIL;
  wall.tm_isdst = -1;
  const time_t t = mktime(&wall);
  if (t == -1) return E_FAIL;
  *out = t;
  return S_OK;
}

}  // namespace tarvo::disp
