#include "core/ParamList.h"

#include <cstring>
#include <new>
#include <stdexcept>

namespace tolvane {

Param* ParamList::Add() {
    params_.push_back(std::make_unique<Param>());
    return params_.back().get();
}

void ParamList::ResetToDefaults() {
    for (auto& param : params_)
        param->SetValue(param->Default());
}

Param* ParamList::GetParam(int index) {
    if (index < 0 || index >= Size()) return nullptr;
    return params_[static_cast<std::size_t>(index)].get();
}

const Param* ParamList::GetParam(int index) const {
    if (index < 0 || index >= Size()) return nullptr;
    return params_[static_cast<std::size_t>(index)].get();
}

bool ParamList::SerializeParams(std::vector<std::uint8_t>& data) const {
    try {
        data.reserve(data.size() + params_.size() * sizeof(double));
        for (const auto& param : params_) {
            const double value = param->Value();
            std::uint8_t bytes[sizeof(double)];
            std::memcpy(bytes, &value, sizeof bytes);
            data.insert(data.end(), bytes, bytes + sizeof bytes);
        }
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    return true;
}

int ParamList::UnserializeParams(const std::vector<std::uint8_t>& data, int pos) {
    if (pos < 0) return -1;
    std::size_t at = static_cast<std::size_t>(pos);
    for (const auto& param : params_) {
        if (at > data.size() || data.size() - at < sizeof(double)) return -1;
        double value = 0.0;
        std::memcpy(&value, data.data() + at, sizeof value);
        param->SetValue(value);
        at += sizeof(double);
    }
    return static_cast<int>(at);
}

} // namespace tolvane
