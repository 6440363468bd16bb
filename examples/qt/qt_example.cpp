// A Qt 5 Widgets host: a button's slot signs in and runs the redirect window on the GUI thread; then
// a QThread runs it again while the GUI thread's event loop keeps going.
//
//   tessaly-example-qt [path/to/libtessaly.so]
#include <QApplication>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "example_host.h"

int main(int argc, char** argv)
{
    const char* module = example_module_path(argc, argv);
    QApplication app(argc, argv);
    ExampleHost host;
    if (example_host_open(&host, module) != 0)
        return 1;
    // The list through which this host could close the library's windows; it outlives every call.
    static TessalyWndMsgList windows;
    if (TessalyPublishWndMsgList(&windows) != 0) {
        std::perror("publishing the window list");
        return 1;
    }

    int failures = 0;
    QThread* worker = nullptr;
    QPushButton button("Sign in");
    QObject::connect(&button, &QPushButton::clicked, [&] {
        button.setEnabled(false);
        int code = -1;
        example_expect("PreLogin with the right password", example_prelogin(&host, "alice", "wonderland", &code), 1,
                       &failures);
        example_expect("  reply code", code, 0, &failures);
        example_expect("PreLogin with a wrong password", example_prelogin(&host, "alice", "guess", &code), 0, &failures);
        example_expect("  reply code", code, -102, &failures);
        example_expect("Redirect from the GUI thread", host.Redirect(), 1, &failures);
        example_expect("window listed while open", windows.capacity > 0, 1, &failures);
        example_expect("windows listed afterwards", static_cast<long>(windows.count), 0, &failures);

        auto result = std::make_shared<int>(-99);
        worker = QThread::create([&host, result] { *result = host.Redirect(); });
        QObject::connect(worker, &QThread::finished, &app, [&, result] {
            example_expect("Redirect from a QThread", *result, 1, &failures);
            app.quit();
        });
        worker->start();
    });
    button.show();
    QTimer::singleShot(0, &button, &QPushButton::click);  // as if the user clicked

    app.exec();
    if (worker) {
        worker->wait();
        delete worker;
    }
    example_host_close(&host);
    TessalyPublishWndMsgList(nullptr);
    std::free(windows.items);
    return failures == 0 ? 0 : 1;
}
