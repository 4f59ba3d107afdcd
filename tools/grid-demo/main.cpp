// grid-demo: a window holding a grid with one fixed heading row and N rows
// of diary-like text in eight columns, shown on the headless screen.
//
//   grid-demo --rows N --screenshot FILE.png
#include <cstdio>
#include <cstdlib>
#include <string>

#include "grid/diary_rows.h"
#include "grid/gridctrl.h"
#include "platform/win/headless_screen.h"

namespace {

const char16_t* const kStates[] = {u"on Schedule", u"behind Schedule", u"ahead of Schedule", u"Cancellation"};
const char16_t* const kWeather[] = {u"Sunny", u"Fine", u"Bright", u"Cloudy", u"Windy", u"Mist",
                                    u"Foggy", u"Rain", u"Shower", u"Storm", u"Dew", u"Snow"};
const char16_t* const kWords[] = {u"meeting", u"report", u"review", u"call", u"plan", u"draft",
                                  u"budget", u"visit", u"design", u"notes", u"order", u"test"};

gridfill::RowTexts DemoRow(int i) {
    gridfill::RowTexts t;
    t.cells[0] = ToU16(i + 1);
    t.cells[1] = CString(kWords[i % 12]) + u" " + kWords[(i * 7 + 3) % 12];
    t.cells[2] = kStates[i % 4];
    const int day = 1 + i % 28;
    const CString dd = (day < 10 ? u"0" : u"") + ToU16(day);
    t.cells[3] = u"09:30:00, Tuesday, June " + dd + u", 2004";
    t.cells[4] = u"17:00:00, Tuesday, June " + dd + u", 2004";
    t.cells[5] = u"Prepare the " + CString(kWords[(i * 5) % 12]) + u" for the team";
    t.cells[6] = i % 3 ? CString(u"see ") + kWords[(i + 2) % 12] : CString();
    t.cells[7] = kWeather[i % 12];
    return t;
}

int Usage() {
    std::fprintf(stderr, "usage: grid-demo --rows N --screenshot FILE.png\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    int rows = 30;
    std::string shot;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--rows" && i + 1 < argc) {
            char* end = nullptr;
            const long n = std::strtol(argv[++i], &end, 10);
            if (!end || *end || n < 0 || n > 10000000) {
                std::fprintf(stderr, "grid-demo: --rows needs a number from 0 to 10000000\n");
                return 2;
            }
            rows = int(n);
        } else if (a == "--screenshot" && i + 1 < argc) {
            shot = argv[++i];
        } else {
            return Usage();
        }
    }
    if (shot.empty()) return Usage();

    HeadlessScreen screen(CSize(960, 640));
    CWnd top;
    if (!top.CreateEx(0, nullptr, u"Grid demo", WS_POPUP | WS_VISIBLE, CRect(20, 20, 938, 620), nullptr, 0)) {
        std::fprintf(stderr, "grid-demo: cannot create the window\n");
        return 1;
    }
    CGridCtrl grid;
    if (!grid.Create(CRect(0, 0, 918, 600), &top, 200, WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP)) {
        std::fprintf(stderr, "grid-demo: cannot create the grid\n");
        return 1;
    }
    grid.SetRows(rows + 1);
    grid.SetColumns(gridfill::kColumns);
    grid.SetFixedRows(1);
    gridfill::SetHeadings(grid);
    for (int i = 0; i < rows; ++i) gridfill::SetRow(grid, i + 1, DemoRow(i));
    for (int c = 0; c < gridfill::kColumns; ++c) grid.SetCellFormat(0, c, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    grid.FitAllColumns();
    grid.FitAllRows();
    if (rows > 1) grid.ChangeFocusCell(2, 1);
    grid.Invalidate(TRUE);
    screen.RunUntilIdle();

    std::string error;
    if (!screen.Screenshot(shot, &error)) {
        std::fprintf(stderr, "grid-demo: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", shot.c_str());
    return 0;
}
