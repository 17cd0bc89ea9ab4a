#pragma once
// The active-document object (IActiveDocument): bound to nothing, every call acts on the document
// active at that moment, so one object can be kept across document switches. Without a document
// reads give false, empty, 0 or -1 and changes do nothing.
//
// Changes go through the program's own routines and its undo history. Where the plain reading of
// a member would report a failure as success (Close, Save, ExportToAVI, AddFrameNoPrompts), the
// member answers what really happened; values the format cannot hold (a negative loop count, a
// frame index that does not exist) fail with a message and record nothing.
#include "automation/AutomationHost.h"
#include "automation/Reelwright_TLB.h"

class TActiveDocument : public IActiveDocument
{
public:
    TActiveDocument(IAutomationHost& host, TComServer* server);

    bool get_CanUndo() override;
    bool get_CanRedo() override { return false; }
    void Undo() override;
    void Redo() override {}
    QString get_FileName() override;
    bool get_Modified() override;
    void put_Modified(bool value) override;
    bool get_ReadOnly() override;
    void put_ReadOnly(bool value) override;
    QByteArray CurrentBitmap() override;
    int get_TabIndex() override;
    int get_SelectedFrame() override;
    void put_SelectedFrame(int nFrame) override;
    bool get_Optimized() override { return false; }
    void Clear() override {}
    bool Close(bool wbPromptToSave) override;
    void Print(bool, bool) override {}
    void Reload(bool) override {}
    bool Save() override;
    void PlayAnimation() override;
    void StopAnimation() override;
    int AddFrame(const QByteArray& Image, int Delay) override;
    void InsertFrame(int, const QByteArray&) override {}
    void DeleteFrame(int nIndex) override;
    bool ExportToAVI() override;
    bool ImportFromAVI(const QString& wsFile) override;
    QString HTMLCode(const QString& wsURL, const QString& wsHint, int nBorder) override;
    int get_NSLoop() override;
    void put_NSLoop(int nLoop) override;
    void Optimize() override {}
    bool AddFrameNoPrompts(const QByteArray& Image, int nDelay) override;
    bool SaveDocToTempFile(const QString& wsFileName) override;
    TComPtr<IFrames> get_Frames() override;

private:
    IUndoHost* document();
    // The active document's tab, null without one.
    const IAutomationHost::TTab* activeTab();

    IAutomationHost& m_host;
    QList<IAutomationHost::TTab> m_tabs; // refreshed by activeTab()
    TComPtr<IFrames> m_frames;           // made on the first Frames read, then kept
};
