// A window back end module of another build, for the loader's test: it names another interface, and opening it
// ends the process, so a loader that calls it before checking the interface fails loudly.
#include "platform/display/BackEndModule.h"

#include <cstdlib>

extern "C" __attribute__((visibility("default"))) int MorwickBackEndInterface()
{
    return morwick::display::BACK_END_INTERFACE + 1;
}

extern "C" __attribute__((visibility("default"))) morwick::display::BackEnd*
MorwickOpenBackEnd(const morwick::display::HostCalls*)
{
    std::abort();
}
