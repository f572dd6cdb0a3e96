// A DLL that is not a class server: it has no DllGetClassObject.
#include <windows.h>

extern "C" __declspec(dllexport) int OpStandinBare() { return 1; }
