#include "platform/win/headless_screen.h"

HeadlessScreen::HeadlessScreen(CSize size) : m_backend(std::make_unique<HeadlessBackend>(size)) {
    InitWindowSystem(m_backend.get());
}

HeadlessScreen::~HeadlessScreen() { ShutdownWindowSystem(); }

// Inside a scripted step the running loop takes the event; elsewhere the
// loop runs here until nothing is left.
void HeadlessScreen::Settle() {
    if (!m_backend->InStep()) ::RunUntilIdle();
}

void HeadlessScreen::RunUntilIdle() { ::RunUntilIdle(); }

void HeadlessScreen::Move(int x, int y) {
    m_backend->InjectMove(x, y);
    Settle();
}

void HeadlessScreen::Press(int button) {
    m_backend->InjectButton(button, true);
    Settle();
}

void HeadlessScreen::Release(int button) {
    m_backend->InjectButton(button, false);
    Settle();
}

void HeadlessScreen::Click(int x, int y, int button) {
    m_backend->InjectMove(x, y);
    m_backend->InjectButton(button, true);
    m_backend->InjectButton(button, false);
    Settle();
}

// All events are queued before the loop runs, so a loop that a press starts
// (the move loop, a scroll-bar track) finds the rest waiting.
void HeadlessScreen::Drag(CPoint from, CPoint to, int steps) {
    steps = std::max(1, steps);
    m_backend->InjectMove(from.x, from.y);
    m_backend->InjectButton(1, true);
    for (int i = 1; i <= steps; ++i)
        m_backend->InjectMove(from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps);
    m_backend->InjectButton(1, false);
    Settle();
}

void HeadlessScreen::Wheel(int delta) {
    m_backend->InjectWheel(delta);
    Settle();
}

void HeadlessScreen::KeyDown(UINT vk, char16_t typed) {
    m_backend->InjectKey(vk, true, typed);
    Settle();
}

void HeadlessScreen::KeyUp(UINT vk) {
    m_backend->InjectKey(vk, false);
    Settle();
}

void HeadlessScreen::Type(const CString& text) {
    m_backend->InjectText(text);
    Settle();
}

void HeadlessScreen::Advance(std::uint64_t ms) {
    std::uint64_t target = m_backend->NowMs() + ms;
    if (m_backend->InStep()) {
        // The running loop must handle each timer before the clock moves on:
        // go to the next due time and continue from there as the next step.
        std::uint64_t due = 0;
        if (NextTimerDue(&due) && due <= target && due > m_backend->NowMs()) {
            m_backend->SetClock(due);
            std::uint64_t rest = target - due;
            m_backend->QueueStepFirst([this, rest] { Advance(rest); });
        } else {
            m_backend->SetClock(target);
        }
        return;
    }
    Settle();
    for (;;) {
        std::uint64_t due = 0;
        if (NextTimerDue(&due) && due <= target && due > m_backend->NowMs()) {
            m_backend->SetClock(due);
        } else {
            m_backend->SetClock(target);
            Settle();
            return;
        }
        Settle();
    }
}
