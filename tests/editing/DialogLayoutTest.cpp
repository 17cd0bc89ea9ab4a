// Every editing dialog, in every mode and on every page, lays its controls out without
// clipping: each visible control lies inside the dialog and gets at least its preferred width,
// so no caption is cut. With REELWRIGHT_DIALOG_SHOTS naming a folder, each dialog is also saved
// there as a picture (run once with QT_SCALE_FACTOR=1 and once with 2 to look at them).
#include "DialogTestSupport.h"

#include "editing/Options.h"
#include "editing/Palette.h"
#include "editing/Prompts.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QTabWidget>

#include <functional>
#include <memory>

using dialogtest::DialogFixture;

namespace {

class DialogLayoutTest : public DialogFixture
{
protected:
    void SetUp() override
    {
        DialogFixture::SetUp();
        image().header().setWidth(40);
        image().header().setHeight(30);
        std::vector<TColor> colors;
        for (int i = 0; i < 40; ++i)
            colors.push_back(rgbColor(uint8_t(i * 6), uint8_t(255 - i * 6), uint8_t(i * 3)));
        undotest::setColors(image().globalColorMap(), colors);
        undotest::addFrame(image(), 0, 0, 40, 30, 40);
        undotest::addGCE(image().images().subImage(0), 10);
    }

    void check(QDialog& dialog, const QString& name)
    {
        dialog.show();
        QTabWidget* tabs = dialog.findChild<QTabWidget*>();
        const int pages = tabs ? tabs->count() : 1;
        for (int page = 0; page < pages; ++page) {
            if (tabs)
                tabs->setCurrentIndex(page);
            dialog.adjustSize();
            const QString shot = pages > 1 ? QStringLiteral("%1-%2").arg(name).arg(page) : name;
            for (QWidget* child : dialog.findChildren<QWidget*>()) {
                if (!child->isVisibleTo(&dialog) || child->objectName().startsWith(QLatin1String("qt_")))
                    continue;
                const QRect inDialog(child->mapTo(&dialog, QPoint(0, 0)), child->size());
                EXPECT_TRUE(dialog.rect().contains(inDialog))
                    << shot.toStdString() << ": " << child->metaObject()->className() << " "
                    << child->objectName().toStdString() << " sticks out";
                auto* label = qobject_cast<QLabel*>(child);
                const bool captioned = qobject_cast<QAbstractButton*>(child) ||
                                       (label && !label->wordWrap() && !label->text().isEmpty());
                if (captioned) {
                    EXPECT_GE(child->width(), child->sizeHint().width())
                        << shot.toStdString() << ": " << child->metaObject()->className() << " "
                        << child->objectName().toStdString() << " is cut";
                }
            }
            save(dialog, shot);
        }
        dialog.hide();
    }

    static void save(QDialog& dialog, const QString& name)
    {
        const QString folder = qEnvironmentVariable("REELWRIGHT_DIALOG_SHOTS");
        if (folder.isEmpty())
            return;
        QDir().mkpath(folder);
        const QString scale = qEnvironmentVariableIsSet("QT_SCALE_FACTOR")
                                  ? qEnvironmentVariable("QT_SCALE_FACTOR")
                                  : QStringLiteral("1");
        EXPECT_TRUE(dialog.grab().save(QDir(folder).filePath(QStringLiteral("%1@%2.png").arg(name, scale))));
    }
};

TEST_F(DialogLayoutTest, PaletteDialogInEachMode)
{
    const std::pair<TPaletteMode, const char*> modes[] = {
        {TPaletteMode::GlobalPalette, "palette-global"},
        {TPaletteMode::TransparentColor, "palette-transparent"},
        {TPaletteMode::ChangeColor, "palette-change"}};
    for (auto [mode, name] : modes) {
        TfrmPalette dialog(image(), mode, 0);
        dialog.setColor(rgbColor(12, 34, 56));
        check(dialog, QString::fromLatin1(name));
    }
}

TEST_F(DialogLayoutTest, PromptDialogOnEachPage)
{
    for (int page = 1; page <= 7; ++page) {
        TfrmPrompts dialog{TPromptPage(page)};
        dialog.setCurrentSize(200, 100);
        dialog.setInformation(12, 34567, 1250, 0);
        QImage preview(80, 60, QImage::Format_RGB32);
        preview.fill(Qt::darkCyan);
        dialog.setProperties(QStringLiteral("sunset.jpg"), QStringLiteral("34 KB"), QStringLiteral("60 x 80"),
                             preview);
        dialog.setHtmlSource(QStringLiteral("anim.gif"), 40, 30);
        dialog.setGlobalChange(QStringLiteral("Make &Transparent"), QStringLiteral("Make &Interlaced"),
                               QStringLiteral("Remove &Local Palette"), &image(), 0);
        check(dialog, QStringLiteral("prompts-%1").arg(page));
    }
}

TEST_F(DialogLayoutTest, OptionsDialogInEachMode)
{
    TOptionsValues values;
    values.favorites = {QStringLiteral("/home/user/Pictures"),
                        QStringLiteral("/home/user/Pictures/web/buttons")};
    const std::pair<TOptionsMode, const char*> modes[] = {{TOptionsMode::ProgramOptions, "options"},
                                                          {TOptionsMode::Favorites, "options-favorites"},
                                                          {TOptionsMode::About, "options-about"}};
    for (auto [mode, name] : modes) {
        TfrmOptions dialog(mode, values);
        check(dialog, QString::fromLatin1(name));
    }
}

} // namespace
