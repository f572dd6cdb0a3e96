// The stand-in word processor in-process.
#include "objects.hpp"
#include "server.hpp"
#include "word_standin.hpp"

std::span<standin::ServedClass> standin::served_classes() {
  static ServedClass classes[] = {{&word::kWordClsid, ClassFactory(word::create_word)}};
  return classes;
}
