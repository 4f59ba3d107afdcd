// A window that records the messages it gets, for the window-system tests.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/win/headless_screen.h"
#include "platform/win/wnd.h"

struct Seen {
    std::string who;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

class Journal {
public:
    void Add(const std::string& who, UINT msg, WPARAM w, LPARAM l) { m_items.push_back({who, msg, w, l}); }
    void Clear() { m_items.clear(); }
    const std::vector<Seen>& Items() const { return m_items; }
    // The recorded messages among `wanted`, as "who:NAME" strings.
    std::vector<std::string> Names(const std::vector<UINT>& wanted) const;
    int Count(const std::string& who, UINT msg) const;

private:
    std::vector<Seen> m_items;
};

const char* MessageName(UINT msg);

// Messages are logged, then given to `handler` (if set); a handler that
// returns true has handled it, otherwise the default handling runs.
class ProbeWnd : public CWnd {
public:
    ProbeWnd(Journal* journal, std::string name) : m_journal(journal), m_name(std::move(name)) {}
    using Handler = std::function<bool(ProbeWnd&, UINT, WPARAM, LPARAM, LRESULT&)>;
    Handler handler;
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;
    const std::string& name() const { return m_name; }

private:
    Journal* m_journal;
    std::string m_name;
};

// Registers the probe classes once per screen: "Probe" (double clicks),
// "ProbePlain" (no double clicks), both with a white background.
void RegisterProbeClasses();
