// The test object model as an in-process server.
#include "server.hpp"
#include "test_model.hpp"

std::span<standin::ServedClass> standin::served_classes() {
  static ServedClass classes[] = {{&test_model::kInprocClsid, ClassFactory(test_model::create_application)}};
  return classes;
}
