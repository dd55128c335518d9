// Fuzzes image strings: any text parses, and the pieces laid out from it stay
// inside the picture and the control at every scale a window accepts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "pages/image_string.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const pages::ImageString parsed =
        pages::ParseImageString(std::string_view(reinterpret_cast<const char*>(data), size));
    if (parsed.fade < 0 || parsed.fade > 255)
        std::abort();
    const pages::IntRect control{-20, 5, 300, 90};
    for (int dpi : {48, 96, 144, 192}) {
        for (const pages::ImagePiece& piece : pages::LayoutImage(parsed, control, 64, 32, dpi)) {
            const pages::IntRect& s = piece.source;
            const pages::IntRect& d = piece.dest;
            if (s.IsEmpty() || s.left < 0 || s.top < 0 || s.right > 64 || s.bottom > 32) {
                std::abort();
            }
            if (d.IsEmpty() || d.left < control.left || d.top < control.top ||
                d.right > control.right || d.bottom > control.bottom) {
                std::abort();
            }
        }
    }
    return 0;
}
