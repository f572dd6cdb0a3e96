// The result and parameter types of a function, for the templates that turn
// one table row into a call (the Lua functions, the page functions).
#pragma once

#include <tuple>

namespace tarvo {

template <class F>
struct Signature;
template <class R, class... P>
struct Signature<R (*)(P...)> {
  using Result = R;
  using Params = std::tuple<P...>;
};
template <class R, class... P>
struct Signature<R (*)(P...) noexcept> : Signature<R (*)(P...)> {};

}  // namespace tarvo
