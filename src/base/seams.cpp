#include "base/seams.h"

namespace {
Seams& SeamsInForce() {
    static Seams seams;
    return seams;
}
}  // namespace

const Seams& CurrentSeams() {
    return SeamsInForce();
}

ScopedSeams::ScopedSeams(const Seams& replacement) : previous_(SeamsInForce()) {
    SeamsInForce() = replacement;
}

ScopedSeams::~ScopedSeams() {
    SeamsInForce() = previous_;
}
