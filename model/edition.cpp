#include "model/edition.h"

#include "runtime/text.h"

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

std::string reportProcedure(const std::string &format, const std::string &portrait, const std::string &wide)
{
    return rt::clip(format) == "Portrait" ? portrait : wide;
}

std::string reportProcedure(const std::string &portrait, const std::string &wide)
{
    const Edition &e = edition();
    return reportProcedure(e.reportFormat ? e.reportFormat() : std::string("Portrait"), portrait, wide);
}

}  // namespace model
