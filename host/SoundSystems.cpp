#include "host/SoundSystems.h"

#include <jack/jack.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace tolvane {

namespace {

constexpr const char* kSequencerDevice = "/dev/snd/seq";
constexpr const char* kSoundDevices = "/dev/snd";

bool AnySoundCard() {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(kSoundDevices, ec)) {
        if (entry.path().filename().string().starts_with("controlC")) return true;
    }
    return false;
}

bool PulseServerThere() {
    if (std::getenv("PULSE_SERVER")) return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code ec;
    return runtime && std::filesystem::exists(std::filesystem::path(runtime) / "pulse" / "native", ec);
}

void Silent(const char*) {}

bool JackServerAnswers() {
    // libjack reports a missing server through these functions, from any of
    // its threads; the program says what matters itself, so they stay quiet.
    jack_set_error_function(Silent);
    jack_set_info_function(Silent);
    const std::string name = "tolvane-probe-" + std::to_string(getpid());
    jack_status_t status{};
    jack_client_t* client = jack_client_open(name.c_str(), JackNoStartServer, &status);
    if (client) jack_client_close(client);
    return client != nullptr;
}

} // namespace

SoundSystems ProbeSoundSystems(bool askJack) {
    SoundSystems found;
    found.alsaSequencer = access(kSequencerDevice, R_OK | W_OK) == 0;
    found.alsaCards = AnySoundCard();
    found.pulse = PulseServerThere();
    found.jack = askJack && JackServerAnswers();
    return found;
}

std::string DescribeMidiSystems(const SoundSystems& systems) {
    std::string text;
    if (systems.alsaSequencer) text = "ALSA sequencer";
    if (systems.jack) text += text.empty() ? "JACK" : ", JACK";
    return text.empty() ? "none" : text;
}

} // namespace tolvane
