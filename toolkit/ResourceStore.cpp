#include "toolkit/ResourceStore.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QImageReader>
#include <QSvgRenderer>

#include <algorithm>
#include <cctype>

namespace tolvane {

namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

// "knob.png" -> "knob@2x.png"
std::string DoubleName(const std::string& name) {
    const auto dot = name.rfind('.');
    if (dot == std::string::npos) return name + "@2x";
    return name.substr(0, dot) + "@2x" + name.substr(dot);
}

bool IsDoubleName(const std::string& lowerName) {
    const auto dot = lowerName.rfind('.');
    const auto stem = lowerName.substr(0, dot);
    return stem.size() > 3 && stem.compare(stem.size() - 3, 3, "@2x") == 0;
}

// The resolution a pixel scale calls for.
float ResolutionFor(float pixelScale) {
    return pixelScale > 1.f ? 2.f : 1.f;
}

} // namespace

QImage Bitmap::DecodeImage(const QString& path) {
    QImageReader reader(path);
    return reader.read();
}

void Bitmap::Decode(BitmapData& data) {
    // The image is moved into the pixmap: no second copy of the pixels (a
    // QPixmap made from a file path keeps its image shared and copies it).
    QImage image;
    if (data.ahead.valid()) {
        image = data.ahead.get();
        data.ahead = {};
    } else if (!data.path.isEmpty()) {
        image = DecodeImage(data.path);
    }
    data.pixmap = QPixmap::fromImage(std::move(image));
    data.decoded = true;
}

void ResourceStore::DecodeAhead(const Bitmap& bitmap) {
    if (!bitmap.IsValid() || bitmap.IsDecoded()) return;
    BitmapData& data = *bitmap.data_;
    if (data.ahead.valid()) return;
    data.ahead = std::async(std::launch::async, &Bitmap::DecodeImage, data.path).share();
}

bool SvgImage::IsValid() const {
    return renderer_ && renderer_->isValid();
}

ResourceStore::ResourceStore() {
    SetImageRoot(":/img/");
    SetFontRoot(":/fonts/");
}

void ResourceStore::SetImageRoot(const QString& root) {
    imageRoot_ = root;
    images_ = BuildIndex(root);
}

void ResourceStore::SetFontRoot(const QString& root) {
    fontRoot_ = root;
    fonts_ = BuildIndex(root);
}

ResourceStore::Index ResourceStore::BuildIndex(const QString& root) {
    Index index;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        index.emplace(Lower(QFileInfo(path).fileName().toStdString()), path);
    }
    return index;
}

QString ResourceStore::Find(const Index& index, const std::string& name) {
    const auto it = index.find(Lower(name));
    return it == index.end() ? QString() : it->second;
}

QString ResourceStore::FindImage(const std::string& name) const {
    return Find(images_, name);
}
QString ResourceStore::FindFont(const std::string& fileName) const {
    return Find(fonts_, fileName);
}

void ResourceStore::Fetch(BitmapData& data, float pixelScale) const {
    const float want = ResolutionFor(pixelScale);
    QString path;
    float resourceScale = 1.f;
    if (want > 1.f) {
        path = FindImage(DoubleName(data.name));
        if (!path.isEmpty()) resourceScale = 2.f;
    }
    if (path.isEmpty()) {
        path = FindImage(data.name);
        // A resource asked for by its "@2x" name is a double-resolution picture.
        resourceScale = IsDoubleName(Lower(data.name)) ? 2.f : 1.f;
    }
    // The size from the file's header; the pixels wait for the first draw.
    const QSize size = path.isEmpty() ? QSize() : QImageReader(path).size();
    data.path = path;
    data.pixmap = QPixmap();
    data.decoded = false;
    data.ahead = {}; // a decode ahead of another resolution is of no use now
    data.resourceScale = resourceScale;
    data.loadedForScale = pixelScale;
    data.width = size.isValid() ? int(size.width() / resourceScale) : 0;
    data.height = size.isValid() ? int(size.height() / resourceScale) : 0;
}

Bitmap ResourceStore::LoadBitmap(const std::string& name, int frames, bool framesHorizontal,
                                  float pixelScale) {
    auto data = std::make_shared<BitmapData>();
    data->name = name;
    data->frames = std::max(1, frames);
    data->framesHorizontal = framesHorizontal;
    Fetch(*data, pixelScale);
    std::erase_if(loaded_, [](const auto& w) { return w.expired(); });
    loaded_.push_back(data);
    return Bitmap(data);
}

SvgImage ResourceStore::LoadSvg(const std::string& name) {
    const QString path = FindImage(name);
    if (path.isEmpty()) return SvgImage();
    return SvgImage(std::make_shared<QSvgRenderer>(path));
}

void ResourceStore::Rescale(float pixelScale) {
    for (const auto& weak : loaded_) {
        if (auto data = weak.lock()) {
            if (ResolutionFor(data->loadedForScale) != ResolutionFor(pixelScale)) Fetch(*data, pixelScale);
            data->loadedForScale = pixelScale;
        }
    }
}

} // namespace tolvane
