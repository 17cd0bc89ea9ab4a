#include "gif/GIFEngine.h"

#include "gif/GIFImage.h"
#include "graphics/MainThreadDispatcher.h"
#include "graphics/Picture.h"

namespace {
int startCount = 0;
}

void gifEngineStartup()
{
    if (startCount++ > 0)
        return;
    // Painters hand their drawing to the thread that starts the engine.
    TMainThreadDispatcher::instance().setMainThread();
    TPicture::registerFileFormat(QStringLiteral("gif"), QStringLiteral("GIF Image"),
                                 [] { return std::unique_ptr<TGraphic>(new TGIFImage()); });
}

void gifEngineShutdown()
{
    if (startCount == 0 || --startCount > 0)
        return;
    TPicture::unregisterFileFormat(QStringLiteral("gif"));
}
