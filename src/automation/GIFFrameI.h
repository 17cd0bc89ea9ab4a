#pragma once
// One frame (IFrame) of the active document's animation, fixed when the object is made.
//
// The editor frees frames all the time: at every document switch the working image is read
// again, a snapshot undo reloads it, a deletion frees one frame. The object therefore keeps no
// pointer: it keeps the frame's serial number (unique in the process) and looks it up in the
// active document's animation at each call. When it is not there any more every member fails
// with "The frame no longer exists.".
//
// Changes go through the active document's undo history, recorded for this frame (not for the
// frame selected in the strip), only when the value differs; values the GIF format cannot hold
// are refused with a message and record nothing.
#include "automation/AutomationHost.h"
#include "automation/Reelwright_TLB.h"

#include <functional>

class TGIFSubImage;
class TGIFGraphicControlExtension;

class TGIFFrame : public IFrame
{
public:
    TGIFFrame(IAutomationHost& host, uint64_t serial, TComServer* server);

    QByteArray get_Bitmap() override;
    QString get_Comments() override;
    bool get_Empty() override;
    int get_Extensions() override;
    int get_Left() override;
    void put_Left(int nLeft) override;
    int get_Top() override;
    void put_Top(int nTop) override;
    bool get_Interlaced() override;
    void put_Interlaced(bool wbInterlaced) override;
    bool get_LocalPalette() override;
    int get_Height() override;
    void put_Height(int nHeight) override;
    int get_Width() override;
    void put_Width(int nWidth) override;
    bool get_Transparent() override;
    void put_Transparent(bool wbTransparent) override;
    int get_Delay() override;
    void put_Delay(int nDelay) override;
    TIDisposalMethod get_Disposal() override;
    void put_Disposal(TIDisposalMethod idmDisposal) override;
    bool SetBitmap(const QByteArray& Bitmap) override;

private:
    struct TBound
    {
        IUndoHost* document = nullptr;
        TGIFSubImage* frame = nullptr;
        int index = -1;
    };
    // The frame in the active document; throws when it is gone.
    TBound bound();
    // Records "Change <word>" for this frame, applies the change, marks the document modified.
    void change(int kind, const QString& word, const std::function<void(TGIFSubImage&)>& apply);

    IAutomationHost& m_host;
    uint64_t m_serial;
};
