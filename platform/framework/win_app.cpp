#include "platform/framework/win_app.h"

#include "platform/os_calls.h"

namespace {

CWinApp* theApplication = nullptr;
HINSTANCE resourceModule = nullptr;

// The program file's name without folder and extension.
CString ModuleBaseName() {
    wchar_t path[MAX_PATH] = {};
    DWORD length = platform::Os().GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return CString();
    }
    CString name(path, static_cast<int>(length));
    name = name.Mid(name.ReverseFind(L'\\') + 1);
    int dot = name.ReverseFind(L'.');
    return dot > 0 ? name.Left(dot) : name;
}

}  // namespace

IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

CWinApp::CWinApp(const wchar_t* appName) {
    if (appName) {
        m_appName = appName;
        m_pszAppName = m_appName.GetString();
    }
    if (!theApplication) {
        theApplication = this;
    }
}

CWinApp::~CWinApp() {
    if (theApplication == this) {
        theApplication = nullptr;
    }
}

void CWinApp::SetDefaultName() {
    if (!m_pszAppName) {
        m_appName = ModuleBaseName();
        m_pszAppName = m_appName.GetString();
    }
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::Run() {
    MSG message;
    int exitCode = 0;
    for (;;) {
        BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            exitCode = static_cast<int>(message.wParam);
            break;
        }
        if (got == -1) {
            break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    int exitInstance = ExitInstance();
    return exitInstance != 0 ? exitInstance : exitCode;
}

int CWinApp::ExitInstance() {
    return 0;
}

CWinApp* AfxGetApp() {
    return theApplication;
}

const wchar_t* AfxGetAppName() {
    if (theApplication) {
        theApplication->SetDefaultName();
        return theApplication->m_pszAppName;
    }
    static CString programName;
    if (programName.IsEmpty()) {
        programName = ModuleBaseName();
    }
    return programName.GetString();
}

HINSTANCE AfxGetInstanceHandle() {
    if (theApplication && theApplication->m_hInstance) {
        return theApplication->m_hInstance;
    }
    return GetModuleHandleW(nullptr);
}

HINSTANCE AfxGetResourceHandle() {
    return resourceModule ? resourceModule : AfxGetInstanceHandle();
}

void AfxSetResourceHandle(HINSTANCE module) {
    resourceModule = module;
}

int AfxWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int showCommand) {
    CWinApp* application = AfxGetApp();
    if (!application) {
        return -1;
    }
    application->m_hInstance = instance ? instance : GetModuleHandleW(nullptr);
    application->m_lpCmdLine = commandLine;
    application->m_nCmdShow = showCommand;
    application->SetDefaultName();
    if (!application->InitInstance()) {
        // No message loop: the program ends as soon as its entry returns.
        return application->ExitInstance();
    }
    return application->Run();
}
