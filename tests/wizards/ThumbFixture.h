#pragma once
// The image browser through the real program: default start-up hooks, an empty settings store,
// the scripted message service, and folders of pictures generated for each test.
#include "app/Main.h"
#include "app/Program.h"
#include "editing/Document.h"
#include "editing/DocumentManager.h"
#include "editing/EditSession.h"
#include "editing/GIFFiles.h"
#include "gif/GIFImage.h"
#include "graphics/Bitmap.h"
#include "platform/ScriptedMessageService.h"
#include "platform/Settings.h"
#include "wizards/ThumbViewer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

// Answers the routines' prompts as a user pressing OK (or Cancel) would.
class TAnsweringPrompts : public IEditPrompts
{
public:
    TFitChoice fitFrame(const QString&, const TBitmap&) override { return {m_answer, true}; }
    int palettePage() override
    {
        ++m_paletteAsked;
        return m_answer;
    }
    int m_answer = mrOk;
    int m_paletteAsked = 0;
};

class ThumbFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_settingsDir.isValid());
        ASSERT_TRUE(m_folder.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
    }
    void TearDown() override
    {
        m_program.reset();
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    }

    // The program as a user starts it; the browser is shown by the deferred start-up.
    TfrmThumbWin& start()
    {
        TProgramOptions options;
        options.clock = [this] {
            return m_now += 1000;
        };
        m_program = std::make_unique<TProgram>(std::move(options));
        m_program->start();
        QCoreApplication::sendPostedEvents(m_program->mainWindow(), kMsgDeferredStartup);
        // A fresh store shows the welcome page at start (answered Cancel); what follows is the
        // browser's own conversation.
        m_messages.clear();
        // Repaints during a scan reach only a window on screen.
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_program->mainWindow()));
        main().session().setPrompts(&m_prompts);
        return *m_program->browser();
    }
    TfrmMain& main() { return *m_program->mainWindow(); }
    TfrmThumbWin& browser() { return *m_program->browser(); }

    QString folder() const { return m_folder.path() + QLatin1Char('/'); }
    QString path(const QString& name) const { return folder() + name; }

    // A picture of one colour; format by the name's extension (a GIF through the engine).
    QString writePicture(const QString& name, int width, int height, QRgb color = qRgb(200, 30, 40),
                         const QString& dir = {})
    {
        const QString target = (dir.isEmpty() ? folder() : dir + QLatin1Char('/')) + name;
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(color);
        if (name.toLower().endsWith(QStringLiteral(".gif"))) {
            writeGif(target, image);
        } else {
            const QByteArray format = QFileInfo(name).suffix().toLower().toLatin1();
            EXPECT_TRUE(image.save(target, format == "jif" ? "jpg" : format.constData()))
                << name.toStdString();
        }
        return target;
    }
    static void writeGif(const QString& target, const QImage& picture)
    {
        TGIFImage gif;
        TBitmap bitmap;
        bitmap.fromImage(picture.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither));
        TEditSession session;
        ASSERT_GE(session.importBitmapAsFrame(gif, bitmap), 0);
        ASSERT_TRUE(saveGIFFile(gif, target, true, true));
    }
    QString writeBytes(const QString& name, const QByteArray& bytes)
    {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path(name);
    }
    // A 1-bit BMP padded to exactly size bytes (readers ignore what follows the pixels).
    QString writeBmpOfSize(const QString& name, qint64 size)
    {
        QImage image(8, 8, QImage::Format_Mono);
        image.fill(0);
        QByteArray bytes;
        {
            QFile file(path(name));
            EXPECT_TRUE(image.save(path(name), "BMP"));
        }
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::ReadWrite));
        bytes = file.readAll();
        EXPECT_LE(bytes.size(), size);
        bytes.append(QByteArray(int(size - bytes.size()), '\0'));
        file.seek(0);
        file.write(bytes);
        return path(name);
    }

    QStringList recordNames() const
    {
        QStringList names;
        for (int i = 0; i < m_program->browser()->thumbnailCount(); ++i)
            names << m_program->browser()->record(i).name;
        return names;
    }
    QString statusText() { return main().statusPanel(2)->text(); }

    QTemporaryDir m_settingsDir;
    QTemporaryDir m_folder;
    TScriptedMessageService m_messages;
    TScopedMessageService m_messageScope{m_messages};
    TAnsweringPrompts m_prompts;
    std::unique_ptr<TProgram> m_program;
    qint64 m_now = 0;
};
