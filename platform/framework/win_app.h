#pragma once
// The application object: one per program, a global constructed before the program's
// entry runs. The entry calls AfxWinMain, which runs InitInstance; when that returns
// FALSE the program ends at once, otherwise Run's message loop follows.
#include <windows.h>

#include "platform/framework/cstring.h"
#include "platform/framework/message_map.h"

class CWnd;

class CWinApp : public CCmdTarget {
    DECLARE_DYNAMIC(CWinApp)

  public:
    // No name: the program file's name without its extension is used.
    explicit CWinApp(const wchar_t* appName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance();
    // The message loop; returns ExitInstance's code when WM_QUIT arrives.
    virtual int Run();
    virtual int ExitInstance();

    const wchar_t* m_pszAppName = nullptr;
    HINSTANCE m_hInstance = nullptr;
    LPWSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    CWnd* m_pMainWnd = nullptr;

    DECLARE_MESSAGE_MAP()

  private:
    friend int AfxWinMain(HINSTANCE, HINSTANCE, LPWSTR, int);
    friend const wchar_t* AfxGetAppName();
    void SetDefaultName();
    CString m_appName;
};

// The program's one application object (the first one constructed), or nullptr.
CWinApp* AfxGetApp();
// The application's name, or an empty text when there is no application object.
const wchar_t* AfxGetAppName();
HINSTANCE AfxGetInstanceHandle();
// The module whose resources hold the dialog templates and icons; the program by default.
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE module);

// Runs the application object: called by the program's wWinMain with its arguments.
int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int showCommand);
