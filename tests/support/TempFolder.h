// A fresh folder under the system's temporary directory for one test, removed with everything in it at the end.
// Each test process gets its own, so tests running side by side never see each other's files.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "morwick-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr)
            path_ = pattern + "/";
    }
    ~TempFolder()
    {
        std::error_code ignored;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Ends in "/".
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

// Points the program directory (and with it the default device directory) at a temporary folder for one test.
class ScopedProgramHome {
public:
    ScopedProgramHome()
    {
        setenv("MORWICK_HOME", folder_.Path().c_str(), 1);
        unsetenv("MORWICK_DEVICE");
    }
    ~ScopedProgramHome()
    {
        unsetenv("MORWICK_HOME");
        unsetenv("MORWICK_DEVICE");
    }
    const std::string& Path() const { return folder_.Path(); }
    std::string File(const std::string& name) const { return folder_.File(name); }
    std::string DeviceFile(const std::string& name) const { return folder_.Path() + "device/" + name; }

private:
    TempFolder folder_;
};

// While it lives, no file of this process may grow beyond a few bytes: writes fail as on a full disk.
// (Unlike folder permissions, this binds the super-user too.)
class ScopedFullDisk {
public:
    ScopedFullDisk()
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = signal(SIGXFSZ, SIG_IGN);
        rlimit tiny = saved_;
        tiny.rlim_cur = 4;
        setrlimit(RLIMIT_FSIZE, &tiny);
    }
    ~ScopedFullDisk()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, previous_);
    }
    ScopedFullDisk(const ScopedFullDisk&) = delete;
    ScopedFullDisk& operator=(const ScopedFullDisk&) = delete;

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

// While it lives, flushing a folder to disk (fsync of a directory) fails with error: EINVAL as on a file system
// that cannot flush folders, EIO as on a failing disk. Files still flush.
class ScopedFolderFlushFailure {
public:
    explicit ScopedFolderFlushFailure(int error);
    ~ScopedFolderFlushFailure();
    ScopedFolderFlushFailure(const ScopedFolderFlushFailure&) = delete;
    ScopedFolderFlushFailure& operator=(const ScopedFolderFlushFailure&) = delete;
};
