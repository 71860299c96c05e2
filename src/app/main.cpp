// Entry point: the application object runs the main dialog modally and ends when it closes.
#include "orvex_app.h"

int main(int argc, char **argv)
{
    COrvexApp theApp(argc, argv);
    return theApp.InitInstance();
}
