// The automation objects of the stand-in GUI, views on the tree of
// screen.hpp: every engine, connection, session, window and element is an
// Element answering the members of its kind; Children collections count
// from 0; scroll bars are objects of their own.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace standin::sap {

// A new engine with the default screen, asked for `iid` (the in-process
// "Sapgui.ScriptingCtrl.1").
HRESULT create_engine(REFIID iid, void **out);

// The running GUI of the server program: answers GetScriptingEngine with the
// one engine of this process, has the control members, and `_Quit()`, which
// calls `quit`.
IDispatch *new_running_gui(void (*quit)());

}  // namespace standin::sap
