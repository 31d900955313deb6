#include "model/edition.h"

namespace model {

namespace {
Edition &current()
{
    // Never destroyed: windows closed at exit may still ask for it.
    static Edition *e = new Edition;
    return *e;
}
}  // namespace

const Edition &edition() { return current(); }
void setEdition(Edition e) { current() = std::move(e); }

}  // namespace model
