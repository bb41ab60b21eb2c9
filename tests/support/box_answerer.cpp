// Answers modal message boxes and dialogs for the tests through a CBT hook: each box that
// becomes active is recorded, and once its own initialisation is done (a zero timer runs
// inside its modal loop) the queued answer is applied. A box that stays up all the same
// ends the test program.
#include "test_support.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdio>
#include <deque>

namespace {

struct Answer {
    int button; // used when action is empty
    std::function<void(HWND)> action;
};

std::deque<Answer> Answers;
std::vector<SeenBox> Seen;
HHOOK CbtHook;
std::vector<HWND> BoxesToAnswer;

UINT DetectIcon(HWND box) {
    HWND iconControl = GetDlgItem(box, 0x0440);
    if (!iconControl)
        return 0;
    HICON icon = (HICON)SendMessageW(iconControl, STM_GETICON, 0, 0);
    if (!icon)
        return 0;
    struct {
        LPCWSTR id;
        UINT flag;
    } icons[] = {{IDI_EXCLAMATION, MB_ICONEXCLAMATION},
                 {IDI_QUESTION, MB_ICONQUESTION},
                 {IDI_HAND, MB_ICONHAND},
                 {IDI_ASTERISK, MB_ICONASTERISK}};
    for (auto& i : icons)
        if (LoadIconW(nullptr, i.id) == icon)
            return i.flag;
    return 0;
}

std::wstring WindowText(HWND window) {
    if (!window)
        return L"";
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

void RecordBox(HWND box) {
    SeenBox seen;
    seen.caption = WindowText(box);
    seen.text = WindowText(GetDlgItem(box, 0xFFFF));
    wchar_t cls[64] = {};
    GetClassNameW(box, cls, 64);
    seen.className = cls;
    seen.icon = DetectIcon(box);
    static const int ids[] = {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO};
    for (int id : ids) {
        HWND button = GetDlgItem(box, id);
        if (button && (GetWindowLongW(button, GWL_STYLE) & WS_VISIBLE))
            seen.buttons.push_back(id);
    }
    Seen.push_back(seen);
}

void CloseUnexpected(HWND box) {
    const SeenBox& seen = Seen.back();
    ADD_FAILURE() << "unexpected box: caption \""
                  << std::string(seen.caption.begin(), seen.caption.end()) << "\" text \""
                  << std::string(seen.text.begin(), seen.text.end()) << "\"";
    int id = IDCANCEL;
    if (!GetDlgItem(box, IDCANCEL) && GetDlgItem(box, IDOK))
        id = IDOK;
    else if (!GetDlgItem(box, IDCANCEL) && GetDlgItem(box, IDNO))
        id = IDNO;
    PressDialogButton(box, id);
}

void CALLBACK AnswerBoxes(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    std::vector<HWND> boxes;
    boxes.swap(BoxesToAnswer);
    for (HWND box : boxes) {
        if (!IsWindow(box))
            continue;
        RecordBox(box);
        if (Answers.empty()) {
            CloseUnexpected(box);
            continue;
        }
        Answer answer = Answers.front();
        Answers.pop_front();
        if (answer.action)
            answer.action(box);
        else
            PressDialogButton(box, answer.button);
    }
}

bool IsDialogWindow(HWND window) {
    wchar_t cls[16] = {};
    GetClassNameW(window, cls, 16);
    return wcscmp(cls, L"#32770") == 0;
}

LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam) {
    // A box is activated again when a box it opened closes; answer each box only once.
    static std::vector<HWND> handled;
    if (code == HCBT_ACTIVATE && IsDialogWindow((HWND)wParam)) {
        HWND box = (HWND)wParam;
        std::erase_if(handled, [](HWND h) { return !IsWindow(h); });
        if (std::find(handled.begin(), handled.end(), box) == handled.end()) {
            handled.push_back(box);
            BoxesToAnswer.push_back(box);
            SetTimer(nullptr, 0, 0, AnswerBoxes);
        }
    }
    return CallNextHookEx(CbtHook, code, wParam, lParam);
}

// Fails a test that queued answers for boxes that never came, and starts each test clean.
class BoxListener : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override {
        Answers.clear();
        Seen.clear();
    }
    void OnTestEnd(const testing::TestInfo&) override {
        if (!Answers.empty())
            ADD_FAILURE() << Answers.size() << " expected box(es) never appeared";
        Answers.clear();
    }
};

// The hook answers a box within a turn of its modal loop. One still up after this long did
// not close on its answer, or came where the hook is not (a program without it), and would
// hold the test until CTest's timeout. A timer of the thread checks: it runs inside the
// box's modal loop, where the thread sits.
const DWORD BoxPatience = 5000;

BOOL CALLBACK FindVisibleBox(HWND window, LPARAM found) {
    if (!IsWindowVisible(window) || !IsDialogWindow(window)) return TRUE;
    *(HWND*)found = window;
    return FALSE;
}

void CALLBACK WatchBoxes(HWND, UINT, UINT_PTR, DWORD) {
    static HWND watched;
    static DWORD since;
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindVisibleBox, (LPARAM)&box);
    if (box != watched) {
        watched = box;
        since = GetTickCount();
        return;
    }
    if (!box || GetTickCount() - since < BoxPatience) return;
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::wstring caption = WindowText(box), text = WindowText(GetDlgItem(box, 0xFFFF));
    fprintf(stderr, "A box nobody answered stayed up %lu s%s%s: caption \"%ls\" text \"%ls\"\n",
            BoxPatience / 1000, test ? " in " : "",
            test ? (std::string(test->test_suite_name()) + "." + test->name()).c_str() : "",
            caption.c_str(), text.c_str());
    fflush(stdout);
    fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
}

} // namespace

void InstallBoxAnswerer() {
    CbtHook = SetWindowsHookExW(WH_CBT, CbtProc, nullptr, GetCurrentThreadId());
    testing::UnitTest::GetInstance()->listeners().Append(new BoxListener);
    WatchForUnansweredBoxes();
}

void WatchForUnansweredBoxes() { SetTimer(nullptr, 0, 500, WatchBoxes); }

void AnswerNextBox(int buttonId) { Answers.push_back({buttonId, nullptr}); }

void HandleNextDialog(std::function<void(HWND)> action) {
    Answers.push_back({0, std::move(action)});
}

const std::vector<SeenBox>& SeenBoxes() { return Seen; }
void ClearSeenBoxes() { Seen.clear(); }
size_t PendingAnswers() { return Answers.size(); }
void ClearPendingAnswers() { Answers.clear(); }

void PressDialogButton(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}
