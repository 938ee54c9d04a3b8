// Every test program gets its own folder for the named mutexes and window records of running clients, so tests
// running side by side never take each other's windows for an instance already running.
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

struct PrivateRuntimeDir {
    PrivateRuntimeDir()
    {
        unsetenv("MORWICK_PORT"); // a local run's server port must not move the tests' stand-in servers
        // A child process started by a test keeps its parent's folder.
        if (std::getenv("MORWICK_RUNTIME_DIR"))
            return;
        std::string pattern = (std::filesystem::temp_directory_path() / "morwick-run-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            return;
        path = pattern;
        setenv("MORWICK_RUNTIME_DIR", path.c_str(), 1);
    }
    ~PrivateRuntimeDir()
    {
        std::error_code ignored;
        if (!path.empty())
            std::filesystem::remove_all(path, ignored);
    }
    std::string path;
};

PrivateRuntimeDir privateRuntimeDir;

} // namespace
