// The stand-in GUI in-process: "Sapgui.ScriptingCtrl.1", an engine per object.
#include "objects.hpp"
#include "sap_standin.hpp"
#include "server.hpp"

std::span<standin::ServedClass> standin::served_classes() {
  static ServedClass classes[] = {{&sap::kScriptingClsid, ClassFactory(sap::create_engine)}};
  return classes;
}
