// CMzImage: a PNG picture from the program directory, the program's numbered resources or the platform's own
// numbered images; decoded once per file and shared, drawn with its alpha, at natural size or stretched.
#pragma once

#include "platform/win/WinTypes.h"

#include <memory>

#define MAKEINTRESOURCEW(id) ((LPCWSTR)(uintptr_t)(WORD)(id))
#define RT_RCDATA MAKEINTRESOURCEW(10)

namespace morwick::display {
struct Surface;
}

class CMzImage {
public:
    CMzImage();
    ~CMzImage();
    CMzImage(const CMzImage&) = delete;
    CMzImage& operator=(const CMzImage&) = delete;

    // A full path, or a file name in the program directory.
    BOOL LoadImage(LPCWSTR fileName);
    // The program's numbered image resource: "res/<id>.png" in the program or executable directory.
    // The instance and type are accepted for the shape of the call; only the number picks the image.
    BOOL LoadImageFromRes(HINSTANCE instance, LPCWSTR type, UINT id);
    // The platform's own numbered images (check-box frames 519 checked and 520 unchecked, and the others the
    // controls use): "sys/<id>.png" in the program or executable directory, else a built-in drawing.
    BOOL LoadPlatformImage(UINT id);
    // A named platform image ("selection" for the list selection background): "sys/<name>.png".
    BOOL LoadPlatformImage(LPCWSTR name);
    void Unload();

    BOOL IsLoaded() const { return image != nullptr; }
    int GetImageWidth() const;
    int GetImageHeight() const;

    // Stretched over rect (stretch set) or at its top-left corner in natural size, blended by the image's alpha.
    BOOL Draw(HDC dc, const RECT* rect, BOOL stretch = TRUE);
    BOOL DrawAt(HDC dc, int x, int y);

    // Forgets every decoded file (tests that rewrite image files).
    static void ClearCache();

private:
    std::shared_ptr<const morwick::display::Surface> image;
};
