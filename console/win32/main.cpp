// KTRVtest for Windows: the PC-side confidence test console for a KTRV
// device behind a VekX terminal. One window; the program ends when it
// closes. VEKXAPI.dll is loaded from beside the executable at the first
// library call.
#include <windows.h>

#include "library_loader.h"
#include "window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  ktrv::win32::DllLoader loader;
  ktrv::BoundLibrary library(loader);
  ktrv::win32::MainWindow window(instance, library);
  if (!window.created()) return 1;
  window.show(showCommand);
  return window.run();
}
