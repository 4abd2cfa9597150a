// The caption of a row, read back on a click for the drive to write to. The
// input is read as a whole caption, and as the text a row shows after its
// number (a device's description, the size, the letters).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "ui/frmMain.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using plumvane::ui::frmMain;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    // Only a caption of the program's own form names a drive.
    const std::int32_t number = frmMain::DiskNumberFromCaption(text);
    FUZZ_CHECK(number == -1 || (number >= 0 && text.starts_with("Disk ")));

    // Whatever a device puts in its description, a click on its row goes to
    // that row's drive.
    const std::int32_t drive = static_cast<std::int32_t>(size % 100);
    const std::string caption = "Disk " + std::to_string(drive) + ":  " + std::string(text);
    FUZZ_CHECK(frmMain::DiskNumberFromCaption(caption) == drive);
    return 0;
}
