// The stand-in presentation program in-process.
#include "objects.hpp"
#include "ppt_standin.hpp"
#include "server.hpp"

std::span<standin::ServedClass> standin::served_classes() {
  static ServedClass classes[] = {{&ppt::kPptClsid, ClassFactory(ppt::create_application)}};
  return classes;
}
