// The application object: runs the main dialog modally; the program ends when the dialog does.
#pragma once

#include <QApplication>

class COrvexApp {
public:
    COrvexApp(int &argc, char **argv);
    // Runs the dialog and returns the process's exit code once it is closed.
    int InitInstance();

private:
    QApplication application;
};
