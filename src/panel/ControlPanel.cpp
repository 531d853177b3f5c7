#include "panel/ControlPanel.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <QWindow>

#include <algorithm>

#include "model/TreeParams.h"
#include "panel/ParamMenu.h"
#include "panel/SliderMapping.h"
#include "platform/KeyboardGrab.h"

namespace {

// The panel's size in dialog units.
constexpr int PanelWidthDu = 124;
constexpr int PanelHeightDu = 250;

// How often a pending auto-close looks whether the window manager's hold has ended.
constexpr int CloseCheckPeriodMs = 50;

QString FormatValue(float v) {
    return QString::asprintf("%3.2f", static_cast<double>(v));
}

// The statistics text arrives with "\r\n" line ends; the text box wants plain "\n".
QString ToDisplayLines(const QString& text) {
    QString s = text;
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

QString FromDisplayLines(const QString& text) {
    QString s = text;
    s.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return s;
}

QFont PanelFont() {
    const QString family = QFontDatabase::families().contains(QStringLiteral("Tahoma"))
                               ? QStringLiteral("Tahoma")
                               : QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    QFont font(family);
    font.setPointSize(8);
    return font;
}

// Read-only text controls are drawn on the panel's own background.
void UsePanelBackground(QWidget* w) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Base, Qt::transparent);
    w->setPalette(pal);
}

} // namespace

ControlPanel::ControlPanel(TreeSession& session, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint),
      session_(session) {
    setModal(false);
    setWindowTitle(QStringLiteral(" Control Panel"));
    setFont(PanelFont());
    closeCheck_ = new QTimer(this);
    closeCheck_->setInterval(CloseCheckPeriodMs);
    connect(closeCheck_, &QTimer::timeout, this, [this] { CloseIfInactive(); });
    WatchKeyboardGrabs();
}

QRect ControlPanel::DialogRect(int x, int y, int width, int height) const {
    // Rounded like the window system's own conversion of dialog units.
    auto sx = [this](int v) { return (v * unitX_ + 2) / 4; };
    auto sy = [this](int v) { return (v * unitY_ + 4) / 8; };
    return QRect(sx(x), sy(y), sx(width), sy(height));
}

void ControlPanel::BuildControls() {
    const QFontMetrics fm(font());
    const int letters = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    unitX_ = std::max(1, (letters + 26) / 52);
    unitY_ = std::max(1, fm.height());

    setFixedSize(DialogRect(0, 0, PanelWidthDu, PanelHeightDu).size());

    auto place = [this](QWidget* w, int x, int y, int width, int height) {
        w->setGeometry(DialogRect(x, y, width, height));
    };
    // Labels, frames and lines let presses through to the panel, so the panel can be
    // dragged by them as by any other free spot of its body.
    auto passive = [](QWidget* w) { w->setAttribute(Qt::WA_TransparentForMouseEvents); };
    auto label = [&](const QString& text, int x, int y, int width, int height) {
        auto* l = new QLabel(text, this);
        l->setTextFormat(Qt::PlainText);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        place(l, x, y, width, height);
        passive(l);
        return l;
    };
    auto line = [&](int x, int y, int width, int height) {
        auto* f = new QFrame(this);
        f->setFrameStyle(QFrame::HLine | QFrame::Sunken);
        QRect r = DialogRect(x, y, width, height);
        r.setHeight(std::max(2, r.height()));
        f->setGeometry(r);
        passive(f);
        return f;
    };

    list_ = new QListWidget(this);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setSortingEnabled(false);
    list_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    place(list_, 10, 95, 72, 106);

    auto* statsGroup = new QGroupBox(QStringLiteral("Model Statistics"), this);
    place(statsGroup, 4, 19, 115, 62);
    passive(statsGroup);

    // The seed of the leaf factors on the frame's top edge, right-aligned: with the
    // parameters it is what grows this tree again (--seed).
    seedField_ = label(QString(), 58, 19, 58, 8);
    seedField_->setAutoFillBackground(true);
    ShowSeed();

    statsBox_ = new QPlainTextEdit(this);
    statsBox_->setReadOnly(true);
    statsBox_->setFrameStyle(QFrame::NoFrame);
    statsBox_->setLineWrapMode(QPlainTextEdit::NoWrap);
    statsBox_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    statsBox_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    statsBox_->document()->setDocumentMargin(1);
    UsePanelBackground(statsBox_);
    place(statsBox_, 8, 29, 107, 49);

    auto* paramGroup = new QGroupBox(QStringLiteral("Model Parameter"), this);
    place(paramGroup, 4, 84, 115, 123);
    passive(paramGroup);

    slider_ = new QSlider(Qt::Vertical, this);
    slider_->setTickPosition(QSlider::NoTicks);
    // Position 0 sits at the top; the up key and the wheel move the thumb upwards.
    slider_->setInvertedAppearance(true);
    slider_->setInvertedControls(true);
    slider_->setSingleStep(1);
    slider_->setPageStep(SliderSteps / 10);
    slider_->setFocusPolicy(Qt::StrongFocus);
    place(slider_, 82, 91, 13, 113);

    maxField_ = label(QStringLiteral("Max"), 95, 100, 21, 8);
    minField_ = label(QStringLiteral("Min"), 95, 194, 21, 8);
    label(QStringLiteral("Max."), 95, 92, 17, 8);
    label(QStringLiteral("Cur."), 95, 134, 15, 8);
    label(QStringLiteral("Min."), 95, 186, 14, 8);

    curField_ = new QLineEdit(this);
    curField_->setReadOnly(true);
    curField_->setFrame(false);
    curField_->setTextMargins(0, 0, 0, 0);
    UsePanelBackground(curField_);
    place(curField_, 95, 143, 21, 12);

    autoCloseBox_ = new QCheckBox(QStringLiteral("Automatically close on inactiving"), this);
    place(autoCloseBox_, 4, 3, 116, 10);

    cautionText_ =
        label(QStringLiteral("Adjusting  [Tree Total Depth] or [SSE. Dep. Attenuate] too great "
                             "should went short of resource."),
              14, 217, 106, 25);
    cautionText_->setWordWrap(true);
    line(4, 16, 115, 1);
    label(QStringLiteral("CAUTION:"), 6, 209, 34, 8);
    line(4, 244, 115, 1);

    // The frames lie behind the controls they enclose.
    statsGroup->lower();
    paramGroup->lower();

    setTabOrder(list_, statsBox_);
    setTabOrder(statsBox_, slider_);
    setTabOrder(slider_, curField_);
    setTabOrder(curField_, autoCloseBox_);

    connect(list_, &QListWidget::itemSelectionChanged, this, [this] { OnSelectionChanged(); });
    // Programmatic moves are made under a signal blocker, so these come from the user only.
    connect(slider_, &QSlider::valueChanged, this, [this] { OnSliderMoved(); });
    // Taking hold of the thumb applies the position it shows, even without a move.
    connect(slider_, &QSlider::sliderPressed, this, [this] { OnSliderMoved(); });
}

void ControlPanel::Create(QWindow* owner) {
    if (IsCreated())
        return;
    BuildControls();
    UpdateToControls();
    {
        const QSignalBlocker block(slider_);
        slider_->setRange(0, SliderSteps);
    }
    ready = true;
    for (int row = 0; row < ParamCount; ++row) {
        list_->insertItem(row, QString::fromUtf8(ParamTable[row].name));
        list_->item(row)->setToolTip(QString::fromStdString(ParamHintText(row)));
    }
    list_->clearSelection();
    paramMenu_ = new ParamMenu(*this);

    winId();
    if (owner != nullptr && windowHandle() != nullptr)
        windowHandle()->setTransientParent(owner);
}

void ControlPanel::UpdateFromControls() {
    if (!IsCreated())
        return;
    maxText = maxField_->text();
    minText = minField_->text();
    sliderPos = slider_->value();
    statsText = FromDisplayLines(statsBox_->toPlainText());
    curText = curField_->text();
    autoClose = autoCloseBox_->isChecked() ? 1 : 0;
}

void ControlPanel::UpdateToControls() {
    if (!IsCreated())
        return;
    maxField_->setText(maxText);
    minField_->setText(minText);
    {
        // Writing the position back is never a user move.
        const QSignalBlocker block(slider_);
        slider_->setValue(sliderPos);
    }
    const QString shown = ToDisplayLines(statsText);
    if (statsBox_->toPlainText() != shown)
        statsBox_->setPlainText(shown);
    if (curField_->text() != curText) {
        curField_->setText(curText);
        curField_->setCursorPosition(0);
    }
    autoCloseBox_->setChecked(autoClose != 0);
}

void ControlPanel::SyncSlider(bool toValue) {
    if (selected < 0 || selected >= ParamCount)
        return;
    const ParamEntry& row = ParamTable[selected];
    if (!toValue) {
        sliderPos = ValueToSliderPos(row, session_.params().*row.value);
        UpdateToControls();
        return;
    }
    if (!ready)
        return;
    UpdateFromControls();
    session_.params().*row.value = SliderPosToValue(row, sliderPos);
    if (viewer != nullptr) {
        if (row.rebuild)
            viewer->RebuildTree();
        viewer->RenderFrame();
    }
}

void ControlPanel::ShowStatistics(const std::string& text) {
    if (!ready)
        return;
    UpdateFromControls();
    statsText = QString::fromStdString(text);
    UpdateToControls();
}

void ControlPanel::OnSelectionChanged() {
    const QList<QListWidgetItem*> items = list_->selectedItems();
    selected = items.isEmpty() ? -1 : list_->row(items.first());
    if (selected < 0)
        return;
    // Take over what the controls show (the check box in particular) before all
    // members are written back to them.
    UpdateFromControls();
    ready = false;
    SyncSlider(false);
    ready = true;
    const ParamEntry& row = ParamTable[selected];
    maxText = FormatValue(row.maximum);
    minText = FormatValue(row.minimum);
    curText = FormatValue(session_.params().*row.value);
    UpdateToControls();
}

void ControlPanel::ShowSelectedValue() {
    if (!IsCreated() || selected < 0)
        return;
    UpdateFromControls();
    ready = false;
    SyncSlider(false);
    ready = true;
    curText = FormatValue(ParamValue(session_.params(), selected));
    UpdateToControls();
}

void ControlPanel::ShowSeed() {
    if (seedField_ == nullptr)
        return;
    seedField_->setText(QStringLiteral("Seed %1").arg(session_.seed()));
    seedField_->adjustSize();
    seedField_->move(DialogRect(4, 19, 115, 8).right() - DialogRect(0, 0, 4, 0).width() -
                         seedField_->width(),
                     seedField_->y());
}

void ControlPanel::OnSliderMoved() {
    if (!ready || selected < 0)
        return;
    SyncSlider(true);
    curText = FormatValue(ParamValue(session_.params(), selected));
    UpdateToControls();
}

void ControlPanel::accept() {}

void ControlPanel::reject() {
    hide();
}
