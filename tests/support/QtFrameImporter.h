#pragma once
// A frame importer for tests that do not exercise colour reduction: Qt's own conversion to
// 8 bits stands in for the engine's, so the routines' tests stay quick and independent of it.
#include "gif/GIFImage.h"
#include "graphics/Bitmap.h"
#include "graphics/Colors.h"

#include <QImage>

#include <cstring>

inline int importThroughQt(TGIFImage& image, TBitmap& bitmap)
{
    const QImage indexed = bitmap.toImage().convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    auto* frame = new TGIFSubImage(&image);
    frame->setBounds(0, 0, indexed.width(), indexed.height());
    for (QRgb rgb : indexed.colorTable())
        frame->colorMap().add(rgbColor(uint8_t(qRed(rgb)), uint8_t(qGreen(rgb)), uint8_t(qBlue(rgb))));
    for (int y = 0; y < indexed.height(); ++y)
        std::memcpy(frame->scanLine(y), indexed.constScanLine(y), size_t(indexed.width()));
    return image.add(frame);
}
