#include "host/PortNames.h"

#include <algorithm>
#include <cctype>

namespace tolvane {

namespace {

bool AllDigits(const std::string& s, std::size_t from, std::size_t to) {
    if (from >= to) return false;
    for (std::size_t i = from; i < to; ++i)
        if (!std::isdigit(static_cast<unsigned char>(s[i]))) return false;
    return true;
}

// " 128:0" at the end of an ALSA sequencer port name.
void StripAlsaNumbers(std::string& name) {
    const std::size_t space = name.rfind(' ');
    if (space == std::string::npos) return;
    const std::size_t colon = name.find(':', space);
    if (colon == std::string::npos) return;
    if (AllDigits(name, space + 1, colon) && AllDigits(name, colon + 1, name.size())) name.resize(space);
}

} // namespace

std::string PortStem(const std::string& name) {
    std::string stem = name;
    StripAlsaNumbers(stem);
    const std::size_t colon = stem.find(':');
    if (colon == std::string::npos) return stem;
    std::string client = stem.substr(0, colon);
    // "-NN", as often as it was added.
    while (client.size() > 3 && client[client.size() - 3] == '-' &&
           AllDigits(client, client.size() - 2, client.size()))
        client.resize(client.size() - 3);
    return client + stem.substr(colon);
}

std::string FindReturnedPort(const std::vector<std::string>& listed, const std::string& remembered) {
    if (std::find(listed.begin(), listed.end(), remembered) != listed.end()) return remembered;
    const std::string stem = PortStem(remembered);
    for (const std::string& name : listed)
        if (PortStem(name) == stem) return name;
    return {};
}

} // namespace tolvane
