// The About box: icon, product name and version, and an OK button.
#pragma once

#include <QDialog>

class CAboutDlg : public QDialog {
public:
    explicit CAboutDlg(QWidget *parent = nullptr);
};
