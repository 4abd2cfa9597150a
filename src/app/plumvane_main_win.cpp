// plumvane.exe: the main window over the real Windows API and the process's
// disk table. No command line; the program ends when the window is unloaded.
#include "inventory/DiskTable.h"
#include "platform/NativeWindows.h"
#include "platform/SystemLibrary.h"
#include "ui/Win32Toolkit.h"
#include "ui/frmMain.h"

int main() {
    using namespace plumvane;
    platform::RestrictDllSearchToSystemFolder();
    platform::NativeWindows api;
    ui::Win32Toolkit toolkit;
    ui::frmMain form(toolkit, api, inventory::ProcessDiskInventory());
    if (!ui::Succeeded(form.Start())) return 1;
    return toolkit.RunMessageLoop();
}
