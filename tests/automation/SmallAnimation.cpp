#include "automation/SmallAnimation.h"

#include "editing/Routines.h"
#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "graphics/Streams.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cstring>

QString writeSmallAnimation(const QString& path, const TSmallAnimation& shape)
{
    TGIFImage image;
    image.setWidth(8);
    image.setHeight(4);
    for (int k = 0; k < shape.frames; ++k) {
        auto* frame = new TGIFSubImage(&image);
        frame->setBounds(k, 0, 4, 3);
        for (int c = 0; c < 4; ++c)
            frame->colorMap().add(rgbColor(uint8_t(60 * c), 20, uint8_t(250 - 60 * c)));
        for (int y = 0; y < 3; ++y)
            std::memset(frame->scanLine(y), k + 1, 4);
        if (k == 0 && shape.loopForever)
            addLoopExtension(image, *frame, 0);
        ensureFrameTiming(*frame, 10);
        if (k == 1 && shape.commentOnSecondFrame)
            addComment(*frame, QStringLiteral("abc"));
        image.images().add(frame);
    }
    TMemoryStream stream;
    image.saveToStream(stream);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(stream.data());
    return path;
}
