// Walking a member expression and invoking its members.
#include "arguments.hpp"
#include "com_ref.hpp"
#include "operation.hpp"

#include <cwchar>

namespace tarvo::disp {
namespace {

// The arguments of one invocation. Strings the layer allocated are freed
// when the array goes, whatever the outcome of the call.
struct ArgumentArray {
  VARIANT slots[kMaxArguments];
  bool owned[kMaxArguments];  // meaningful for the filled slots only
  int count = 0;
  ~ArgumentArray() {
    for (int i = kMaxArguments - count; i < kMaxArguments; ++i)
      if (owned[i]) VariantClear(&slots[i]);
  }
  VARIANT *first() { return slots + (kMaxArguments - count); }
};

// The expression copy that parsing cuts up; fixed size so that a call does
// not allocate.
struct ExpressionBuffer {
  wchar_t text[kMaxExpression + 1];
  bool assign(const wchar_t *expression) {
    for (size_t i = 0; i <= kMaxExpression; ++i)
      if ((text[i] = expression[i]) == L'\0') return true;
    return false;
  }
};

}  // namespace

HRESULT InvokeArray(WORD kind, VARIANT *result, int count, IDispatch *object,
                    const wchar_t *member, VARIANT *args) {
  detail::Operation op(L"InvokeArray", member);
  if (!object || !member || !*member || count < 0 || count > kMaxArguments || (count && !args))
    return op.finish(E_INVALIDARG, {member});

  DISPID id = DISPID_UNKNOWN;
  LPOLESTR name = const_cast<LPOLESTR>(member);
  HRESULT hr = object->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return op.finish(hr, {member, true});

  if (result) result->vt = VT_EMPTY;  // what VariantInit does, without the call
  DISPID put_id = DISPID_PROPERTYPUT;
  DISPPARAMS params{args, nullptr, static_cast<UINT>(count), 0};
  if ((kind & DISPATCH_PROPERTYPUT) && count > 0) {
    // The assigned value is the expression's last argument, slot 0.
    params.rgdispidNamedArgs = &put_id;
    params.cNamedArgs = 1;
  }
  EXCEPINFO info{};
  UINT arg_error = 0;
  hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, result, &info, &arg_error);
  return op.finish(hr, {member, true, &info, arg_error});
}

HRESULT InternalInvokeV(WORD kind, VARTYPE wanted, VARIANT *result, IDispatch *object,
                        wchar_t *segment, ArgumentSource &args) {
  detail::Operation op(L"InternalInvokeV", segment);
  if (!object || !segment) return op.invalid();
  ArgumentArray array;
  HRESULT hr = CreateArgumentArray(segment, array.slots, array.owned, &array.count, args);
  if (FAILED(hr)) return op.finish(hr, {segment});
  hr = InvokeArray(kind, result, array.count, object, segment, array.first());
  if (FAILED(hr) || !result) return op.finish(hr, {segment});
  if (wanted != VT_EMPTY && result->vt != wanted) {
    hr = VariantChangeType(result, result, VARIANT_LOCALBOOL, wanted);
    if (FAILED(hr)) VariantClear(result);
  }
  return op.finish(hr, {segment});
}

HRESULT TraverseSubObjects(IDispatch **object, wchar_t **expression, ArgumentSource &args) {
  detail::Operation op(L"TraverseSubObjects", expression ? *expression : nullptr);
  if (!object || !*object || !expression || !*expression) return op.invalid();
  wchar_t *rest = *expression;
  if (*rest == L'.') ++rest;
  // The caller's reference keeps the start object alive during the walk;
  // every object reached is held here until the next one replaces it.
  IDispatch *start = *object;
  com::Ref<IDispatch> reached;
  *object = nullptr;
  HRESULT hr = S_OK;
  for (wchar_t *dot; (dot = std::wcschr(rest, L'.')) != nullptr; rest = dot + 1) {
    *dot = L'\0';
    com::Variant next;
    hr = InternalInvokeV(kMethodOrGet, VT_DISPATCH, next.get(), reached ? reached.get() : start, rest, args);
    if (SUCCEEDED(hr) && !next->pdispVal) hr = E_NOINTERFACE;
    if (FAILED(hr)) return op.finish(hr, {rest});
    reached = com::Ref<IDispatch>::adopt(next.detach().pdispVal);
  }
  if (!reached) reached = com::Ref<IDispatch>::share(start);
  *object = reached.detach();
  *expression = rest;
  return op.finish(hr);
}

namespace {

HRESULT invoke_expression(detail::Operation &op, WORD kind, VARTYPE wanted, VARIANT *result,
                          IDispatch *object, const wchar_t *expression, ArgumentSource &args) {
  if (!object || !expression) return op.invalid();
  ExpressionBuffer buffer;
  if (!buffer.assign(expression)) return op.invalid();
  wchar_t *segment = buffer.text;
  IDispatch *reached = object;
  HRESULT hr = TraverseSubObjects(&reached, &segment, args);
  if (FAILED(hr)) return op.finish(hr);
  auto last = com::Ref<IDispatch>::adopt(reached);
  return op.finish(InternalInvokeV(kind, wanted, result, last.get(), segment, args));
}

}  // namespace

HRESULT InvokeV(WORD kind, VARTYPE wanted, VARIANT *result, IDispatch *object,
                const wchar_t *expression, ArgumentSource &args) {
  detail::Operation op(L"InvokeV", expression);
  return invoke_expression(op, kind, wanted, result, object, expression, args);
}

HRESULT InvokeV(WORD kind, VARTYPE wanted, VARIANT *result, IDispatch *object,
                const wchar_t *expression, va_list args) {
  detail::VaListSource source(args);
  return InvokeV(kind, wanted, result, object, expression, source);
}

// ---- CallMethod and PutValue ----

namespace {

HRESULT call_or_put(const wchar_t *name, WORD kind, IDispatch *object, const wchar_t *expression,
                    ArgumentSource &args) {
  detail::Operation op(name, expression);
  return op.finish(InvokeV(kind, VT_EMPTY, nullptr, object, expression, args));
}

}  // namespace

HRESULT CallMethodV(IDispatch *object, const wchar_t *expression, ArgumentSource &args) {
  return call_or_put(L"CallMethodV", kMethod, object, expression, args);
}

HRESULT CallMethodV(IDispatch *object, const wchar_t *expression, va_list args) {
  detail::VaListSource source(args);
  return CallMethodV(object, expression, source);
}

HRESULT CallMethod(IDispatch *object, const wchar_t *expression, ...) {
  detail::Operation op(L"CallMethod", expression);
  va_list args;
  va_start(args, expression);
  HRESULT hr = CallMethodV(object, expression, args);
  va_end(args);
  return op.finish(hr);
}

HRESULT PutValueV(IDispatch *object, const wchar_t *expression, va_list args) {
  detail::VaListSource source(args);
  return call_or_put(L"PutValueV", kPropertyPut, object, expression, source);
}

HRESULT PutValue(IDispatch *object, const wchar_t *expression, ArgumentSource &args) {
  return call_or_put(L"PutValue", kPropertyPut, object, expression, args);
}

HRESULT PutValue(IDispatch *object, const wchar_t *expression, ...) {
  detail::Operation op(L"PutValue", expression);
  va_list args;
  va_start(args, expression);
  HRESULT hr = PutValueV(object, expression, args);
  va_end(args);
  return op.finish(hr);
}

}  // namespace tarvo::disp
