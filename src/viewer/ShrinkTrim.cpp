#include "viewer/ShrinkTrim.h"

#include <algorithm>

void ShrinkTrim::Grown(int64_t records) {
    current_ = records;
    largest_ = std::max(largest_, records);
    if (records < largest_ / 4) {
        pending_ = true;
    }
}

bool ShrinkTrim::Drawn() {
    if (!pending_) {
        return false;
    }
    pending_ = false;
    largest_ = current_;
    return true;
}
