// The application object: Qt's application plus the one modal dialog. A termination request
// (SIGTERM, SIGINT) closes the dialog the way "Chiudi" does, so a service manager stops it cleanly.
#include "orvex_app.h"

#include "orvex_dlg.h"

#include <QSocketNotifier>
#include <QStyleFactory>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int termination_pipe[2] = {-1, -1};

void on_termination_signal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(termination_pipe[1], &byte, 1);
}

} // namespace

COrvexApp::COrvexApp(int &argc, char **argv) : application(argc, argv)
{
    // One look on every desktop, so the layout's list widths hold their texts everywhere.
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    QApplication::setApplicationName("Orvex");
}

int COrvexApp::InitInstance()
{
    COrvexDlg dialog;

    if (::pipe2(termination_pipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        auto *notifier = new QSocketNotifier(termination_pipe[0], QSocketNotifier::Read, &dialog);
        QObject::connect(notifier, &QSocketNotifier::activated, &dialog, [&dialog] {
            char byte;
            while (::read(termination_pipe[0], &byte, 1) == 1) {
            }
            dialog.OnClose();
        });
        struct sigaction action = {};
        action.sa_handler = on_termination_signal;
        sigemptyset(&action.sa_mask);
        sigaction(SIGTERM, &action, nullptr);
        sigaction(SIGINT, &action, nullptr);
    }

    dialog.DoModal();
    // The dialog was the whole application: nothing further runs once it is closed.
    return 0;
}
