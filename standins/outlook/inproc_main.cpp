// The stand-in mail client in-process.
#include "objects.hpp"
#include "outlook_standin.hpp"
#include "server.hpp"

std::span<standin::ServedClass> standin::served_classes() {
  static ServedClass classes[] = {{&outlook::kOutlookClsid, ClassFactory(outlook::create_outlook)}};
  return classes;
}
