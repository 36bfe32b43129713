#include "host/ProgramResources.h"

#include "resources/Resources.h"

#include <QDesktopServices>
#include <QFile>
#include <QUrl>

namespace tolvane {

namespace {

// The resource path for a data-folder file name, empty when there is none.
QString ResourcePathFor(const std::string& fileName) {
    if (fileName == res::kManualFileName) return res::kManualPath;
    const auto& names = res::FactoryIrFileNames();
    for (std::size_t i = 0; i < names.size(); ++i)
        if (fileName == names[i]) return res::FactoryIrPath(static_cast<int>(i));
    return {};
}

} // namespace

std::vector<std::uint8_t> ReadProgramResource(const std::string& fileName) {
    const QString path = ResourcePathFor(fileName);
    if (path.isEmpty()) return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.readAll();
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

bool OpenDocument(const std::filesystem::path& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path.string())));
}

} // namespace tolvane
