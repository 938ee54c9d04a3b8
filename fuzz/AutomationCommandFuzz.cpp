// Arbitrary command lines into the automation, one per input line, against a headless screen with a window
// open: every line must get one JSON answer and the program must stay up. "shot" is left out: it writes a file
// wherever the line says.
#include "fuzz/FuzzHome.h"
#include "platform/automation/Automation.h"
#include "platform/display/Display.h"
#include "platform/ui/MzWnd.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

namespace {

class TargetWnd : public CMzWnd {
public:
    LPCWSTR GetMzClassName() override { return u"FuzzTargetWnd"; }
};

void Start()
{
    FuzzHomePath();
    morwick::display::StartDisplay();
    static TargetWnd window;
    window.Create(0, 30, 480, 690);
    window.Show();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool started = (Start(), true);
    (void)started;
    if (size > 4096)
        return 0;
    std::istringstream lines(std::string(reinterpret_cast<const char*>(data), size));
    std::string line;
    for (int n = 0; n < 16 && std::getline(lines, line); ++n) {
        std::istringstream words(line);
        std::string command;
        words >> command;
        if (command == "shot")
            continue;
        std::string answer = morwick::automation::RunCommand(line);
        if (answer.empty() || answer.front() != '{' || answer.find('\n') != std::string::npos)
            abort();
    }
    return 0;
}
