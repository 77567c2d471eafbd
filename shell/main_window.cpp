#include "shell/main_window.h"

#include <cderr.h>
#include <commctrl.h>
#include <commdlg.h>

#include <cstdio>

#include "base/text_encoding.h"
#include "check/check_job.h"
#include "check/script_files.h"
#include "platform/screen.h"
#include "res/resource.h"
#include "shell/layout.h"

namespace corvane {
namespace {

const wchar_t kClassName[] = L"CorvaneMain";

constexpr char kDialogFileName[] = "*.sfv";
constexpr char kDialogFilter[] = "SFV File (*.sfv)|*.sfv";
constexpr unsigned kDialogMaxFileSize = 4096;
constexpr char kDialogTitle[] = "Select a .sfv file";

// Why the Open dialog failed, in the user's words.
std::string DialogFailure(unsigned long error) {
    char text[128];
    if (error == FNERR_BUFFERTOOSMALL) {
        std::snprintf(text, sizeof text, texts::kNameTooLong, kDialogMaxFileSize - 1);
    } else if (error == FNERR_INVALIDFILENAME) {
        std::snprintf(text, sizeof text, "%s", texts::kNameInvalid);
    } else {
        std::snprintf(text, sizeof text, texts::kDialogError, error);
    }
    return text;
}

// Twips to pixels at the system DPI: 15 twips a pixel at 96 DPI.
int Pixels(int twips, int dpi) { return MulDiv(twips, dpi, 1440); }

HFONT MakeFont(int dpi, int weight) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(layout::kFontHundredthsOfPoint, dpi, 72 * 100);
    font.lfWeight = weight;
    font.lfCharSet = DEFAULT_CHARSET;
    const std::wstring face = Wide(layout::kFontFace);
    face.copy(font.lfFaceName, LF_FACESIZE - 1);
    return CreateFontIndirectW(&font);
}

DWORD ControlStyle(const layout::Control& control) {
    const DWORD base = WS_CHILD | WS_VISIBLE;
    switch (control.kind) {
        case layout::Kind::PushButton:
            return base | WS_TABSTOP | BS_PUSHBUTTON;
        case layout::Kind::CheckBox:
            return base | WS_TABSTOP | BS_AUTOCHECKBOX;
        case layout::Kind::TextBox:
            return base | WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT;
        case layout::Kind::Label:
            break;
    }
    const DWORD align = control.align == layout::Align::Center  ? SS_CENTER
                        : control.align == layout::Align::Right ? SS_RIGHT
                                                                : SS_LEFT;
    return base | align | SS_NOPREFIX;
}

const wchar_t* ControlClass(layout::Kind kind) {
    switch (kind) {
        case layout::Kind::PushButton:
        case layout::Kind::CheckBox:
            return L"BUTTON";
        case layout::Kind::TextBox:
            return L"EDIT";
        case layout::Kind::Label:
            break;
    }
    return L"STATIC";
}

const layout::Control* FindControl(int id) {
    for (const layout::Control& control : layout::kControls) {
        if (control.id == id) return &control;
    }
    return nullptr;
}

}  // namespace

MainWindow::~MainWindow() {
    // The controls use the fonts, so the window goes before its members.
    if (hwnd_) DestroyWindow(hwnd_);
}

bool MainWindow::Create(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_CORVANE));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    if (!RegisterClassExW(&wc)) return false;

    // A fixed single border with a close box but no minimise or maximise box.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    dpi_ = SystemDpi();
    RECT frame{0, 0, Pixels(layout::kClientWidth, dpi_), Pixels(layout::kClientHeight, dpi_)};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;

    font_.reset(MakeFont(dpi_, FW_NORMAL));
    boldFont_.reset(MakeFont(dpi_, FW_BOLD));

    // The controls are made at WM_CREATE; the window is there when this returns.
    return CreateWindowExW(0, kClassName, Wide(layout::kCaption).c_str(), style, x, y, width, height, nullptr,
                           nullptr, instance, this) != nullptr;
}

void MainWindow::CreateControls() {
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
    // Created in tab order, which is the order Tab visits them.
    for (const layout::Control& control : layout::kControls) {
        const DWORD exStyle = control.kind == layout::Kind::TextBox ? WS_EX_CLIENTEDGE : 0;
        HWND item =
            CreateWindowExW(exStyle, ControlClass(control.kind), Wide(control.text).c_str(),
                            ControlStyle(control), Pixels(control.left, dpi_), Pixels(control.top, dpi_),
                            Pixels(control.width, dpi_), Pixels(control.height, dpi_), hwnd_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance, nullptr);
        SendMessageW(item, WM_SETFONT, reinterpret_cast<WPARAM>(control.bold ? boldFont_.get() : font_.get()),
                     FALSE);
    }
}

void MainWindow::Form_Load(const std::string& argument) {
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    UpdateWindow(hwnd_);
    SetFocus(Item(layout::cmdFileOpen));
    // Scripts of consoles that ended after their window had closed.
    RemoveEndedScripts(sys_);

    if (!sys_.FileLength(sys_.ProgramFolder() + "\\" + texts::kToolName)) {
        ShowMessage(hwnd_, texts::kMissingTool, texts::kMissingToolTitle, MB_ICONEXCLAMATION);
        Form_Unload();
        return;
    }
    if (argument.empty()) return;

    if (RequestFromCommandLine(job_, argument, sys_.CurrentFolder()) != RequestResult::Ok) {
        ShowProblem(texts::kNoFileNamed, argument);
        return;
    }
    if (!StartCheck()) return;

    // The command-line state: this window has done its one check.
    EnableWindow(Item(layout::chkOnlyErrors), FALSE);
    EnableWindow(Item(layout::chkBadFormat), FALSE);
    EnableWindow(Item(layout::cmdFileOpen), FALSE);
    SetFocus(Item(layout::cmdExit));
}

bool MainWindow::StartCheck() {
    const CheckOutcome outcome = RunCheckBatch(job_, sys_);
    if (!outcome.started) ShowProblem(outcome.what, outcome.detail);
    return outcome.started;
}

void MainWindow::ShowProblem(const char* what, const std::string& detail) {
    ShowMessage(hwnd_, std::string(what) + "\n\n" + detail, texts::kProblemTitle, MB_ICONEXCLAMATION);
}

void MainWindow::Form_Unload() {
    // Exit, the close box and the missing-tool path all lead here; once the
    // window is gone a further run finds nothing left to do.
    if (!hwnd_) return;
    // The scripts of consoles still running stay until they end; the next
    // start removes them.
    RemoveEndedScripts(sys_);
    DestroyWindow(hwnd_);  // WM_DESTROY ends the message loop
}

void MainWindow::cmdExit_Click() { Form_Unload(); }

void MainWindow::cmdFileOpen_Click() {
    // The typed path must exist, no read-only box, keep the program's
    // current folder, Explorer look, the name is not validated.
    CommonDialog1.Flags = OFN_PATHMUSTEXIST;
    CommonDialog1.Flags |= OFN_HIDEREADONLY;
    CommonDialog1.Flags |= OFN_NOCHANGEDIR;
    CommonDialog1.Flags |= OFN_EXPLORER;
    CommonDialog1.Flags |= OFN_NOVALIDATE;
    CommonDialog1.FileName = kDialogFileName;
    CommonDialog1.Filter = kDialogFilter;
    CommonDialog1.MaxFileSize = kDialogMaxFileSize;
    CommonDialog1.DialogTitle = kDialogTitle;
    CommonDialog1.ShowOpen(hwnd_);
    if (CommonDialog1.Error) {
        ShowProblem(texts::kDialogFailed, DialogFailure(CommonDialog1.Error));
        return;
    }

    if (CommonDialog1.FileName.empty() || CommonDialog1.FileName == kDialogFileName) return;

    const bool onlyFailed = IsDlgButtonChecked(hwnd_, layout::chkOnlyErrors) != BST_UNCHECKED;
    const bool warnFormat = IsDlgButtonChecked(hwnd_, layout::chkBadFormat) != BST_UNCHECKED;
    if (RequestFromDialog(job_, CommonDialog1.FileName, CommonDialog1.FileTitle, onlyFailed, warnFormat) !=
        RequestResult::Ok) {
        ShowProblem(texts::kNoFileNamed, CommonDialog1.FileName);
        return;
    }
    StartCheck();
}

void MainWindow::txtURL_GotFocus() { SendMessageW(Item(layout::txtURL), EM_SETSEL, 0, -1); }

bool MainWindow::TranslateDialogMessage(MSG& msg) { return hwnd_ && IsDialogMessageW(hwnd_, &msg); }

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    MainWindow* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    // Messages before WM_NCCREATE (WM_GETMINMAXINFO) have no object yet.
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            CreateControls();
            return 0;
        case WM_COMMAND:
            if (OnCommand(wParam)) return 0;
            break;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
            return OnControlColour(message, wParam, lParam);
        case WM_ACTIVATE:
            if (OnActivate(wParam)) return 0;
            break;
        case WM_CLOSE:
            Form_Unload();
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

// A control's notification; false for one the window leaves alone.
bool MainWindow::OnCommand(WPARAM wParam) {
    switch (LOWORD(wParam)) {
        case layout::cmdFileOpen:
            if (HIWORD(wParam) == BN_CLICKED) cmdFileOpen_Click();
            return true;
        case layout::cmdExit:
            if (HIWORD(wParam) == BN_CLICKED) cmdExit_Click();
            return true;
        case layout::txtURL:
            if (HIWORD(wParam) == EN_SETFOCUS) txtURL_GotFocus();
            return true;
    }
    return false;
}

// A label's or the text box's colours: its own text colour, if it has one,
// on the system's face or window colour.
LRESULT MainWindow::OnControlColour(UINT message, WPARAM wParam, LPARAM lParam) {
    HDC dc = reinterpret_cast<HDC>(wParam);
    const layout::Control* control = FindControl(GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
    if (control && control->color != layout::kDefaultText) SetTextColor(dc, control->color);
    const int background = message == WM_CTLCOLOREDIT ? COLOR_WINDOW : COLOR_BTNFACE;
    SetBkColor(dc, GetSysColor(background));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(background));
}

// Gives the focus back to the control that had it when the window was last
// left; true when it did.
bool MainWindow::OnActivate(WPARAM wParam) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        lastFocus_ = GetFocus();
    } else if (lastFocus_ && IsWindowEnabled(lastFocus_)) {
        SetFocus(lastFocus_);
        return true;
    }
    return false;
}

}  // namespace corvane
