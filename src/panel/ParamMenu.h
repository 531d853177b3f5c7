#pragma once

#include <QObject>
#include <QString>

#include "base/Failure.h"
#include "model/ModelConfigRecord.h"
#include "panel/ParamHistory.h"

class QAction;
class QListWidget;
class QMenu;
class QPoint;
class QSlider;
class QWidget;
struct Preset;

// What the menu works on besides the history's target: the panel's widget (the parent of
// the menu and of its file dialogs and message boxes), its slider and parameter list, and
// the window places a record file saves.
class ParamMenuHost : public ParamHistoryTarget {
public:
    virtual QWidget& Widget() = 0;
    virtual QSlider* SliderControl() const = 0;
    virtual QListWidget* ListControl() const = 0;
    // The window places the settings would remember now; none known: the defaults.
    virtual WindowGeometry CurrentGeometry() const = 0;

    // Held while one of the panel's own dialogs is open (a file chooser, its message
    // boxes): the panel counts as in use meanwhile.
    class OwnDialog {
    public:
        explicit OwnDialog(ParamMenuHost& host) : host_(host) { host_.OwnDialogOpened(); }
        ~OwnDialog() { host_.OwnDialogClosed(); }
        OwnDialog(const OwnDialog&) = delete;
        OwnDialog& operator=(const OwnDialog&) = delete;

    private:
        ParamMenuHost& host_;
    };

protected:
    virtual void OwnDialogOpened() = 0;
    virtual void OwnDialogClosed() = 0;
};

// The parameter list's context menu (right click or the menu key) and the panel's undo
// and redo keys: reset to the defaults, the built-in presets, saving and loading a
// parameter file, and undo/redo of every parameter change. Each change is one step of
// the history: a slider drag from press to release, one key move of the slider, a
// preset, a load or a reset.
class ParamMenu : public QObject {
public:
    explicit ParamMenu(ParamMenuHost& host);

    ParamHistory& History() { return history_; }
    QMenu* Menu() const { return menu_; }
    QAction* UndoAction() const { return undo_; }
    QAction* RedoAction() const { return redo_; }

    void ResetToDefaults();
    // The same parameters with a fresh seed: new leaves, one undoable step.
    void NewRandomTree();
    void ApplyPreset(const Preset& preset);
    // Loads a parameter file in either format; on refusal nothing changes. `ignored`
    // receives what the file held but the program does not know.
    Result<> LoadFrom(const QString& path, QString* ignored = nullptr);
    // Writes the parameters, the seed and the camera as readable JSON, or as the 96-byte
    // record for a name ending in .cfg.
    Result<> SaveTo(const QString& path);

private:
    void BuildMenu();
    void ShowMenu(const QPoint& listPos);
    void LoadWithDialog();
    void SaveWithDialog();

    ParamMenuHost& host_;
    ParamHistory history_;
    QMenu* menu_ = nullptr;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
    QAction* wind_ = nullptr;    // checked while the tree sways in the wind
    QAction* lighter_ = nullptr; // checked while slow trees are drawn lighter when moving
    QString lastDirectory_;
};
