#include "editing/UndoSnapshot.h"

#include "gif/GIFImage.h"
#include "platform/TempFiles.h"

TUndoSnapshot::~TUndoSnapshot()
{
    deleteTempFile(m_fileName);
}

TUndoSnapshot::TMapState TUndoSnapshot::stateOf(const TGIFColorMap& map)
{
    return {map.count(), map.optimized()};
}

void TUndoSnapshot::restore(TGIFColorMap& map, const TMapState& state)
{
    // Reading only ever adds padding entries; a map that came back shorter is not ours to touch.
    if (map.count() < state.count)
        return;
    if (map.count() > state.count) {
        const std::vector<TGIFColor> exact(map.entries().begin(), map.entries().begin() + state.count);
        map.setEntries(exact);
    }
    map.setOptimized(state.optimized);
}

void TUndoSnapshot::write(TGIFImage& image, const TProgressEvent& progress)
{
    deleteTempFile(m_fileName);
    m_fileName.clear();
    m_local.clear();

    // The copy is written rather than the image itself: writing normalises descriptor flags of
    // the image it writes, and the working image must stay exactly as the user left it.
    TGIFImage copy;
    copy.assign(&image);
    copy.onProgress = progress;

    const QString name = createTempFile(QStringLiteral("~GA"));
    try {
        // An empty name fails to open here with the file system's error.
        copy.saveToFile(name);
    } catch (...) {
        deleteTempFile(name);
        throw;
    }
    m_fileName = name;
    m_global = stateOf(image.globalColorMap());
    for (int i = 0; i < image.images().count(); ++i)
        m_local.push_back(stateOf(image.images().subImage(i)->colorMap()));
}

void TUndoSnapshot::read(TGIFImage& image, const TProgressEvent& progress) const
{
    image.onProgress = progress;
    try {
        image.loadFromFile(m_fileName);
    } catch (...) {
        image.onProgress = nullptr;
        throw;
    }
    image.onProgress = nullptr;
    restore(image.globalColorMap(), m_global);
    // Frames that carry no picture are written as bare extensions and can fold into a neighbour;
    // when the frame count no longer matches, the recorded states do not belong to these frames.
    if (image.images().count() == int(m_local.size())) {
        for (int i = 0; i < image.images().count(); ++i)
            restore(image.images().subImage(i)->colorMap(), m_local[size_t(i)]);
    }
}
