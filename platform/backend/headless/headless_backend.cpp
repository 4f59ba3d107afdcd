#include "platform/backend/headless/headless_backend.h"

#include <algorithm>
#include <cstring>

#include <poll.h>

#include "platform/gfx/png.h"

std::unique_ptr<Backend> CreateHeadlessBackend(CSize screen) { return std::make_unique<HeadlessBackend>(screen); }

HeadlessBackend::HeadlessBackend(CSize screen)
    : m_screenSize(std::max(1, screen.cx), std::max(1, screen.cy)),
      m_pointer(m_screenSize.cx / 2, m_screenSize.cy / 2) {}

HeadlessBackend::~HeadlessBackend() = default;

// ---------------------------------------------------------------- windows

NativeWindowId HeadlessBackend::CreateNativeWindow(const CRect& screenRect, const NativeWindowFlags& flags,
                                                   const CString& title) {
    NativeWindowId id = m_nextId++;
    Native& n = m_windows[id];
    n.rect = screenRect;
    n.flags = flags;
    n.title = title;
    n.pixels = Surface(std::max(1, screenRect.Width()), std::max(1, screenRect.Height()), kDesktopPixel);
    m_stack.push_back(id);
    return id;
}

void HeadlessBackend::DestroyNativeWindow(NativeWindowId id) {
    m_windows.erase(id);
    m_stack.erase(std::remove(m_stack.begin(), m_stack.end(), id), m_stack.end());
    if (m_grab == id) m_grab = 0;
}

void HeadlessBackend::SetNativeWindowRect(NativeWindowId id, const CRect& screenRect) {
    auto it = m_windows.find(id);
    if (it == m_windows.end()) return;
    it->second.rect = screenRect;
    it->second.pixels.resize(std::max(1, screenRect.Width()), std::max(1, screenRect.Height()), kDesktopPixel);
}

void HeadlessBackend::ShowNativeWindow(NativeWindowId id, bool show) {
    auto it = m_windows.find(id);
    if (it != m_windows.end()) it->second.shown = show;
}

void HeadlessBackend::SetNativeWindowTitle(NativeWindowId id, const CString& title) {
    auto it = m_windows.find(id);
    if (it != m_windows.end()) it->second.title = title;
}

void HeadlessBackend::RestackNativeWindows(const std::vector<NativeWindowId>& bottomToTop) {
    std::vector<NativeWindowId> order;
    for (NativeWindowId id : bottomToTop)
        if (m_windows.count(id)) order.push_back(id);
    // Windows the caller did not mention keep their place at the bottom.
    for (NativeWindowId id : m_stack)
        if (std::find(order.begin(), order.end(), id) == order.end()) order.insert(order.begin(), id);
    m_stack = std::move(order);
}

void HeadlessBackend::Present(NativeWindowId id, const Surface& surface, const std::vector<CRect>& rects) {
    auto it = m_windows.find(id);
    if (it == m_windows.end()) return;
    Surface& dst = it->second.pixels;
    if (dst.width() != surface.width() || dst.height() != surface.height())
        dst.resize(surface.width(), surface.height(), kDesktopPixel);
    for (const CRect& r0 : rects) {
        CRect r = r0.intersected(surface.bounds()).intersected(dst.bounds());
        if (r.IsRectEmpty()) continue;
        for (int y = r.top; y < r.bottom; ++y)
            std::memcpy(dst.row(y) + r.left, surface.row(y) + r.left, std::size_t(r.Width()) * sizeof(std::uint32_t));
    }
    ++m_presents;
}

bool HeadlessBackend::NativeWindowShown(NativeWindowId id) const {
    auto it = m_windows.find(id);
    return it != m_windows.end() && it->second.shown;
}

CRect HeadlessBackend::NativeWindowRect(NativeWindowId id) const {
    auto it = m_windows.find(id);
    return it == m_windows.end() ? CRect() : it->second.rect;
}

CString HeadlessBackend::NativeWindowTitle(NativeWindowId id) const {
    auto it = m_windows.find(id);
    return it == m_windows.end() ? CString() : it->second.title;
}

NativeWindowFlags HeadlessBackend::NativeWindowFlagsOf(NativeWindowId id) const {
    auto it = m_windows.find(id);
    return it == m_windows.end() ? NativeWindowFlags() : it->second.flags;
}

// ---------------------------------------------------------------- pointer

void HeadlessBackend::SetCursorImage(const CursorImage* image) {
    m_cursorSet = image != nullptr;
    if (image) m_cursor = *image;
}

void HeadlessBackend::ConfineCursor(const CRect* screenRect) {
    m_confined = screenRect != nullptr;
    if (screenRect) {
        m_confine = *screenRect;
        m_pointer = Clamp(m_pointer);
    }
}

bool HeadlessBackend::CursorConfined(CRect* rect) const {
    if (m_confined && rect) *rect = m_confine;
    return m_confined;
}

CPoint HeadlessBackend::Clamp(CPoint p) const {
    p.x = std::clamp(p.x, 0, m_screenSize.cx - 1);
    p.y = std::clamp(p.y, 0, m_screenSize.cy - 1);
    if (m_confined) {
        p.x = std::clamp(p.x, m_confine.left, std::max(m_confine.left, m_confine.right - 1));
        p.y = std::clamp(p.y, m_confine.top, std::max(m_confine.top, m_confine.bottom - 1));
    }
    return p;
}

void HeadlessBackend::WarpPointer(CPoint screenPt) {
    CPoint p = Clamp(screenPt);
    if (p == m_pointer) return;
    // The display reports a warp as a motion, as real ones do.
    InjectMove(p.x, p.y);
}

// ---------------------------------------------------------------- screen

const HeadlessBackend::Native* HeadlessBackend::TopmostAt(CPoint p, CPoint* local) const {
    for (auto it = m_stack.rbegin(); it != m_stack.rend(); ++it) {
        const Native& n = m_windows.at(*it);
        if (!n.shown || !n.rect.PtInRect(p)) continue;
        CPoint l(p.x - n.rect.left, p.y - n.rect.top);
        if (l.x >= n.pixels.width() || l.y >= n.pixels.height()) continue;
        *local = l;
        return &n;
    }
    return nullptr;
}

COLORREF HeadlessBackend::PixelAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_screenSize.cx || y >= m_screenSize.cy) return CLR_INVALID;
    CPoint local;
    if (const Native* n = TopmostAt(CPoint(x, y), &local)) return FromPixel(n->pixels.pixel(local.x, local.y));
    return FromPixel(kDesktopPixel);
}

bool HeadlessBackend::ReadScreenPixel(CPoint screenPt, COLORREF* colour) const {
    COLORREF c = PixelAt(screenPt.x, screenPt.y);
    if (c == CLR_INVALID) return false;
    if (colour) *colour = c;
    return true;
}

bool HeadlessBackend::CaptureScreen(Surface* out) const {
    if (!out) return false;
    *out = Surface(m_screenSize.cx, m_screenSize.cy, kDesktopPixel);
    if (out->empty()) return false;
    for (NativeWindowId id : m_stack) {
        const Native& n = m_windows.at(id);
        if (!n.shown) continue;
        CRect on = CRect(n.rect.TopLeft(), CSize(n.pixels.width(), n.pixels.height())).intersected(out->bounds());
        for (int y = on.top; y < on.bottom; ++y)
            std::memcpy(out->row(y) + on.left, n.pixels.row(y - n.rect.top) + (on.left - n.rect.left),
                        std::size_t(on.Width()) * sizeof(std::uint32_t));
    }
    return true;
}

bool HeadlessBackend::WriteScreenshot(const std::string& path, std::string* error) const {
    Surface shot;
    if (!CaptureScreen(&shot)) {
        if (error) *error = "the virtual screen could not be composed";
        return false;
    }
    return WritePng(shot, path, error);
}

// ---------------------------------------------------------------- clipboard

bool HeadlessBackend::GetClipboardText(CString* text) {
    if (!m_hasClipboard) return false;
    if (text) *text = m_clipboard;
    return true;
}

bool HeadlessBackend::SetClipboardText(const CString& text) {
    m_clipboard = text;
    m_hasClipboard = true;
    return true;
}

// ---------------------------------------------------------------- events

bool HeadlessBackend::PollEvent(RawEvent* event) {
    if (m_events.empty()) return false;
    *event = m_events.front();
    m_events.pop_front();
    return true;
}

// Nothing arrives on its own here unless a file descriptor is watched:
// either an event is queued or none ever will.
bool HeadlessBackend::WaitForEvents(int timeoutMs) {
    if (!m_events.empty() || !m_steps.empty()) return true;
    if (m_fds.empty()) return false;
    PollFds(timeoutMs);
    return true;
}

bool HeadlessBackend::PollFds(int timeoutMs) {
    if (m_fds.empty()) return false;
    std::vector<pollfd> p;
    for (const Watch& w : m_fds) p.push_back(pollfd{w.fd, POLLIN, 0});
    if (::poll(p.data(), p.size(), timeoutMs) <= 0) return false;
    std::vector<Watch> ready;
    for (std::size_t i = 0; i < p.size(); ++i)
        if (p[i].revents & (POLLIN | POLLHUP | POLLERR)) ready.push_back(m_fds[i]);
    // A callback may unwatch descriptors; call only those still watched.
    for (const Watch& w : ready)
        for (const Watch& still : m_fds)
            if (still.fd == w.fd) {
                w.callback(w.fd, w.context);
                break;
            }
    return !ready.empty();
}

bool HeadlessBackend::OnIdle() {
    if (PollFds(0)) return true;
    if (m_steps.empty()) return false;
    // Taken off the queue before it runs, so a step that runs a loop of its
    // own lets the next steps drive that loop.
    auto step = std::move(m_steps.front());
    m_steps.pop_front();
    ++m_stepDepth;
    step();
    --m_stepDepth;
    return true;
}

bool HeadlessBackend::WatchFd(int fd, FdCallback callback, void* context) {
    if (fd < 0 || !callback) return false;
    UnwatchFd(fd);
    m_fds.push_back(Watch{fd, callback, context});
    return true;
}

void HeadlessBackend::UnwatchFd(int fd) {
    m_fds.erase(std::remove_if(m_fds.begin(), m_fds.end(), [fd](const Watch& w) { return w.fd == fd; }), m_fds.end());
}

void HeadlessBackend::QueueStep(std::function<void()> step) {
    if (step) m_steps.push_back(std::move(step));
}

void HeadlessBackend::QueueStepFirst(std::function<void()> step) {
    if (step) m_steps.push_front(std::move(step));
}

RawEvent& HeadlessBackend::Queue(RawEventKind kind) {
    RawEvent e;
    e.kind = kind;
    e.screenPt = m_pointer;
    e.timeMs = m_now;
    m_events.push_back(e);
    return m_events.back();
}

void HeadlessBackend::InjectMove(int x, int y) {
    m_pointer = Clamp(CPoint(x, y));
    Queue(RawEventKind::MouseMove);
}

void HeadlessBackend::InjectButton(int button, bool down) {
    Queue(down ? RawEventKind::ButtonDown : RawEventKind::ButtonUp).button = button;
}

void HeadlessBackend::InjectWheel(int delta) { Queue(RawEventKind::Wheel).wheelDelta = delta; }

void HeadlessBackend::InjectKey(UINT vk, bool down, char16_t typed) {
    RawEvent& e = Queue(down ? RawEventKind::KeyDown : RawEventKind::KeyUp);
    e.vk = vk;
    e.ch = down ? typed : 0;
}

void HeadlessBackend::InjectText(const CString& text) {
    for (char16_t c : text) Queue(RawEventKind::Char).ch = c;
}

void HeadlessBackend::InjectCloseRequest(NativeWindowId id) { Queue(RawEventKind::CloseRequest).window = id; }
