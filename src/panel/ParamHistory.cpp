#include "panel/ParamHistory.h"

#include <QUndoCommand>

#include <bit>
#include <cstring>

#include "model/TreeSession.h"
#include "panel/PanelViewer.h"

namespace {

// Bit for bit, so that -0 and 0 count as a change and a value is never lost to ==.
bool SameValue(const TreeParams& a, const TreeParams& b, int row) {
    return std::bit_cast<uint32_t>(ParamValue(a, row)) ==
           std::bit_cast<uint32_t>(ParamValue(b, row));
}

bool SameCamera(const Camera& a, const Camera& b) {
    return std::memcmp(&a, &b, sizeof(Camera)) == 0;
}

// One step: the state before and after it. The change is already in place when the
// step is pushed, so its first redo does nothing.
class ParamStep : public QUndoCommand {
public:
    ParamStep(ParamHistory& history, const QString& text, ParamState before, ParamState after)
        : QUndoCommand(text), history_(history), before_(std::move(before)),
          after_(std::move(after)) {
        // A camera is only restored by undo when the step itself moved it.
        if (!after_.camera)
            before_.camera.reset();
    }
    void undo() override { history_.Apply(before_); }
    void redo() override {
        if (applied_) {
            applied_ = false;
            return;
        }
        history_.Apply(after_);
    }

private:
    ParamHistory& history_;
    ParamState before_;
    ParamState after_;
    bool applied_ = true;
};

} // namespace

bool ParamState::SameTreeAs(const ParamState& other) const {
    return std::memcmp(&params, &other.params, sizeof(TreeParams)) == 0 && seed == other.seed;
}

ParamHistory::ParamHistory(ParamHistoryTarget& target) : target_(target), committed_(Current()) {
    stack_.setUndoLimit(StepLimit);
}

ParamState ParamHistory::Current() const {
    const TreeSession& session = target_.Session();
    return ParamState{session.params(), session.seed(), std::nullopt};
}

void ParamHistory::Change(const QString& text, const ParamState& after) {
    ParamState before = Current();
    if (target_.Viewer() != nullptr)
        before.camera = target_.Viewer()->ViewCamera();
    const bool cameraMoves =
        after.camera && before.camera && !SameCamera(*after.camera, *before.camera);
    if (after.SameTreeAs(before) && !cameraMoves)
        return;
    Apply(after);
    stack_.push(new ParamStep(*this, text, before, after));
}

void ParamHistory::RecordSliderStep() {
    const ParamState now = Current();
    if (now.SameTreeAs(committed_))
        return;
    const ParamState before = committed_;
    committed_ = now;
    QString name = QStringLiteral("Change parameter");
    for (int row = 0; row < ParamCount; ++row) {
        if (!SameValue(before.params, now.params, row)) {
            name = QStringLiteral("Change ") + QString::fromUtf8(ParamTable[row].name);
            break;
        }
    }
    stack_.push(new ParamStep(*this, name, before, now));
}

void ParamHistory::Apply(const ParamState& state) {
    const ParamState was = Current();
    bool regrow = state.seed != was.seed;
    for (int row = 0; row < ParamCount; ++row) {
        if (ParamTable[row].rebuild && !SameValue(state.params, was.params, row))
            regrow = true;
    }
    TreeSession& session = target_.Session();
    session.params() = state.params;
    if (state.seed != was.seed) {
        session.Reseed(state.seed);
        target_.ShowSeed();
    }
    committed_ = Current();
    if (PanelViewer* viewer = target_.Viewer()) {
        if (state.camera)
            viewer->SetViewCamera(*state.camera);
        if (regrow)
            viewer->RebuildTree();
        viewer->RenderFrame();
    }
    target_.ShowSelectedValue();
}
