#pragma once

#include <QString>
#include <QUndoStack>

#include <cstdint>
#include <optional>

#include "model/Camera.h"
#include "model/TreeParams.h"

class PanelViewer;
class TreeSession;

// What the history changes and shows: the tree session, the viewer drawing its tree (if
// any), and the display of the values after a step was applied.
class ParamHistoryTarget {
public:
    virtual ~ParamHistoryTarget() = default;
    virtual TreeSession& Session() const = 0;
    virtual PanelViewer* Viewer() const = 0;
    // The session's seed changed.
    virtual void ShowSeed() = 0;
    // The parameters changed other than by the slider.
    virtual void ShowSelectedValue() = 0;
};

// Everything one undoable step can change: the parameters, the leaf factors' seed and,
// for a loaded file that carries one, the camera.
struct ParamState {
    TreeParams params;
    uint32_t seed = 0;
    std::optional<Camera> camera;

    bool SameTreeAs(const ParamState& other) const;
};

// The undo history of the parameter changes of the panel's tree session. Every change is
// applied first and recorded afterwards as one step; undo and redo apply the state before
// or after that step the same way a slider move does: store in the session, regrow when
// needed, redraw, show the new values.
class ParamHistory {
public:
    static constexpr int StepLimit = 1000;

    explicit ParamHistory(ParamHistoryTarget& target);

    QUndoStack& Stack() { return stack_; }

    // The parameters and seed as they are now (no camera).
    ParamState Current() const;
    // Applies `after` and records it as one step called `text`.
    void Change(const QString& text, const ParamState& after);
    // Records what changed since the last step (a finished slider drag or key move) as
    // one step; nothing when nothing changed.
    void RecordSliderStep();
    // Applies a state: used by undo and redo.
    void Apply(const ParamState& state);

private:
    ParamHistoryTarget& target_;
    QUndoStack stack_;
    ParamState committed_; // the state after the last recorded step
};
