#pragma once
// The application object: one instance, set up when the library is loaded and torn down when it is
// unloaded.
namespace tessaly {

class CTessalyApp {
public:
    CTessalyApp() = default;
    virtual ~CTessalyApp() = default;
    CTessalyApp(const CTessalyApp&) = delete;
    CTessalyApp& operator=(const CTessalyApp&) = delete;

    // Points the trace log at Config/UILogTrace.txt beside the library (reading the tracing
    // switches) and starts the browser hosting. Always true.
    bool InitInstance();

    // Stops the browser hosting.
    int ExitInstance();

private:
    bool m_bBrowserHosting = false;
};

CTessalyApp& TheApp();

}  // namespace tessaly
