#include "app/ImportExportWiring.h"

#include "app/Childwin.h"
#include "app/FileCommands.h"
#include "app/Main.h"
#include "editing/Document.h"
#include "editing/DocumentManager.h"
#include "editing/EditSession.h"
#include "gif/GIFImage.h"
#include "wizards/AVI.h"
#include "wizards/Exporter.h"

#include <QAction>

namespace {

// The main window as the import and export commands see it; made for each command.
class TMainImportExportHost final : public IAviHost, public IExportHost
{
public:
    explicit TMainImportExportHost(TfrmMain& main) : m_main(main) {}

    TGIFImage* activeImage() override { return documents().active() ? &session().workingImage() : nullptr; }
    QString activeFileName() override
    {
        const TDocument* doc = documents().active();
        return doc ? doc->fileName() : QString();
    }
    TProgressEvent progressHandler() override { return m_main.progressHandler(); }
    void hideLogo() override { m_main.removeLogo(); }
    QWidget* mainWindow() override { return &m_main; }
    bool saveActiveDocument() override { return documents().save(documents().active()); }
    TEditSession& session() override { return m_main.session(); }

    bool openImportedImage(TGIFImage& image) override
    {
        // The document being left keeps its state in its working copy before the working image
        // takes the movie; the new untitled document then writes its own copy.
        if (TDocument* previous = documents().active())
            documents().deactivate(previous);
        TGIFImage& working = session().workingImage();
        working.stopPainting();
        working.assign(&image);
        TDocument* doc = documents().create();
        if (!doc)
            return false;
        doc->setModified(true);
        return true;
    }

private:
    TDocumentManager& documents() { return m_main.session().documents(); }

    TfrmMain& m_main;
};

} // namespace

void connectImportExport(TfrmMain& main)
{
    auto on = [&main](TActionId id, auto handler) {
        QObject::connect(main.action(id), &QAction::triggered, &main, handler);
    };
    on(TActionId::mniImportAVI, [&main] {
        TMainImportExportHost host(main);
        importAVICommand(host);
    });
    on(TActionId::mniExportAVI, [&main] {
        TMainImportExportHost host(main);
        exportAVICommand(host);
    });
    on(TActionId::mniExportHTML, [&main] {
        TMainImportExportHost host(main);
        exportHTMLPageCommand(host);
    });
    on(TActionId::mniExportSingle, [&main] {
        TMainImportExportHost host(main);
        exportSingleImagesCommand(host, singleImageEntries(main.commandHost()));
    });
}

void importAVIFile(TfrmMain& main, const QString& path)
{
    TMainImportExportHost host(main);
    importAVIDocument(host, path);
}

bool importAVIFileOrThrow(TfrmMain& main, const QString& path)
{
    TMainImportExportHost host(main);
    return importAVIDocumentOrThrow(host, path);
}

bool exportAVIFileOrThrow(TfrmMain& main, const QString& path)
{
    TMainImportExportHost host(main);
    return exportAVIToFileOrThrow(host, path);
}

bool exportAVICommandOrThrow(TfrmMain& main)
{
    TMainImportExportHost host(main);
    return exportAVICommandOrThrow(host);
}
