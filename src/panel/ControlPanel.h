#pragma once

#include <QDialog>
#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>
#include <string>

#include "model/ModelConfigRecord.h"
#include "model/TreeSession.h"
#include "panel/PanelViewer.h"
#include "panel/ParamMenu.h"

class QCheckBox;
class QEvent;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMouseEvent;
class QPlainTextEdit;
class QSlider;
class QTimer;
class QWindow;

// The parameter dialog: a small modeless tool window that lists the parameters of a tree
// session, sets the selected one with a vertical slider (top = maximum), regrows and
// redraws the tree through the viewer at every user move, and shows the last frame's
// statistics.
//
// The members mirror the controls; UpdateToControls() writes all of them into the
// controls and UpdateFromControls() reads all of them back, so a handler that changes
// one member first reads the others from what the controls show.
class ControlPanel : public QDialog, public ParamMenuHost {
public:
    // Changes the parameters and the seed of `session`, which must outlive the panel.
    explicit ControlPanel(TreeSession& session, QWidget* parent = nullptr);

    TreeSession& Session() const override { return session_; }
    PanelViewer* Viewer() const override { return viewer; }

    // Builds the controls and initialises them: first members -> controls, slider range
    // 0..1000, the list filled with the parameter names in row order and nothing selected,
    // then `ready`. The panel stays hidden; when `owner` is given the panel becomes a
    // transient window of it (kept above it, no task-bar entry of its own).
    void Create(QWindow* owner);
    bool IsCreated() const { return slider_ != nullptr; }

    // The viewer hands over each frame's statistics text ("\r\n" line ends). Ignored until
    // the controls exist; shown whether the panel is visible or not.
    void ShowStatistics(const std::string& text);

    void UpdateFromControls(); // controls -> members
    void UpdateToControls();   // members -> controls

    // toValue = false: put the selected parameter's value on the slider.
    // toValue = true: store the slider's value into the parameter, regrow the tree if the
    // parameter needs it and redraw the frame (only while `ready`).
    void SyncSlider(bool toValue);

    // Puts the selected parameter's current value on the slider and in its field, after
    // the parameters were changed other than by the slider (undo, a preset, a load).
    void ShowSelectedValue() override;
    // Shows the seed of the leaf factors in use, after a loaded file brought another.
    void ShowSeed() override;

    // The parameter list's menu with presets, files, undo and redo; exists once the
    // controls do.
    ParamMenu* ParamActions() const { return paramMenu_; }

    // Dialog units of this panel's font converted to pixels.
    QRect DialogRect(int x, int y, int width, int height) const;

    QWidget& Widget() override { return *this; }
    QSlider* SliderControl() const override { return slider_; }
    QListWidget* ListControl() const override { return list_; }
    WindowGeometry CurrentGeometry() const override {
        return currentGeometry ? currentGeometry() : WindowGeometry{};
    }
    QPlainTextEdit* StatsBox() const { return statsBox_; }
    QLabel* MaxField() const { return maxField_; }
    QLabel* MinField() const { return minField_; }
    QLineEdit* CurField() const { return curField_; }
    QCheckBox* AutoCloseBox() const { return autoCloseBox_; }
    QLabel* CautionText() const { return cautionText_; }
    QLabel* SeedField() const { return seedField_; }

    QString maxText = QStringLiteral("n/a");
    QString minText = QStringLiteral("n/a");
    int sliderPos = 0;
    QString statsText; // as received, with "\r\n" line ends
    QString curText = QStringLiteral("n/a");
    int autoClose = 0;
    PanelViewer* viewer = nullptr; // not owned
    // The window places the settings would remember now, for a parameter file saved in
    // their format; none: the defaults.
    std::function<WindowGeometry()> currentGeometry;
    bool ready = false; // controls exist and no programmatic slider move runs
    int selected = -1;  // selected row of ParamTable, -1 for none

    void accept() override; // Enter: the panel stays open
    void reject() override; // Escape and the close box: hide, keep the state

protected:
    bool event(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

protected:
    // The panel's own dialogs: auto-close leaves it alone while one is open, and it is
    // active again, with the keyboard focus, once the last one closes.
    void OwnDialogOpened() override;
    void OwnDialogClosed() override;

private:
    void BuildControls();

    TreeSession& session_;
    void OnSelectionChanged();
    void OnSliderMoved();

    int unitX_ = 4; // average character width, 4 dialog units
    int unitY_ = 8; // character height, 8 dialog units

    QSlider* slider_ = nullptr;
    QListWidget* list_ = nullptr;
    QPlainTextEdit* statsBox_ = nullptr;
    QLabel* maxField_ = nullptr;
    QLabel* minField_ = nullptr;
    QLineEdit* curField_ = nullptr;
    QCheckBox* autoCloseBox_ = nullptr;
    QLabel* cautionText_ = nullptr;
    QLabel* seedField_ = nullptr;
    ParamMenu* paramMenu_ = nullptr; // owned as a child object

    // Hides the panel for the auto-close option once a loss of activation is real.
    void CloseIfInactive();

    // A left press on a free spot becomes a move of the window once the pointer has moved
    // a few pixels with the button held; a click alone moves nothing.
    bool pressPending_ = false;
    // Dragging by hand when the window system cannot move the window itself.
    bool dragging_ = false;
    QPoint dragStartGlobal_;
    QPoint dragStartPos_;
    // Checks, while the window manager holds the keyboard for a move, whether the panel
    // gets its activation back when the move ends.
    QTimer* closeCheck_ = nullptr;
    bool grabSeenEnded_ = false;
    int ownDialogs_ = 0;
};
