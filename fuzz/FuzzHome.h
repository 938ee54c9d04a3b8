// A program directory of its own for a fuzz target (settings, data files, the device's registry, the runtime
// records), made under the system's shared-memory (else temporary) folder on first use and removed with everything
// in it when the target exits, so runs leave nothing behind.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

class FuzzHome {
public:
    FuzzHome()
    {
        // In memory where the system has such a folder: the files' flushes to disk would cost more than the run.
        std::error_code ignored;
        std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ignored) && access("/dev/shm", W_OK) == 0
                                         ? std::filesystem::path("/dev/shm")
                                         : std::filesystem::temp_directory_path();
        std::string pattern = (base / "morwick-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            return;
        path = pattern + "/";
        setenv("MORWICK_HOME", path.c_str(), 1);
        setenv("MORWICK_DEVICE", (path + "device/").c_str(), 1);
        setenv("MORWICK_RUNTIME_DIR", (path + "run").c_str(), 1);
        setenv("MORWICK_DISPLAY", "headless", 1);
    }
    ~FuzzHome()
    {
        std::error_code ignored;
        if (!path.empty())
            std::filesystem::remove_all(path, ignored);
    }
    FuzzHome(const FuzzHome&) = delete;
    FuzzHome& operator=(const FuzzHome&) = delete;

    std::string path; // ends in "/"; empty when no folder could be made
};

// The target's folder, made on the first call.
inline const std::string& FuzzHomePath()
{
    static FuzzHome home;
    return home.path;
}
