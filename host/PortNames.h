#pragma once
// Finding a MIDI port again after its device went away and came back. The
// library lists a port as "client:port"; JACK gives a client that returns
// while its old name is still taken a numbered name ("Velumo Ostrel-02"),
// and the ALSA sequencer appends the client and port numbers ("... 128:0"),
// which change from one plug-in to the next.

#include <string>
#include <vector>

namespace tolvane {

// The name without what changes when the device returns: ALSA's trailing
// numbers and the "-NN" suffixes of the client part.
std::string PortStem(const std::string& name);

// The listed port with exactly this name, else the first one with the same
// stem; empty when there is none.
std::string FindReturnedPort(const std::vector<std::string>& listed, const std::string& remembered);

} // namespace tolvane
