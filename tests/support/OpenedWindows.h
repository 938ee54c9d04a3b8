// What windows ask to open by key (CNetWnd's window opener), recorded in order instead of opened, for as long as
// the record lives; a fixture member serves a whole test:
//
//   OpenedWindows opened;            // or opened{7}: what every opening answers (1 unless given)
//   ...
//   ASSERT_EQ(opened.size(), 1u);
//   EXPECT_EQ(opened[0].key, "fschart");
#pragma once

#include "shell/NetWnd.h"

#include <string>
#include <vector>

struct OpenedWindow {
    std::string key;
    int menuId = 0;
    std::string title, info, params;
};

class OpenedWindows : private std::vector<OpenedWindow> {
public:
    explicit OpenedWindows(int answer = 1) : answer(answer)
    {
        Current() = this;
        CNetWnd::SetWindowOpener(Record);
    }
    ~OpenedWindows()
    {
        CNetWnd::SetWindowOpener(nullptr);
        Current() = nullptr;
    }
    OpenedWindows(const OpenedWindows&) = delete;
    OpenedWindows& operator=(const OpenedWindows&) = delete;

    using vector::back;
    using vector::begin;
    using vector::clear;
    using vector::empty;
    using vector::end;
    using vector::size;
    using vector::operator[];

private:
    static OpenedWindows*& Current()
    {
        static OpenedWindows* current = nullptr;
        return current;
    }
    static int Record(const char* key, int menuId, const char* title, const char* info, const char* params, int, HWND)
    {
        OpenedWindows* log = Current();
        if (log == nullptr)
            return 0;
        log->push_back({key ? key : "", menuId, title ? title : "", info ? info : "", params ? params : ""});
        return log->answer;
    }

    int answer;
};
