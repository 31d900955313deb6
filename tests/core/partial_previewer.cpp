// A previewer module that lacks SUPPORTED: the program must refuse it whole.
#include "previewer/vurd5p32.h"

extern "C" {

std::uint8_t PRINTPREVIEW(void *, std::int16_t, std::uint8_t, void *, std::uint8_t, std::uint8_t, std::uint8_t,
                          std::int32_t, std::uint8_t, std::uint8_t, const char *, const char *, const char *,
                          const char *)
{
    return 2;
}
void ASSGNPGOFPG(void *, std::uint8_t, std::uint8_t, std::uint8_t, std::uint8_t, std::int32_t, std::uint8_t,
                 const char *, const char *)
{
}
void HANDLECOPIES(void *, std::int16_t) {}

}  // extern "C"
