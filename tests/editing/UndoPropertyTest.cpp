// Edit then undo gives back the same bytes: generated animations, random sequences of edits each
// recorded the way the program's edit paths record them and then applied through the model,
// then every edit undone through the document's Undo.
//
// Looping extensions stay on frame 0, as the program keeps them (writing the working copy moves
// strays there), since moving frames relies on that.
//
// The generator only makes edits whose undo is defined to restore the animation exactly: undo
// appends a deleted graphic control extension at the end of its list and puts a looping
// extension back at the front, so those edits pick the last entry (or the front) when they
// delete. Deleted palette entries and comments go back at their old places.
#include "UndoTestSupport.h"

#include "editing/FrameSteps.h"
#include "support/TestSupport.h"

#include <functional>
#include <random>

using namespace undotest;

namespace {

class TEditor
{
public:
    TEditor(TFakeDocument& doc, uint32_t seed) : m_doc(doc), m_image(doc.image), m_rng(seed) {}

    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_rng); }
    bool chance(int percent) { return pick(0, 99) < percent; }
    TColor randomColor() { return TColor(pick(0, 0xFFFFFF)); }
    int frames() const { return m_image.images().count(); }
    TGIFSubImage* frame(int index) const { return m_image.images().subImage(index); }

    void randomColors(TGIFColorMap& map, int count)
    {
        map.clear();
        for (int i = 0; i < count; ++i)
            map.add(randomColor());
    }

    void randomGCE(TGIFSubImage* target, TGIFGraphicControlExtension* gce)
    {
        gce->setDelay(uint16_t(pick(0, 500)));
        gce->setDisposal(disposalFromValue(pick(0, 3)));
        gce->setUserInput(chance(20));
        const int colors = target->activeColorMap().count();
        gce->setTransparent(chance(40));
        gce->setTransparentColorIndex(pick(0, colors - 1));
    }

    TGIFSubImage* makeFrame(int left, int top, int width, int height)
    {
        auto* made = new TGIFSubImage(&m_image);
        made->setBounds(left, top, width, height);
        return made;
    }

    void fillFrame(TGIFSubImage* target)
    {
        const int colors = target->activeColorMap().count();
        std::vector<uint8_t> pixels(size_t(target->width() * target->height()));
        for (uint8_t& pixel : pixels)
            pixel = uint8_t(pick(0, colors - 1));
        target->setData(std::move(pixels));
    }

    void generate()
    {
        randomColors(m_image.globalColorMap(), pick(2, 9));
        const int count = pick(1, 4);
        for (int i = 0; i < count; ++i) {
            TGIFSubImage* made = makeFrame(pick(0, 3), pick(0, 3), pick(1, 6), pick(1, 6));
            m_image.images().add(made);
            if (chance(30))
                randomColors(made->colorMap(), pick(2, 9));
            else
                made->setInterlaced(chance(30));
            fillFrame(made);
            if (chance(25))
                addComment(made, {QStringLiteral("before %1").arg(i)});
            if (chance(80))
                randomGCE(made, addGCE(made, 0));
            if (chance(25))
                addComment(made, {QStringLiteral("after"), QStringLiteral("%1").arg(i)});
        }
        if (chance(70))
            addLoop(frame(0), std::array{0, 1, 2, 5}[size_t(pick(0, 3))]);
    }

    // Records through the document, as the program's edit paths do, then edits. False when the
    // edit does not apply to the animation as it is.
    bool edit(QStringList& log)
    {
        static const std::vector<std::pair<const char*, bool (TEditor::*)()>> edits = {
            {"snapshot", &TEditor::snapshotEdit},
            {"add frame", &TEditor::addFrame},
            {"delete frame", &TEditor::deleteFrame},
            {"move frame", &TEditor::moveFrame},
            {"offset", &TEditor::offset},
            {"interlace", &TEditor::interlace},
            {"change gce", &TEditor::changeGCE},
            {"add gce", &TEditor::addGCEEdit},
            {"remove gce", &TEditor::removeGCE},
            {"add local map", &TEditor::addLocalMap},
            {"remove local map", &TEditor::removeLocalMap},
            {"add entry", &TEditor::addEntry},
            {"change entry", &TEditor::changeEntry},
            {"delete entry", &TEditor::deleteEntry},
            {"global palette", &TEditor::globalPalette},
            {"add comment", &TEditor::addCommentEdit},
            {"change comment", &TEditor::changeComment},
            {"delete comment", &TEditor::deleteComment},
            {"add loop", &TEditor::addLoopEdit},
            {"remove loop", &TEditor::removeLoop},
            {"change loop", &TEditor::changeLoop},
        };
        const auto& chosen = edits[size_t(pick(0, int(edits.size()) - 1))];
        if (!(this->*chosen.second)())
            return false;
        log.append(QString::fromLatin1(chosen.first));
        return true;
    }

private:
    void record(int kind, int action, int colorIndex, int data, int frameIndex, const char* caption)
    {
        recordUndo(m_doc, kind, uint8_t(action), colorIndex, data, frameIndex, QString::fromLatin1(caption));
    }

    bool snapshotEdit()
    {
        record(ckActiveAnimation, 8, -1, -1, 0, "Reverse Frame Order");
        for (int i = 0; i < frames() - 1; ++i)
            m_image.images().move(frames() - 1, i);
        // Like the program, keep looping extensions on the first frame.
        for (int i = 1; i < frames(); ++i) {
            while (TGIFAppExtNSLoop* loop = loopOf(frame(i))) {
                const int loops = loop->loops();
                delete loop;
                addLoop(frame(0), loops);
            }
        }
        TGIFColorMap& global = m_image.globalColorMap();
        for (int i = 0; i < global.count(); ++i)
            global.setColor(i, randomColor());
        for (int i = 0; i < frames(); ++i)
            fillFrame(frame(i));
        return true;
    }

    bool addFrame()
    {
        // New frames fit the animation: the program fits larger pictures before inserting.
        const int width = pick(1, m_image.width());
        const int height = pick(1, m_image.height());
        TGIFSubImage* made =
            makeFrame(pick(0, m_image.width() - width), pick(0, m_image.height() - height), width, height);
        fillFrame(made);
        if (chance(50))
            randomGCE(made, addGCE(made, 0));
        // Never before frame 0: the looping extension would no longer be on the first frame,
        // which writing the working copy corrects at once in the program.
        const int position = pick(1, frames());
        m_image.images().insert(position, made);
        record(ckFrame, 1, -1, -1, position, "Add Frame");
        return true;
    }

    bool deleteFrame()
    {
        if (frames() < 2)
            return false;
        const int index = pick(0, frames() - 1);
        record(ckFrame, 2, -1, -1, index, "Delete Frame");
        m_image.images().deleteAt(index);
        return true;
    }

    bool moveFrame()
    {
        if (frames() < 2)
            return false;
        const int from = pick(0, frames() - 1);
        int to = pick(0, frames() - 2);
        if (to >= from)
            ++to;
        record(ckFrame, 4, -1, to, from, "Move Frame");
        moveFrameStep(m_doc, from, to);
        return true;
    }

    bool offset()
    {
        const int index = pick(0, frames() - 1);
        TGIFSubImage* target = frame(index);
        if (chance(50)) {
            record(ckFrame, 3, -1, -1, index, "Change X-Offset");
            target->setLeft(pick(0, m_image.width() + 3));
        } else {
            record(ckFrame, 3, -1, -1, index, "Change Y-Offset");
            target->setTop(pick(0, m_image.height() + 3));
        }
        return true;
    }

    bool interlace()
    {
        // The writer stores frames with a local map non-interlaced, so their flag is not part of
        // what a written animation keeps.
        const int index = pick(0, frames() - 1);
        if (frame(index)->colorMap().count() > 0)
            return false;
        record(ckFrame, 3, -1, -1, index, frame(index)->interlaced() ? "Non-Interlaced" : "Interlaced");
        frame(index)->setInterlaced(!frame(index)->interlaced());
        return true;
    }

    bool changeGCE()
    {
        const int index = pick(0, frames() - 1);
        TGIFGraphicControlExtension* gce = frame(index)->graphicControlExtension();
        if (!gce)
            return false;
        record(ckGCExt, 3, -1, -1, index, "Change Delay");
        randomGCE(frame(index), gce);
        return true;
    }

    bool addGCEEdit()
    {
        const int index = pick(0, frames() - 1);
        if (frame(index)->graphicControlExtension())
            return false;
        record(ckGCExt, 1, -1, -1, index, "Make Transparent");
        randomGCE(frame(index), undotest::addGCE(frame(index), 0));
        return true;
    }

    bool removeGCE()
    {
        const int index = pick(0, frames() - 1);
        TGIFExtensionList& list = frame(index)->extensions();
        TGIFGraphicControlExtension* gce = frame(index)->graphicControlExtension();
        if (!gce || list.extension(list.count() - 1) != gce)
            return false;
        record(ckGCExt, 2, -1, -1, index, "Remove Transparency");
        delete gce;
        return true;
    }

    bool addLocalMap()
    {
        const int index = pick(0, frames() - 1);
        if (frame(index)->colorMap().count() > 0 || frame(index)->interlaced())
            return false;
        record(ckPalette, 1, -1, -1, index, "Add Local Palette");
        frame(index)->colorMap().assign(&m_image.globalColorMap());
        return true;
    }

    // Highest colour index a frame refers to (pixels and transparent index).
    static int highestIndex(TGIFSubImage* target)
    {
        int highest = 0;
        for (int64_t i = 0; i < target->dataSize(); ++i)
            highest = std::max(highest, int(target->data()[i]));
        if (TGIFGraphicControlExtension* gce = target->graphicControlExtension())
            highest = std::max(highest, int(gce->transparentColorIndex()));
        return highest;
    }

    bool removeLocalMap()
    {
        const int index = pick(0, frames() - 1);
        TGIFSubImage* target = frame(index);
        if (target->colorMap().count() == 0 || highestIndex(target) >= m_image.globalColorMap().count())
            return false;
        record(ckPalette, 2, -1, -1, index, "Remove Local Palette");
        target->colorMap().clear();
        return true;
    }

    // A map to edit: -1 for the global map, else a frame with a local map.
    int pickMap()
    {
        const int index = pick(-1, frames() - 1);
        return index >= 0 && frame(index)->colorMap().count() == 0 ? -1 : index;
    }
    TGIFColorMap& mapOf(int index)
    {
        if (index < 0)
            return m_image.globalColorMap();
        return frame(index)->colorMap();
    }

    bool addEntry()
    {
        const int index = pickMap();
        TGIFColorMap& map = mapOf(index);
        if (map.count() >= 256)
            return false;
        const TColor color = randomColor();
        record(ckPalette, 5, map.count(), int(color), index, "Add Color Palette Entry");
        map.add(color);
        return true;
    }

    bool changeEntry()
    {
        const int index = pickMap();
        TGIFColorMap& map = mapOf(index);
        const int entry = pick(0, map.count() - 1);
        record(ckPalette, 7, entry, int(map.color(entry)), index, "Change Color Palette Entry");
        map.setColor(entry, randomColor());
        return true;
    }

    bool deleteEntry()
    {
        const int index = pickMap();
        TGIFColorMap& map = mapOf(index);
        // Only an entry no frame refers to, and the last: undo appends it again.
        int highest = 0;
        for (int i = 0; i < frames(); ++i)
            if (&frame(i)->activeColorMap() == &map)
                highest = std::max(highest, highestIndex(frame(i)));
        if (map.count() < 2 || highest >= map.count() - 1)
            return false;
        record(ckPalette, 6, map.count() - 1, 0, index, "Delete Color Palette Entry");
        map.deleteAt(map.count() - 1);
        return true;
    }

    bool globalPalette()
    {
        TGIFColorMap& map = m_image.globalColorMap();
        record(ckPalette, 3, -1, -1, -1, "Change Global Palette");
        for (int i = 0; i < map.count(); ++i)
            if (chance(50))
                map.setColor(i, randomColor());
        if (map.count() < 256 && chance(30))
            map.add(randomColor());
        return true;
    }

    std::vector<std::pair<int, int>> comments()
    {
        std::vector<std::pair<int, int>> found;
        for (int i = 0; i < frames(); ++i)
            for (int e = 0; e < frame(i)->extensions().count(); ++e)
                if (dynamic_cast<TGIFCommentExtension*>(frame(i)->extensions().extension(e)))
                    found.emplace_back(i, e);
        return found;
    }

    bool addCommentEdit()
    {
        // Adding a comment is the one edit recorded after the change: its position is known then.
        TGIFCommentExtension* comment =
            undotest::addComment(frame(0), {QStringLiteral("added %1").arg(pick(0, 99))});
        record(ckCommentExt, 1, -1, frame(0)->extensions().indexOf(comment), 0, "Add GIF Comment");
        return true;
    }

    bool changeComment()
    {
        const auto found = comments();
        if (found.empty())
            return false;
        const auto [index, position] = found[size_t(pick(0, int(found.size()) - 1))];
        record(ckCommentExt, 3, -1, position, index, "Change GIF Comment");
        static_cast<TGIFCommentExtension*>(frame(index)->extensions().extension(position))->text() =
            QStringList{QStringLiteral("changed"), QString::number(pick(0, 99))};
        return true;
    }

    bool deleteComment()
    {
        for (const auto& [index, position] : comments()) {
            if (position != frame(index)->extensions().count() - 1)
                continue;
            record(ckCommentExt, 2, -1, position, index, "Delete GIF Comment");
            delete frame(index)->extensions().extension(position);
            return true;
        }
        return false;
    }

    int randomLoops() { return std::array{0, 1, 2, 9}[size_t(pick(0, 3))]; }

    bool addLoopEdit()
    {
        if (loopOf(frame(0)))
            return false;
        record(ckNSLoop, 1, -1, -1, 0, "Change Animation Loop");
        addLoop(frame(0), randomLoops());
        return true;
    }

    bool removeLoop()
    {
        // With a second looping extension on the frame, undo would give its count to that one.
        TGIFAppExtNSLoop* loop = loopOf(frame(0));
        int loops = 0;
        for (int e = 0; e < frame(0)->extensions().count(); ++e)
            loops += dynamic_cast<TGIFAppExtNSLoop*>(frame(0)->extensions().extension(e)) ? 1 : 0;
        if (!loop || loops != 1 || frame(0)->extensions().extension(0) != loop)
            return false;
        record(ckNSLoop, 2, -1, -1, 0, "Change Animation Loop");
        delete loop;
        return true;
    }

    bool changeLoop()
    {
        record(ckNSLoop, 3, -1, -1, 0, "Change Animation Loop");
        if (TGIFAppExtNSLoop* loop = loopOf(frame(0)))
            loop->setLoops(uint16_t(randomLoops()));
        else
            addLoop(frame(0), randomLoops());
        return true;
    }

    TFakeDocument& m_doc;
    TGIFImage& m_image;
    std::mt19937 m_rng;
};

TEST(UndoPropertyTest, UndoingEveryEditGivesBackTheSameBytes)
{
    TUndoEnvironment env;
    for (uint32_t seed = 1; seed <= 60; ++seed) {
        TFakeDocument doc;
        TEditor editor(doc, seed);
        editor.generate();
        const QByteArray before = gifBytes(doc.image);

        QStringList log;
        const int wanted = editor.pick(1, 25);
        for (int attempt = 0; attempt < 200 && log.size() < wanted; ++attempt)
            editor.edit(log);
        SCOPED_TRACE(
            QStringLiteral("seed %1: %2").arg(seed).arg(log.join(QStringLiteral(", "))).toStdString());
        ASSERT_EQ(doc.count(), log.size());

        while (doc.count() > 0)
            ASSERT_NO_THROW(undoActiveDocument(doc));
        EXPECT_SAME_BYTES(before, gifBytes(doc.image));
        EXPECT_FALSE(doc.closed);
        EXPECT_TRUE(env.snapshotFiles().isEmpty());
    }
}

} // namespace
