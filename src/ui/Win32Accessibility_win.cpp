// The Win32 toolkit's names for screen readers. A check box of the list draws
// no text, so its window text would be its name only if the box showed it.
// The name is put on the box by direct annotation instead (the accessibility
// property service, from Windows XP on): readers see it, the screen does not.
// Where the service is missing or refuses (Wine answers E_NOTIMPL), the box
// keeps no name there; the toolkit still holds it.

#include "ui/Win32ToolkitImpl_win.h"
// after windows.h; defines the service's class, interface and property ids here
#include <initguid.h>
#include <oleacc.h>

namespace plumvane::ui {

namespace {

// The service is a COM object: its apartment is joined for as long as the
// toolkit lives, and left again only when this joined it.
class ComApartment {
public:
    ComApartment() : joined_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (joined_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool joined_;
};

}  // namespace

struct Win32Toolkit::Impl::Annotations {
    // Declared first: the service is released before the apartment is left.
    ComApartment apartment;
    struct Release {
        void operator()(IAccPropServices* p) const { p->Release(); }
    };
    std::unique_ptr<IAccPropServices, Release> service;

    Annotations() {
        IAccPropServices* p = nullptr;
        // The class is registered with its full path in the system folder,
        // so no DLL is searched for in the program's folder.
        if (SUCCEEDED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_IAccPropServices, reinterpret_cast<void**>(&p))) &&
            p) {
            service.reset(p);
        }
    }
};

void Win32Toolkit::Impl::DropAnnotations::operator()(Annotations* a) const { delete a; }

void Win32Toolkit::Impl::Annotate(HWND h, const std::string& name) {
    if (!annotations) annotations.reset(new Annotations());
    IAccPropServices* s = annotations->service.get();
    if (!s) return;
    MSAAPROPID property = PROPID_ACC_NAME;
    if (name.empty()) {
        s->ClearHwndProps(h, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &property, 1);
    } else {
        s->SetHwndPropStr(h, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, property,
                          platform::Utf8ToWide(name).c_str());
    }
}

void Win32Toolkit::Impl::ForgetAnnotation(HWND h) {
    // Only a toolkit that annotated has anything to forget.
    if (annotations && annotations->service) {
        MSAAPROPID property = PROPID_ACC_NAME;
        annotations->service->ClearHwndProps(h, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                             &property, 1);
    }
}

bool Win32Toolkit::RenameForReaders(const ControlRecord& c, const std::string& name) {
    // A name the system cannot take is no failure of the box: it works as before.
    impl_->Annotate(ToHwnd(c.hwnd), name);
    return true;
}

}  // namespace plumvane::ui
