// The profile (ini) file reader. Whatever it reads, writing it out and reading
// that again must give the same text.

#include "host/ProfileFile.h"

#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tolvane::ProfileFile profile;
    profile.FromText(std::string(reinterpret_cast<const char*>(data), size));
    profile.Get("midi", "indev", "no input");
    profile.Has("AUDIO", "Buffer");
    const std::string once = profile.ToText();
    tolvane::ProfileFile again;
    again.FromText(once);
    if (again.ToText() != once) {
        std::fprintf(stderr, "profile: writing what was read does not read back the same\n");
        std::abort();
    }
    return 0;
}
