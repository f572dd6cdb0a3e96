// The base of a stand-in application's objects: each is a view on the
// application's state, shared by every object the application handed out,
// and answers while the application runs (until Quit).
#pragma once

#include "dispatch_object.hpp"

#include <memory>

namespace standin {

// `App` has a flag `quit`, set by Quit.
template <class App>
class AppView : public Object {
 public:
  explicit AppView(std::shared_ptr<App> app) : app_(std::move(app)) {}
  HRESULT usable() const override { return app_->quit ? RPC_E_DISCONNECTED : S_OK; }

 protected:
  std::shared_ptr<App> app_;
};

}  // namespace standin
