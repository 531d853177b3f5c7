#include "model/TreeSession.h"

TreeSession::TreeSession() : TreeSession(TreeParams{}, 0) {}

TreeSession::TreeSession(const TreeParams& params, uint32_t seed)
    : params_(params), factors_(seed) {
    // The trunk grows from the root segment, which lends it its ring and its size.
    model_.trunk.parent = &model_.root;
}

void TreeSession::Reseed(uint32_t seed) {
    factors_ = LeafRandomTable(seed);
}

void TreeSession::Regrow() {
    model_.Grow(params_, factors_);
}
