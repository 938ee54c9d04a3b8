// Images decoded once per file and drawn onto device contexts with alpha.
#include "platform/ui/MzImage.h"

#include "platform/display/PngCodec.h"
#include "platform/ui/Style.h"
#include "platform/win/DeviceContext.h"
#include "platform/win/Gdi.h"
#include "platform/win/LastError.h"
#include "platform/win/Paths.h"

#include <map>
#include <mutex>
#include <string>
#include <sys/stat.h>

using namespace morwick::display;

namespace {

std::mutex cacheLock;
std::map<std::string, std::shared_ptr<const Surface>>& Cache()
{
    static auto* cache = new std::map<std::string, std::shared_ptr<const Surface>>();
    return *cache;
}

bool FileExists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::shared_ptr<const Surface> Decode(const std::string& path)
{
    std::lock_guard<std::mutex> guard(cacheLock);
    auto it = Cache().find(path);
    if (it != Cache().end())
        return it->second;
    auto s = std::make_shared<Surface>();
    if (!LoadPng(path, *s))
        return nullptr; // a missing file is looked for again next time
    Cache()[path] = s;
    return s;
}

std::shared_ptr<const Surface> FromFolders(const std::string& folder, const std::string& file)
{
    std::string name = folder + "/" + file + ".png";
    for (const std::string& dir : {ProgramDirectory(), ExecutableDirectory()}) {
        std::string path = dir + "/" + name;
        if (FileExists(path))
            return Decode(path);
    }
    return nullptr;
}

// The check-box frames drawn here when no artwork is installed: a grey frame, ticked when checked.
std::shared_ptr<const Surface> BuiltIn(UINT id)
{
    if (id != 519 && id != 520)
        return nullptr;
    std::string key = "builtin:" + std::to_string(id);
    std::lock_guard<std::mutex> guard(cacheLock);
    auto it = Cache().find(key);
    if (it != Cache().end())
        return it->second;
    auto s = std::make_shared<Surface>(32, 32, 0x00000000u);
    const uint32_t frame = Style::Pixel(Style::CheckBoxEdge), fill = Style::Pixel(Style::CheckBoxFill),
                   tick = Style::Pixel(Style::CheckTick);
    for (int y = 2; y < 30; ++y)
        for (int x = 2; x < 30; ++x)
            s->Row(y)[x] = (x < 4 || x >= 28 || y < 4 || y >= 28) ? frame : fill;
    if (id == 519) {
        // A tick: a short stroke down to (13, 21), a long one up to (23, 11), three pixels thick.
        for (int x = 8; x <= 23; ++x) {
            int y = x <= 13 ? 16 + (x - 8) : 21 - (x - 13);
            for (int t = -1; t <= 1; ++t)
                s->Row(y + t)[x] = tick;
        }
    }
    Cache()[key] = s;
    return s;
}

} // namespace

CMzImage::CMzImage() = default;
CMzImage::~CMzImage() = default;

BOOL CMzImage::LoadImage(LPCWSTR fileName)
{
    image.reset();
    if (!fileName || !*fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string path = Utf8FromWide(fileName);
    for (char& c : path)
        if (c == '\\')
            c = '/';
    if (path[0] != '/')
        path = ProgramDirectory() + "/" + path;
    image = Decode(path);
    if (!image)
        SetLastError(ERROR_FILE_NOT_FOUND);
    return image ? TRUE : FALSE;
}

BOOL CMzImage::LoadImageFromRes(HINSTANCE, LPCWSTR, UINT id)
{
    image = FromFolders("res", std::to_string(id));
    if (!image)
        SetLastError(ERROR_FILE_NOT_FOUND);
    return image ? TRUE : FALSE;
}

BOOL CMzImage::LoadPlatformImage(UINT id)
{
    image = FromFolders("sys", std::to_string(id));
    if (!image)
        image = BuiltIn(id);
    if (!image)
        SetLastError(ERROR_FILE_NOT_FOUND);
    return image ? TRUE : FALSE;
}

BOOL CMzImage::LoadPlatformImage(LPCWSTR name)
{
    image = name && *name ? FromFolders("sys", Utf8FromWide(name)) : nullptr;
    if (!image)
        SetLastError(ERROR_FILE_NOT_FOUND);
    return image ? TRUE : FALSE;
}

void CMzImage::Unload()
{
    image.reset();
}

int CMzImage::GetImageWidth() const
{
    return image ? image->width : 0;
}

int CMzImage::GetImageHeight() const
{
    return image ? image->height : 0;
}

BOOL CMzImage::Draw(HDC handle, const RECT* rect, BOOL stretch)
{
    DeviceContext* dc = DcFromHandle(handle);
    if (!dc || !rect || !image || !dc->surface)
        return FALSE;
    RECT d{dc->X(rect->left), dc->Y(rect->top), dc->X(rect->right), dc->Y(rect->bottom)};
    if (!stretch) {
        d.right = d.left + image->width;
        d.bottom = d.top + image->height;
    }
    RECT clip = dc->state.clip;
    if (!stretch)
        clip = IntersectRects(clip, RECT{dc->X(rect->left), dc->Y(rect->top), dc->X(rect->right), dc->Y(rect->bottom)});
    BlitSurface(*dc->surface, clip, d, *image, RECT{0, 0, image->width, image->height}, true);
    return TRUE;
}

BOOL CMzImage::DrawAt(HDC handle, int x, int y)
{
    if (!image)
        return FALSE;
    RECT r{x, y, x + image->width, y + image->height};
    return Draw(handle, &r, FALSE);
}

void CMzImage::ClearCache()
{
    std::lock_guard<std::mutex> guard(cacheLock);
    Cache().clear();
}
