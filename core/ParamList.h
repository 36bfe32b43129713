#pragma once
// The plug-in's parameters in index order. Indices, not names, identify them.

#include "core/Param.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tolvane {

class ParamList {
public:
    // Appends a fresh parameter and returns it for initialisation.
    Param* Add();
    int Size() const { return static_cast<int>(params_.size()); }
    // nullptr outside 0..Size()-1.
    Param* GetParam(int index);
    const Param* GetParam(int index) const;
    // Every value back to its parameter's default (nobody is told).
    void ResetToDefaults();

    // Appends every value in index order as an 8-byte double in the host's byte
    // order. False when the buffer could not grow.
    bool SerializeParams(std::vector<std::uint8_t>& data) const;
    // Reads the values written by SerializeParams from pos on and sets them.
    // Returns the position after the last double, or -1 when the buffer ran
    // short (the parameters not reached keep their values). Telling anyone of
    // the change is the caller's job.
    int UnserializeParams(const std::vector<std::uint8_t>& data, int pos);

private:
    std::vector<std::unique_ptr<Param>> params_;
};

} // namespace tolvane
