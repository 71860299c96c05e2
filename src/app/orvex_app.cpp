// The application object: Qt's application plus the one modal dialog.
#include "orvex_app.h"

COrvexApp::COrvexApp(int &argc, char **argv) : application(argc, argv) {}

int COrvexApp::InitInstance()
{
    return 0;
}
