#pragma once
// Which of the system's MIDI and audio services are there, found without
// asking the libraries: they print errors for a service that is missing,
// which a user can do nothing about. The ALSA sequencer is there when its
// device can be opened; ALSA sound cards when a card's control device is;
// a PulseAudio (or PipeWire) server when its socket is, or a server is named;
// JACK when a server answers a client that does not start one.

#include <string>

namespace tolvane {

struct SoundSystems {
    bool alsaSequencer = false;
    bool alsaCards = false;
    bool pulse = false;
    bool jack = false;
};

// Looks now; quietly. Asking JACK opens and closes a client, so a caller
// that opens its own may leave it out.
SoundSystems ProbeSoundSystems(bool askJack = true);

// "ALSA sequencer, JACK", "ALSA sequencer", "JACK" or "none".
std::string DescribeMidiSystems(const SoundSystems& systems);

} // namespace tolvane
