// The desktop window back end through SDL2: shows the composed screen, turns with it, and makes the mouse the
// stylus and the keyboard the phone's keys. Function keys stand in for the phone's own events:
// F1-F4 accelerometer orientation 0-3, F5 lock, F6 unlock, F7 call begins, F8 call ends, F9 USB cable pulled,
// F10 or Home the front key. Built as a module of its own: it reaches the client only through the host's calls.
#include "platform/display/BackEndModule.h"
#include "platform/win/WinUser.h"

#include <SDL.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace morwick::display {

namespace {

class SdlBackEnd : public BackEnd {
public:
    explicit SdlBackEnd(const HostCalls& host) : host(host) {}
    ~SdlBackEnd() override
    {
        stop.store(true);
        if (worker.joinable())
            worker.join();
    }
    const char* Name() const override { return "sdl"; }

    bool Start()
    {
        std::unique_lock<std::mutex> lock(frameLock);
        worker = std::thread([this] { Run(); });
        started.wait(lock, [this] { return ready || failed; });
        return ready;
    }

    void Present(const Surface& screen) override
    {
        std::lock_guard<std::mutex> lock(frameLock);
        frame = screen;
        fresh = true;
    }

    void Raise() override { raise.store(true); }

    // A window shown slides in from the right, one hidden slides out; the next frame carries the change.
    void Animate(HWND, int effect, bool show) override
    {
        if (effect == 0)
            return;
        std::lock_guard<std::mutex> lock(frameLock);
        slidePending = show ? 1 : -1;
    }

private:
    void Run()
    {
        // The window, its events and its drawing all stay on this thread, as SDL wants.
        SDL_Window* window = nullptr;
        SDL_Renderer* renderer = nullptr;
        if (!OpenWindow(window, renderer)) {
            Fail();
            return;
        }
        SDL_Texture* texture = nullptr;
        int tw = 0, th = 0;
        {
            std::lock_guard<std::mutex> lock(frameLock);
            ready = true;
        }
        started.notify_all();
        SDL_StartTextInput();
        bool pressed = false;
        Surface shown, from, target, mixed;
        int slideDirection = 0;
        auto slideStart = std::chrono::steady_clock::now();
        while (!stop.load()) {
            SDL_Event e;
            while (SDL_WaitEventTimeout(&e, 15)) {
                HandleEvent(e, pressed);
                if (stop.load())
                    break;
            }
            if (raise.exchange(false))
                SDL_RaiseWindow(window);
            bool newFrame = false;
            int pending = 0;
            {
                std::lock_guard<std::mutex> lock(frameLock);
                if (fresh) {
                    target = frame;
                    fresh = false;
                    newFrame = true;
                    pending = slidePending;
                    slidePending = 0;
                }
            }
            if (newFrame && pending && shown.width == target.width && shown.height == target.height) {
                from = shown;
                slideDirection = pending;
                slideStart = std::chrono::steady_clock::now();
            }
            if (newFrame)
                shown = target;
            const Surface* show = nullptr;
            if (slideDirection) {
                double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - slideStart).count() / 0.2;
                if (t >= 1.0) {
                    slideDirection = 0;
                    show = &target;
                } else {
                    Slide(from, target, t, slideDirection, mixed);
                    show = &mixed;
                }
            } else if (newFrame) {
                show = &target;
            }
            if (!show || show->width <= 0 || show->height <= 0)
                continue;
            Present(window, renderer, texture, tw, th, *show);
        }
        if (texture)
            SDL_DestroyTexture(texture);
        SDL_DestroyRenderer(renderer);
        SDL_DestroyWindow(window);
        SDL_Quit();
    }

    // SDL started for video, and a window of the screen's size with its renderer; false (nothing left open) when
    // any of them cannot be had. The client's own quit roads decide when it ends; SDL must not take over SIGINT
    // and SIGTERM.
    bool OpenWindow(SDL_Window*& window, SDL_Renderer*& renderer)
    {
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        if (SDL_Init(SDL_INIT_VIDEO) != 0)
            return false;
        int w = host.screenWidth(), h = host.screenHeight();
        window = SDL_CreateWindow("Morwick", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w, h, 0);
        renderer = window ? SDL_CreateRenderer(window, -1, 0) : nullptr;
        if (!renderer) {
            if (window)
                SDL_DestroyWindow(window);
            SDL_Quit();
            return false;
        }
        return true;
    }

    // Puts copy on the window through texture, made anew (tw by th) when the size changes.
    static void Present(SDL_Window* window, SDL_Renderer* renderer, SDL_Texture*& texture, int& tw, int& th,
                        const Surface& copy)
    {
        if (copy.width != tw || copy.height != th) {
            if (texture)
                SDL_DestroyTexture(texture);
            texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, copy.width,
                                        copy.height);
            tw = copy.width;
            th = copy.height;
            SDL_SetWindowSize(window, tw, th); // the window turns with the phone
        }
        if (!texture)
            return;
        SDL_UpdateTexture(texture, nullptr, copy.pixels.data(), copy.width * 4);
        SDL_RenderClear(renderer);
        SDL_RenderCopy(renderer, texture, nullptr, nullptr);
        SDL_RenderPresent(renderer);
    }

    // The work area of the frame in the middle of a slide: the new frame entering over the old one (showing)
    // or the old one leaving over the new (hiding); the status strip stays put.
    static void Slide(const Surface& from, const Surface& to, double t, int direction, Surface& out)
    {
        out = to;
        int w = to.width;
        int offset = direction > 0 ? (int)(w * (1.0 - t)) : (int)(w * t);
        const Surface& left = direction > 0 ? from : to;
        const Surface& moving = direction > 0 ? to : from;
        for (int y = STATUS_STRIP_HEIGHT; y < to.height; ++y) {
            uint32_t* row = out.Row(y);
            for (int x = 0; x < offset && x < w; ++x)
                row[x] = left.Row(y)[x];
            for (int x = offset; x < w; ++x)
                row[x] = moving.Row(y)[x - offset];
        }
    }

    void HandleEvent(const SDL_Event& e, bool& pressed)
    {
        switch (e.type) {
        case SDL_QUIT:
            host.quit();
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (e.button.button == SDL_BUTTON_LEFT) {
                pressed = true;
                host.injectMouse(WM_LBUTTONDOWN, e.button.x, e.button.y);
            }
            break;
        case SDL_MOUSEBUTTONUP:
            if (e.button.button == SDL_BUTTON_LEFT && pressed) {
                pressed = false;
                host.injectMouse(WM_LBUTTONUP, e.button.x, e.button.y);
            }
            break;
        case SDL_MOUSEMOTION:
            if (pressed)
                host.injectMouse(WM_MOUSEMOVE, e.motion.x, e.motion.y);
            break;
        case SDL_TEXTINPUT: {
            std::u16string text;
            const unsigned char* s = (const unsigned char*)e.text.text;
            // UTF-8 to UTF-16, enough for typed text.
            while (*s) {
                uint32_t c = *s++;
                int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
                c &= extra == 3 ? 0x07 : extra == 2 ? 0x0F : extra == 1 ? 0x1F : 0x7F;
                for (int i = 0; i < extra && (*s & 0xC0) == 0x80; ++i)
                    c = (c << 6) | (*s++ & 0x3F);
                if (c >= 0x10000) {
                    c -= 0x10000;
                    text += (char16_t)(0xD800 + (c >> 10));
                    text += (char16_t)(0xDC00 + (c & 0x3FF));
                } else {
                    text += (char16_t)c;
                }
            }
            for (char16_t ch : text)
                host.injectChar(ch);
            break;
        }
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            Key(e.key.keysym.sym, e.type == SDL_KEYDOWN);
            break;
        default:
            break;
        }
    }

    void Key(SDL_Keycode key, bool down)
    {
        if (down) {
            switch (key) {
            case SDLK_F1:
                host.simulateAccelerometer(0);
                return;
            case SDLK_F2:
                host.simulateAccelerometer(1);
                return;
            case SDLK_F3:
                host.simulateAccelerometer(2);
                return;
            case SDLK_F4:
                host.simulateAccelerometer(3);
                return;
            case SDLK_F5:
                host.simulateLockPhone(TRUE);
                return;
            case SDLK_F6:
                host.simulateLockPhone(FALSE);
                return;
            case SDLK_F7:
                host.simulateCall(TRUE);
                return;
            case SDLK_F8:
                host.simulateCall(FALSE);
                return;
            case SDLK_F9:
                host.simulateUsbOff();
                return;
            case SDLK_F10:
            case SDLK_HOME:
                host.injectFrontKey();
                return;
            default:
                break;
            }
        }
        UINT vk = 0;
        switch (key) {
        case SDLK_RETURN:
            vk = VK_RETURN;
            break;
        case SDLK_BACKSPACE:
            vk = VK_BACK;
            break;
        case SDLK_ESCAPE:
            vk = VK_ESCAPE;
            break;
        case SDLK_LEFT:
            vk = VK_LEFT;
            break;
        case SDLK_RIGHT:
            vk = VK_RIGHT;
            break;
        case SDLK_UP:
            vk = VK_UP;
            break;
        case SDLK_DOWN:
            vk = VK_DOWN;
            break;
        case SDLK_DELETE:
            vk = VK_DELETE;
            break;
        case SDLK_TAB:
            vk = VK_TAB;
            break;
        default:
            return;
        }
        host.injectKey(vk, down);
        if (down && (vk == VK_RETURN || vk == VK_BACK))
            host.injectChar(vk == VK_RETURN ? u'\r' : u'\b');
    }

    void Fail()
    {
        {
            std::lock_guard<std::mutex> lock(frameLock);
            failed = true;
        }
        started.notify_all();
    }

    const HostCalls& host;
    std::thread worker;
    std::mutex frameLock;
    std::condition_variable started;
    bool ready = false;
    bool failed = false;
    bool fresh = false;
    int slidePending = 0;
    Surface frame;
    std::atomic<bool> stop{false};
    std::atomic<bool> raise{false};
};

} // namespace

} // namespace morwick::display

extern "C" __attribute__((visibility("default"))) int MorwickBackEndInterface()
{
    return morwick::display::BACK_END_INTERFACE;
}

extern "C" __attribute__((visibility("default"))) morwick::display::BackEnd*
MorwickOpenBackEnd(const morwick::display::HostCalls* host)
{
    auto* backEnd = new morwick::display::SdlBackEnd(*host);
    if (!backEnd->Start()) {
        delete backEnd;
        return nullptr;
    }
    return backEnd;
}
