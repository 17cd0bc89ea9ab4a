#include "app/FramePanels.h"

#include "app/AnimationCommands.h"
#include "app/FrameStrip.h"
#include "app/FrameStripHost.h"
#include "editing/ColorUse.h"
#include "editing/Document.h"
#include "editing/DocumentManager.h"
#include "editing/EditSession.h"
#include "editing/FrameInsertion.h"
#include "editing/LoopExtension.h"
#include "editing/UIHelpers.h"
#include "editing/UndoHistory.h"
#include "editing/UndoHost.h"
#include "editing/float.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "platform/MessageService.h"
#include "platform/Settings.h"
#include "platform/UserTexts.h"

#include <QAbstractItemView>
#include <QActionGroup>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <functional>

namespace {

const char* const kSizeCaptions[6] = {"&80 x 80",   "&96 x 96",   "&112 x 112",
                                      "1&28 x 128", "1&44 x 144", "1&60 x 160"};

QString yesNo(bool value)
{
    return QString::fromLatin1(kBooleanNames[value ? 1 : 0]);
}

TGIFGraphicControlExtension* firstControlExtension(TGIFSubImage& frame)
{
    for (int i = 0; i < frame.extensions().count(); ++i)
        if (auto* control = dynamic_cast<TGIFGraphicControlExtension*>(frame.extensions().extension(i)))
            return control;
    return nullptr;
}

// Runs a named undo recorder before an edit. A command that cannot capture its state (a snapshot
// that cannot be written) would leave an edit without a way back, so the edit is refused.
bool record(const std::function<void()>& recorder)
{
    try {
        recorder();
        return true;
    } catch (const std::exception& error) {
        messageDlg(QString::fromUtf8(error.what()), TMsgType::Error, TMsgButtons::Ok);
        return false;
    }
}

} // namespace

// ---- TNumberEdit -------------------------------------------------------------------------

void TNumberEdit::stepBy(int steps)
{
    QSpinBox::stepBy(steps);
    emit stepped();
}

QString TNumberEdit::editText() const
{
    return lineEdit()->text();
}

void TNumberEdit::setEditText(const QString& text)
{
    lineEdit()->setText(text);
    interpretText();
}

void TNumberEdit::focusInEvent(QFocusEvent* event)
{
    QSpinBox::focusInEvent(event);
    emit entered();
}

void TNumberEdit::focusOutEvent(QFocusEvent* event)
{
    emit leaving();
    QSpinBox::focusOutEvent(event);
}

void TNumberEdit::keyPressEvent(QKeyEvent* event)
{
    const QString typed = event->text();
    if (!typed.isEmpty() && typed[0].isPrint() && !typed[0].isDigit()) {
        event->accept(); // only digits and backspace reach the field
        return;
    }
    const QString before = lineEdit()->text();
    QSpinBox::keyPressEvent(event);
    if (lineEdit()->text() != before)
        emit edited();
}

// ---- TFramePanels ------------------------------------------------------------------------

TFramePanels::TFramePanels(QWidget* parent) : QTabWidget(parent)
{
    setObjectName(QStringLiteral("pgcPanels"));
    auto label = [](const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text);
        l->setBuddy(buddy);
        return l;
    };

    framePanel = new QWidget;
    framePanel->setObjectName(QStringLiteral("pnlFrame"));
    auto* fl = new QGridLayout(framePanel);
    cbCurrentFrame = new QComboBox(framePanel);
    cbCurrentFrame->setObjectName(QStringLiteral("cbCurrentFrame"));
    txtDelay = new TNumberEdit(framePanel);
    txtDelay->setObjectName(QStringLiteral("txtDelay"));
    txtDelay->setRange(0, 32767);
    txtDelay->setValue(0);
    cbDisposal = new QComboBox(framePanel);
    cbDisposal->setObjectName(QStringLiteral("cbDisposal"));
    for (const char* name : kDisposalNames)
        cbDisposal->addItem(QString::fromLatin1(name));
    fl->addWidget(label(QStringLiteral("&Current Frame"), cbCurrentFrame), 0, 0, 1, 2);
    fl->addWidget(cbCurrentFrame, 1, 0, 1, 2);
    fl->addWidget(label(QStringLiteral("&Delay:"), txtDelay), 2, 0);
    fl->addWidget(txtDelay, 2, 1);
    fl->addWidget(label(QStringLiteral("Di&sposal"), cbDisposal), 3, 0, 1, 2);
    fl->addWidget(cbDisposal, 4, 0, 1, 2);
    fl->setRowStretch(5, 1);
    addTab(framePanel, QStringLiteral("Frame"));

    animationPanel = new QWidget;
    animationPanel->setObjectName(QStringLiteral("pnlAnimation"));
    auto* al = new QGridLayout(animationPanel);
    optForever = new QRadioButton(QStringLiteral("Play &Forever"), animationPanel);
    optForever->setObjectName(QStringLiteral("optForever"));
    optForever->setChecked(true);
    optPlay = new QRadioButton(QStringLiteral("&Play"), animationPanel);
    optPlay->setObjectName(QStringLiteral("optPlay"));
    txtLoop = new TNumberEdit(animationPanel);
    txtLoop->setObjectName(QStringLiteral("txtLoop"));
    txtLoop->setRange(1, 32767); // five characters at most
    txtLoop->setValue(1);
    pnlTransColor = new QLabel(animationPanel);
    pnlTransColor->setObjectName(QStringLiteral("pnlTransColor"));
    pnlTransColor->setFixedSize(24, 18);
    pnlTransColor->setFrameShape(QFrame::Box);
    pnlTransColor->setAutoFillBackground(true);
    btnSelect = new QPushButton(QStringLiteral("&Select"), animationPanel);
    btnSelect->setObjectName(QStringLiteral("btnSelect"));
    btnSelect->setToolTip(QStringLiteral("Select Transparent Color"));
    al->addWidget(optForever, 0, 0, 1, 3);
    al->addWidget(optPlay, 1, 0);
    al->addWidget(txtLoop, 1, 1);
    al->addWidget(new QLabel(QStringLiteral("Time(s)")), 1, 2);
    al->addWidget(new QLabel(QStringLiteral("Transparent Color")), 2, 0, 1, 3);
    al->addWidget(pnlTransColor, 3, 0);
    al->addWidget(btnSelect, 3, 1, 1, 2);
    al->setRowStretch(4, 1);
    addTab(animationPanel, QStringLiteral("Animation"));
    setTransparentSwatch(0, 0);
}

void TFramePanels::setControlsEnabled(bool enabled)
{
    for (QWidget* control : std::initializer_list<QWidget*>{cbCurrentFrame, txtDelay, cbDisposal, optForever,
                                                            optPlay, txtLoop, pnlTransColor, btnSelect})
        control->setEnabled(enabled);
}

void TFramePanels::setTransparentSwatch(TColor color, int index)
{
    m_swatchColor = color;
    pnlTransColor->setProperty("tag", index);
    QPalette palette = pnlTransColor->palette();
    palette.setColor(QPalette::Window,
                     QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF)));
    pnlTransColor->setPalette(palette);
}

int TFramePanels::swatchIndex() const
{
    return pnlTransColor->property("tag").toInt();
}

// ---- TFrameStripController ---------------------------------------------------------------

TFrameStripController::TFrameStripController(TEditSession& session, IFrameStripHost& host, TFrameStrip& strip,
                                             TFramePanels& panels, QObject* parent)
    : QObject(parent), m_session(session), m_host(host), m_strip(strip), m_panels(panels)
{
    m_inputTimer.setSingleShot(true);
    m_inputTimer.setInterval(kInputDelayMs);
    connect(&m_inputTimer, &QTimer::timeout, this, &TFrameStripController::onInputTimer);

    m_progress = new QProgressBar(&panels);
    m_progress->setObjectName(QStringLiteral("pbProgress"));
    m_progress->setRange(0, 100);
    m_progress->setTextVisible(false);
    m_progress->hide();

    const int size = Settings::readInteger(SettingKeys::FrameSize);
    m_strip.setFrameSize(
        std::find(std::begin(kFrameSizes), std::end(kFrameSizes), size) != std::end(kFrameSizes) ? size
                                                                                                 : 160);
    m_strip.setImage(&session.workingImage());

    connect(&strip, &TFrameStrip::cellSelected, this, [this](int column) { selectFrame(column); });
    connect(&strip, &TFrameStrip::rangeSelected, this, [this] {
        const QSignalBlocker blocker(m_panels.cbCurrentFrame);
        if (m_strip.allSelected() && m_panels.cbCurrentFrame->count() > 0)
            m_panels.cbCurrentFrame->setCurrentIndex(m_panels.cbCurrentFrame->count() - 1);
        else
            m_panels.cbCurrentFrame->setCurrentIndex(currentFrame());
    });
    connect(&strip, &TFrameStrip::frameDropped, this, &TFrameStripController::dropFrameOn);
    connect(&strip, &TFrameStrip::viewDropped, this, &TFrameStripController::dropViewOn);

    connect(panels.txtDelay, &TNumberEdit::entered, this, &TFrameStripController::enterDelay);
    connect(panels.txtDelay, &TNumberEdit::leaving, this, &TFrameStripController::leaveDelay);
    connect(panels.txtDelay, &TNumberEdit::edited, this, &TFrameStripController::delayChanged);
    connect(panels.txtDelay, &TNumberEdit::stepped, this, [this] {
        if (m_filling)
            return;
        m_delayEditing = true;
        m_panels.txtDelay->setFocus();
        delayChanged();
    });
    connect(panels.cbDisposal, &QComboBox::activated, this, [this] {
        if (!m_filling)
            applyToSelection(TFrameField::Disposal);
    });
    for (QRadioButton* option : {panels.optForever, panels.optPlay})
        connect(option, &QRadioButton::clicked, this, [this] {
            if (!m_filling)
                applyLoop(m_panels.optForever->isChecked(), m_panels.txtLoop->value());
        });
    connect(panels.txtLoop, &TNumberEdit::entered, this, &TFrameStripController::enterLoop);
    connect(panels.txtLoop, &TNumberEdit::leaving, this, &TFrameStripController::leaveLoop);
    connect(panels.txtLoop, &TNumberEdit::edited, this, &TFrameStripController::loopChanged);
    connect(panels.txtLoop, &TNumberEdit::stepped, this, &TFrameStripController::loopChanged);
    connect(panels.cbCurrentFrame, &QComboBox::activated, this, &TFrameStripController::currentFrameChosen);
    connect(panels.btnSelect, &QPushButton::clicked, this, &TFrameStripController::selectTransparentColor);
}

int TFrameStripController::currentFrame() const
{
    return m_session.currentFrame();
}

int TFrameStripController::defaultDelay() const
{
    return Settings::readInteger(SettingKeys::DefaultDelay);
}

// ---- Strip operations --------------------------------------------------------------------

void TFrameStripController::clearFrameStrip()
{
    m_session.setCurrentFrame(-1);
    m_strip.clearStrip();
}

void TFrameStripController::setFrameColumns(int count)
{
    m_strip.setColumnCount(count);
}

int TFrameStripController::frameColumnCount() const
{
    return m_strip.columnCount();
}

void TFrameStripController::repaintFrameStrip()
{
    m_strip.viewport()->update();
}

void TFrameStripController::setMoveActions(int index)
{
    const bool notFirst = index != 0;
    const bool notLast = index != frameColumnCount() - 1;
    m_host.setActionEnabled(TActionId::FrameMoveBegin, notFirst);
    m_host.setActionEnabled(TActionId::FrameMoveUp, notFirst);
    m_host.setActionEnabled(TActionId::FrameMoveEnd, notLast);
    m_host.setActionEnabled(TActionId::FrameMoveDown, notLast);
}

bool TFrameStripController::selectFrame(int index)
{
    m_host.stopPlayback();
    TDocument* document = m_session.documents().active();
    TGIFImage& image = m_session.workingImage();
    if (!document || index < 0 || index >= frameColumnCount() || image.images().count() == 0)
        return false;
    if (index >= image.images().count()) {
        messageDlg(QString::fromLatin1(kFramePreviewIndexMessage).arg(index), TMsgType::Error,
                   TMsgButtons::Ok);
        return false;
    }
    TGIFSubImage& frame = *image.images().subImage(index);
    // Every frame the user looks at has timing to edit; adding it is not an edit of its own.
    if (!frame.graphicControlExtension())
        ensureFrameTiming(frame, defaultDelay());

    m_host.showFrame(index);

    for (TActionId action :
         {TActionId::FrameDelete, TActionId::FrameTransColor, TActionId::EditCut, TActionId::EditCopy})
        m_host.setActionEnabled(action, true);
    setMoveActions(index);
    m_host.setActionEnabled(TActionId::EditPaste, m_host.canPaste());
    m_host.setActionEnabled(TActionId::AnimationPalette, image.globalColorMap().count() > 0);
    m_host.enableDocumentCommands(true);

    updatePanels(index);
    return true;
}

void TFrameStripController::updatePanels(int index)
{
    TDocument* document = m_session.documents().active();
    IFrameInspectorView* inspector = m_host.inspector();
    if (document && inspector)
        inspector->setInspectorCaption(QStringLiteral("%1 - %2").arg(
            QStringLiteral("Frame Inspector"), QFileInfo(document->fileName()).fileName()));

    TGIFImage& image = m_session.workingImage();
    if (index < 0 || index >= image.images().count())
        return;
    TGIFSubImage& frame = *image.images().subImage(index);
    TGIFGraphicControlExtension* control = frame.graphicControlExtension();

    m_filling = true;
    {
        const QSignalBlocker delayBlocker(m_panels.txtDelay);
        const QSignalBlocker disposalBlocker(m_panels.cbDisposal);
        QStringList values;
        values << QString::number(frame.height()) << QString::number(frame.width())
               << QString::number(frame.left()) << QString::number(frame.top()) << yesNo(frame.interlaced())
               << yesNo(frame.transparent()) << yesNo(frame.colorMap().count() > 0);
        if (control) {
            values << QString::number(control->delay()) << disposalName(control->disposal());
            // The list holds the named codes, indexed by value; another code selects nothing.
            m_panels.cbDisposal->setCurrentIndex(
                isNamedDisposal(control->disposal()) ? disposalValue(control->disposal()) : -1);
            m_panels.txtDelay->setValue(control->delay());
            m_panels.setTransparentSwatch(control->shownTransparentColor(), control->transparentColorIndex());
        } else {
            values << QString::number(defaultDelay()) << disposalName(TGIFDisposal::dmKeep);
            m_panels.cbDisposal->setCurrentIndex(disposalValue(TGIFDisposal::dmKeep));
            m_panels.txtDelay->setValue(defaultDelay());
        }
        if (inspector) {
            inspector->setFrameValues(values);
            QStringList comments;
            for (int i = 0; i < image.images().count(); ++i) {
                TGIFSubImage& each = *image.images().subImage(i);
                for (int e = 0; e < each.extensions().count(); ++e)
                    if (dynamic_cast<TGIFCommentExtension*>(each.extensions().extension(e)))
                        comments << QStringLiteral("Comment %1").arg(comments.size() + 1);
            }
            inspector->setCommentList(comments);
        }
        rebuildFrameLists(index);

        const QSignalBlocker foreverBlocker(m_panels.optForever);
        const QSignalBlocker playBlocker(m_panels.optPlay);
        const QSignalBlocker loopBlocker(m_panels.txtLoop);
        const int loopCount = getUserLoopCount(image);
        if (loopCount != 0) {
            m_panels.optPlay->setChecked(true);
            m_panels.txtLoop->setValue(loopCount);
        } else {
            m_panels.optForever->setChecked(true);
        }
    }
    m_filling = false;

    if (document)
        document->setRememberedFrame(index);
    m_session.setCurrentFrame(index);
    m_strip.setCurrentFrame(index);
    if (m_strip.singleSelection()) {
        m_strip.selectColumn(index);
        m_strip.scrollToColumn(index);
    } else if (m_strip.allSelected()) {
        const QSignalBlocker blocker(m_panels.cbCurrentFrame);
        m_panels.cbCurrentFrame->setCurrentIndex(m_panels.cbCurrentFrame->count() - 1);
    }
    m_host.showInspectorIfHiddenAtStartup();
}

void TFrameStripController::rebuildFrameLists(int index)
{
    TGIFImage& image = m_session.workingImage();
    QStringList items;
    // Item i is frame i: the non-empty frames stand first. The sizes are the frame's own, which
    // its bitmap has; rendering every frame on every selection would cost far more.
    for (int i = 0; i < image.images().count(); ++i) {
        TGIFSubImage& frame = *image.images().subImage(i);
        if (!frame.empty())
            items << QStringLiteral("%1 %2: [%3 x %4]")
                         .arg(QStringLiteral("Frame"))
                         .arg(i)
                         .arg(frame.height())
                         .arg(frame.width());
    }
    if (IFrameInspectorView* inspector = m_host.inspector())
        inspector->setFrameList(items, index);

    QComboBox& list = *m_panels.cbCurrentFrame;
    const QSignalBlocker blocker(&list);
    list.clear();
    list.addItems(items);
    list.setCurrentIndex(index < items.size() ? index : -1);
    if (list.count() > 0) {
        list.view()->setMinimumWidth(list.fontMetrics().horizontalAdvance(items.first()) + 10);
        list.addItem(QStringLiteral("Select All"));
    }
}

void TFrameStripController::currentFrameChosen(int item)
{
    QComboBox& list = *m_panels.cbCurrentFrame;
    if (item < 0)
        return;
    if (item == list.count() - 1 && list.itemText(item) == QLatin1String("Select All")) {
        m_strip.selectAll();
        return;
    }
    m_strip.selectColumn(item);
    m_session.setCurrentFrame(item);
    m_strip.setCurrentFrame(item);
    selectFrame(item);
}

// ---- Frame panel -------------------------------------------------------------------------

void TFrameStripController::enterDelay()
{
    if (!m_filling)
        m_delayEditing = true;
}

void TFrameStripController::leaveDelay()
{
    m_delayEditing = false;
    if (m_panels.txtDelay->editText().isEmpty()) {
        const QSignalBlocker blocker(m_panels.txtDelay);
        m_panels.txtDelay->setEditText(QString::number(defaultDelay()));
    }
}

void TFrameStripController::delayChanged()
{
    if (m_filling)
        return;
    // Typing reaches only a focused field, so an edit without the entering notification (a
    // focus change the platform did not report) still counts as entering.
    if (!m_delayEditing)
        enterDelay();
    if (m_delayEditing)
        m_inputTimer.start();
}

void TFrameStripController::enterLoop()
{
    if (m_filling)
        return;
    if (m_panels.optPlay->isChecked()) {
        m_loopEditing = true;
    } else {
        m_panels.optPlay->setChecked(true);
        applyLoop(false, m_panels.txtLoop->value());
    }
}

void TFrameStripController::leaveLoop()
{
    m_loopEditing = false;
    if (m_panels.txtLoop->editText().isEmpty()) {
        const QSignalBlocker blocker(m_panels.txtLoop);
        m_panels.txtLoop->setEditText(QStringLiteral("1"));
    }
}

void TFrameStripController::loopChanged()
{
    if (m_filling)
        return;
    if (!m_loopEditing)
        enterLoop();
    if (m_loopEditing)
        m_inputTimer.start();
}

void TFrameStripController::onInputTimer()
{
    m_inputTimer.stop();
    const bool delay = m_delayEditing;
    const bool loop = m_loopEditing;
    m_delayEditing = false;
    m_loopEditing = false;
    if (delay)
        applyToSelection(TFrameField::Delay);
    if (loop)
        applyLoop(m_panels.optForever->isChecked(), m_panels.txtLoop->value());
    m_strip.setFocus();
}

void TFrameStripController::applyToSelection(TFrameFields fields)
{
    if (m_strip.singleSelection()) {
        applyFrameEdit(currentFrame(), fields);
        return;
    }
    for (int i = m_strip.selectionLeft(); i <= m_strip.selectionRight(); ++i)
        applyFrameEdit(i, fields);
}

void TFrameStripController::applyFrameEdit(int index, TFrameFields fields)
{
    TDocument* document = m_session.documents().active();
    TGIFImage& image = m_session.workingImage();
    if (!document || index < 0 || index >= image.images().count())
        return;
    TWaitCursor wait;
    TGIFSubImage& frame = *image.images().subImage(index);
    TGIFGraphicControlExtension* control = frame.graphicControlExtension();
    if (!control) {
        ensureFrameTiming(frame, 100);
        return;
    }
    IUndoHost& undo = *document;
    if (m_panels.txtDelay->editText().isEmpty()) {
        const QSignalBlocker blocker(m_panels.txtDelay);
        m_panels.txtDelay->setEditText(QString::number(defaultDelay()));
    }
    bool changed = false;
    bool delayChanged = false;
    if (fields.testFlag(TFrameField::Delay) && m_panels.txtDelay->value() != control->delay()) {
        if (!record([&] { recordFrameTiming(undo, index, QStringLiteral("Change Delay")); }))
            return;
        control->setDelay(uint16_t(m_panels.txtDelay->value()));
        changed = delayChanged = true;
    }
    const int listed = m_panels.cbDisposal->currentIndex();
    if (fields.testFlag(TFrameField::Disposal) && listed >= 0 &&
        disposalFromValue(listed) != control->disposal()) {
        if (record([&] { recordFrameTiming(undo, index, QStringLiteral("Change Disposal")); })) {
            control->setDisposal(disposalFromValue(listed));
            changed = true;
        }
    }
    if (changed)
        undo.setModified(true);
    if (delayChanged)
        repaintFrameStrip();
}

// ---- Animation panel ---------------------------------------------------------------------

void TFrameStripController::applyLoop(bool playForever, int count)
{
    if (TDocument* document = m_session.documents().active())
        applyLoopRules(*document, playForever, count);
}

void TFrameStripController::selectTransparentColor()
{
    TDocument* document = m_session.documents().active();
    TGIFImage& image = m_session.workingImage();
    if (!document || image.images().count() == 0)
        return;
    TWaitCursor wait;
    const TPaletteChoice choice =
        m_host.choosePaletteColor(0, m_panels.swatchIndex(), m_panels.swatchColor());
    if (!choice.accepted)
        return;
    m_panels.setTransparentSwatch(choice.color, choice.colorIndex);
    IUndoHost& undo = *document;
    if (!record([&] { recordSnapshot(undo, QStringLiteral("Make Animation Transparent"), 0); }))
        return;
    image.header().setBackgroundColor(choice.color);
    for (int i = 0; i < image.images().count(); ++i) {
        TGIFSubImage& frame = *image.images().subImage(i);
        TGIFGraphicControlExtension* control = firstControlExtension(frame);
        if (!control)
            continue;
        control->setTransparent(true);
        control->setDisposal(TGIFDisposal::dmBackground);
        control->setTransparentColor(i == 0 ? choice.color : cornerColor(frame));
    }
    undo.setModified(true);
    repaintFrameStrip();
    selectFrame(currentFrame());
}

// ---- Drops -------------------------------------------------------------------------------

void TFrameStripController::dropFrameOn(int column)
{
    if (m_session.documents().active() && column >= 0 && column < frameColumnCount() && column != currentFrame() &&
        currentFrame() != -1)
        m_host.moveFramesTo(column);
    repaintFrameStrip();
}

void TFrameStripController::dropViewOn(int column)
{
    if (m_session.documents().active() && column >= 0 && column < frameColumnCount())
        m_host.insertViewPictureAt(column);
    repaintFrameStrip();
}

// ---- Frame size and progress -------------------------------------------------------------

QMenu* TFrameStripController::createFrameSizeMenu(QWidget* parent)
{
    auto* menu = new QMenu(QStringLiteral("Frame &Size"), parent);
    m_sizeGroup = new QActionGroup(menu);
    m_sizeGroup->setExclusive(true);
    for (int i = 0; i < 6; ++i) {
        QAction* action = menu->addAction(QString::fromLatin1(kSizeCaptions[i]));
        action->setCheckable(true);
        action->setData(kFrameSizes[i]);
        action->setChecked(kFrameSizes[i] == frameSize());
        m_sizeGroup->addAction(action);
        const int size = kFrameSizes[i];
        connect(action, &QAction::triggered, this, [this, size] { setFrameSize(size); });
    }
    return menu;
}

int TFrameStripController::frameSize() const
{
    return m_strip.frameSize();
}

void TFrameStripController::setFrameSize(int size)
{
    m_strip.setFrameSize(size);
    if (m_sizeGroup)
        for (QAction* action : m_sizeGroup->actions())
            action->setChecked(action->data().toInt() == size);
    emit frameSizeChanged(size);
}

TProgressEvent TFrameStripController::progressHandler()
{
    QPointer<QProgressBar> bar = m_progress;
    return [bar](TObject*, TProgressStage stage, int percent, bool, const QRect&, const QString&) {
        if (!bar)
            return;
        switch (stage) {
        case psStarting:
            bar->setValue(0);
            bar->show();
            break;
        case psRunning:
            bar->setValue(std::clamp(percent, 0, 100));
            break;
        case psEnding:
            bar->setValue(0);
            bar->hide();
            break;
        }
    };
}
