#pragma once

#include <QObject>
#include <QString>

#include "base/Failure.h"
#include "panel/ParamHistory.h"

class ControlPanel;
class QAction;
class QMenu;
class QPoint;
struct Preset;

// The parameter list's context menu (right click or the menu key) and the panel's undo
// and redo keys: reset to the defaults, the built-in presets, saving and loading a
// parameter file, and undo/redo of every parameter change. Each change is one step of
// the history: a slider drag from press to release, one key move of the slider, a
// preset, a load or a reset.
class ParamMenu : public QObject {
public:
    explicit ParamMenu(ControlPanel& panel);

    ParamHistory& History() { return history_; }
    QMenu* Menu() const { return menu_; }
    QAction* UndoAction() const { return undo_; }
    QAction* RedoAction() const { return redo_; }

    void ResetToDefaults();
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

    ControlPanel& panel_;
    ParamHistory history_;
    QMenu* menu_ = nullptr;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
    QString lastDirectory_;
};
