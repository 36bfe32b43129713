#include "sim/program/Commands.h"

#include <sstream>

namespace tolvane::sim {

namespace {

bool InRange(int v, int lo, int hi) {
    return v >= lo && v <= hi;
}

std::string Status(const PedalModel& pedal) {
    const Activity& a = pedal.Log();
    std::ostringstream out;
    out << "status preset=" << pedal.State().currentPreset << " received=" << a.received
        << " ignored=" << a.ignored << " sent=" << a.sent << " bulk=" << (a.bulkOpen ? "open" : "closed")
        << " editor-closings=" << a.editorClosings << " firmware-updates=" << a.firmwareUpdates
        << " pending=" << pedal.PendingAnswers();
    return out.str();
}

CommandResult Fault(PedalModel& pedal, const std::string& name, int n) {
    Faults& f = pedal.GetFaults();
    if (name == "corrupt")
        f.corruptBlocks = n;
    else if (name == "drop")
        f.dropAnswers = n;
    else if (name == "reject")
        f.rejectRestoreMessage = n;
    else if (name == "delay")
        f.answerDelayMs = n;
    else if (name == "firmware-fail")
        f.failFirmwareUpdate = n != 0;
    else if (name == "version")
        f.firmwareVersion = n & 0x7F;
    else
        return {"error: unknown fault " + name};
    return {"ok fault " + name + " " + std::to_string(n)};
}

} // namespace

CommandResult RunCommand(PedalModel& pedal, const std::string& line) {
    std::istringstream in(line);
    std::string word;
    if (!(in >> word)) return {};
    int a = 0, b = 0;
    if (word == "knob") {
        if (!(in >> a >> b) || !InRange(a, 0, 127) || !InRange(b, 0, 127))
            return {"error: knob INDEX VALUE (0..127)"};
        pedal.TurnKnob(a, b);
        return {"ok knob " + std::to_string(a) + " " + std::to_string(b)};
    }
    if (word == "preset") {
        if (!(in >> a) || !InRange(a, 0, 127)) return {"error: preset SLOT (0..127)"};
        pedal.ChangePreset(a);
        return {"ok preset " + std::to_string(a)};
    }
    if (word == "error") {
        pedal.SendError();
        return {"ok error"};
    }
    if (word == "unplug" || word == "plug") {
        const bool unplug = word == "unplug";
        pedal.GetFaults().unplugged = unplug;
        CommandResult r{"ok " + word};
        r.cable = unplug ? CommandResult::Cable::Unplug : CommandResult::Cable::Plug;
        std::getline(in >> std::ws, r.client);
        return r;
    }
    if (word == "fault") {
        std::string name;
        if (!(in >> name >> a)) return {"error: fault NAME N"};
        return Fault(pedal, name, a);
    }
    if (word == "status") return {Status(pedal)};
    if (word == "quit") return {"bye", true};
    return {"error: unknown command " + word};
}

} // namespace tolvane::sim
