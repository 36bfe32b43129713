#pragma once
// Finds the program's bitmaps, vector images and fonts by name under a
// configurable root (":/img/" and ":/fonts/" in the program), without regard to
// case, and keeps every bitmap it loaded so they can be re-fetched at another
// resolution when the pixel scale changes. The pixel scale is how many device
// pixels one canvas unit covers: the draw scale times the screen's device
// pixel ratio.

#include "toolkit/Bitmap.h"

#include <QString>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tolvane {

class ResourceStore {
public:
    ResourceStore();

    void SetImageRoot(const QString& root);
    void SetFontRoot(const QString& root);

    // Empty when no file of that name (any case) is under the root.
    QString FindImage(const std::string& name) const;
    QString FindFont(const std::string& fileName) const;

    // Above pixel scale 1 the "@2x" resource is used when present. An invalid
    // bitmap when the name is unknown or the file does not decode.
    Bitmap LoadBitmap(const std::string& name, int frames, bool framesHorizontal, float pixelScale);
    // Starts decoding the bitmap's pixels on a worker thread; its first draw
    // takes them (waiting for the rest, if any).
    void DecodeAhead(const Bitmap& bitmap);
    SvgImage LoadSvg(const std::string& name);
    // Re-fetches every loaded bitmap for the new pixel scale where the resolution changes.
    void Rescale(float pixelScale);

private:
    using Index = std::map<std::string, QString>; // lower-case file name -> path
    static Index BuildIndex(const QString& root);
    static QString Find(const Index& index, const std::string& name);
    void Fetch(BitmapData& data, float pixelScale) const;

    QString imageRoot_;
    QString fontRoot_;
    Index images_;
    Index fonts_;
    std::vector<std::weak_ptr<BitmapData>> loaded_;
};

} // namespace tolvane
