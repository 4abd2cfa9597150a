#pragma once
// DLLs from the Windows system folder only (Windows builds only).
//
// The program may run elevated and may be started from a Downloads folder, so
// a DLL planted beside it must never be loaded. The executables import only
// DLLs that Windows always takes from the system folder (and common controls,
// which the manifest binds); any other DLL is loaded at run time through
// SystemLibrary.

namespace plumvane::platform {

// Removes the program's folder and the current directory from the DLL search
// of the process. The first call of every Windows entry point.
void RestrictDllSearchToSystemFolder();

// A DLL loaded from the system folder and nowhere else, freed with its owner.
class SystemLibrary {
public:
    // fileName: a bare file name such as L"uxtheme.dll".
    explicit SystemLibrary(const wchar_t* fileName);
    ~SystemLibrary();
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;

    [[nodiscard]] bool loaded() const noexcept { return module_ != nullptr; }

    // The exported function as FunctionPointer; null when the DLL or the
    // function is missing.
    template <typename FunctionPointer>
    [[nodiscard]] FunctionPointer Find(const char* name) const {
        return reinterpret_cast<FunctionPointer>(FindExport(name));
    }

private:
    using AnyFunction = void (*)();
    AnyFunction FindExport(const char* name) const;

    void* module_ = nullptr;  // HMODULE
};

}  // namespace plumvane::platform
