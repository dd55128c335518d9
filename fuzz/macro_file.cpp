// The macro file loader and the list reader on arbitrary bytes.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "macro/macro_files.h"
#include "platform/file_io.h"
#include "profile/default_data.h"
#include "profile/json_file_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    Json::Value document;
    if (profile::ParseJsonText(text, document)) {
        macro::ParseMacroEvents(document);
    }
    static const std::string folder = [] {
        char pattern[] = "/tmp/qx70-fuzz-macro-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        return made != nullptr ? std::string(made) + "/" : std::string("/tmp/");
    }();
    macro::MacroFiles files(folder);
    platform::WriteFileAtomically(files.ListPath(), text);
    files.Names();
    for (int i = 0; i < files.Count() && i < 4; ++i) {
        files.MacroPath(i);
        files.Load(i);
    }
    return 0;
}
