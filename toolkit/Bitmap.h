#pragma once
// Bitmaps and vector images as the controls hold them. A bitmap is a handle on
// shared data, so when the draw scale changes and the store re-fetches the
// right resolution, every control holding it draws the new pixels. Only the
// size is read when a bitmap is loaded; its pixels are decoded when it is
// first drawn, so pictures of pages nobody opens cost no memory. A picture
// the first paint needs may be decoded ahead on a worker thread (the store's
// DecodeAhead); its first draw then takes the decoded image.

#include <QImage>
#include <QPixmap>

#include <future>
#include <memory>
#include <string>

class QSvgRenderer;

namespace tolvane {

struct BitmapData {
    std::string name; // as asked for
    QString path;     // the resource found for the resolution in use; empty when none
    QPixmap pixmap;   // at the resource's own resolution, once decoded
    bool decoded = false;
    std::shared_future<QImage> ahead; // a decode running on a worker thread
    int width = 0;    // whole image, canvas units
    int height = 0;
    int frames = 1;
    bool framesHorizontal = false;
    float resourceScale = 1.f; // 2 when an "@2x" resource was loaded
    float loadedForScale = 1.f; // the pixel scale (draw scale × device pixel ratio)
};

class Bitmap {
public:
    Bitmap() = default;
    explicit Bitmap(std::shared_ptr<BitmapData> data) : data_(std::move(data)) {}

    bool IsValid() const { return data_ && data_->width > 0 && data_->height > 0; }
    const std::string& Name() const { return data_->name; }
    int W() const { return data_ ? data_->width : 0; }
    int H() const { return data_ ? data_->height : 0; }
    int N() const { return data_ ? data_->frames : 1; }
    bool FramesAreHorizontal() const { return data_ && data_->framesHorizontal; }
    // Size of one frame in canvas units.
    float FW() const { return FramesAreHorizontal() ? float(W()) / N() : float(W()); }
    float FH() const { return FramesAreHorizontal() ? float(H()) : float(H()) / N(); }
    float GetScale() const { return data_ ? data_->loadedForScale : 1.f; }
    float ResourceScale() const { return data_ ? data_->resourceScale : 1.f; }
    bool IsDecoded() const { return data_ && data_->decoded; }
    // Decodes the pixels on first use (user-interface thread).
    const QPixmap& Pixmap() const {
        if (!data_->decoded) Decode(*data_);
        return data_->pixmap;
    }
    // Decoding an image is safe on any thread; making the pixmap is not.
    static QImage DecodeImage(const QString& path);

private:
    friend class ResourceStore;
    static void Decode(BitmapData& data);

    std::shared_ptr<BitmapData> data_;
};

class SvgImage {
public:
    SvgImage() = default;
    explicit SvgImage(std::shared_ptr<QSvgRenderer> renderer) : renderer_(std::move(renderer)) {}
    bool IsValid() const;
    QSvgRenderer* Renderer() const { return renderer_.get(); }

private:
    std::shared_ptr<QSvgRenderer> renderer_;
};

} // namespace tolvane
