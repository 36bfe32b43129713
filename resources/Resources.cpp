#include "resources/Resources.h"

namespace tolvane::res {

const std::array<const char*, 8>& FactoryIrFileNames() {
    static constexpr std::array<const char*, 8> names = {
        "01-Velumo.wav",    "02-Blond 2x12.wav", "03-Tweed 4x10.wav", "04-Cali 1x12.wav",
        "05-Cali 4x12.wav", "06-Blue 2x12.wav",  "07-Brit 2x12.wav",  "08-Boutique 4x12.wav"};
    return names;
}

QString FactoryIrPath(int index) {
    if (index < 0 || index >= static_cast<int>(FactoryIrFileNames().size())) return {};
    return QString(":/irs/") + FactoryIrFileNames()[static_cast<size_t>(index)];
}

QString BitmapPath(const QString& name, bool doubleSize) {
    return ":/img/" + name + (doubleSize ? "@2x.png" : ".png");
}

} // namespace tolvane::res
