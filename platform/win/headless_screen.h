// A whole window system on the virtual screen, for tests, screenshots and
// benchmarks. Constructing one starts the window system on a headless
// backend; destroying it destroys every window that is left.
//
// Input calls queue the raw event and then run the loop until it is idle.
// Called from a scripted step (while a modal loop is running) they only
// queue, and the running loop picks the event up.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/backend/headless/headless_backend.h"
#include "platform/win/user.h"

class HeadlessScreen {
public:
    explicit HeadlessScreen(CSize size = CSize(1280, 1024));
    ~HeadlessScreen();
    HeadlessScreen(const HeadlessScreen&) = delete;
    HeadlessScreen& operator=(const HeadlessScreen&) = delete;

    HeadlessBackend& backend() { return *m_backend; }

    void Move(int x, int y);
    void Move(CPoint p) { Move(p.x, p.y); }
    void Press(int button = 1);
    void Release(int button = 1);
    void Click(int x, int y, int button = 1);
    // Presses at from, moves there in `steps` equal moves, releases at to.
    void Drag(CPoint from, CPoint to, int steps = 4);
    void Wheel(int delta);
    void KeyDown(UINT vk, char16_t typed = 0);
    void KeyUp(UINT vk);
    void Key(UINT vk, char16_t typed = 0) { KeyDown(vk, typed); KeyUp(vk); }
    void Type(const CString& text);

    // Moves the clock forward by ms, stopping at each timer due time on the
    // way and running the loop there, so timers fire exactly on time.
    void Advance(std::uint64_t ms);
    std::uint64_t Now() const { return m_backend->NowMs(); }

    // A step that runs when the loop is next idle (inside modal loops too).
    void Step(std::function<void()> step) { m_backend->QueueStep(std::move(step)); }
    void RunUntilIdle();

    COLORREF Pixel(int x, int y) const { return m_backend->PixelAt(x, y); }
    bool Screenshot(const std::string& path, std::string* error = nullptr) const {
        return m_backend->WriteScreenshot(path, error);
    }

private:
    void Settle();
    std::unique_ptr<HeadlessBackend> m_backend;
};
