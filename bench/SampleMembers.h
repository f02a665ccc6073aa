#pragma once
// Deterministic members shaped like an installer's payload: program code,
// licence and configuration text, bitmaps and already-compressed media.
// About 9 MB in all; the largest member about 1.2 MB.

#include <string>
#include <vector>

namespace nelvo::bench {

struct SampleMember {
    std::u16string name;
    std::string content;
};

std::vector<SampleMember> sampleMembers();

} // namespace nelvo::bench
