#pragma once

#include "ui/Resources.h"
#include "ui_MainForm.h"

#include <QMainWindow>

// The main window's form built on a bare QMainWindow, as the program builds it.
struct FormFixture
{
    FormFixture()
    {
        initCorvantaUiResources();
        ui.setupUi(&window);
    }

    template <typename T = QWidget> T* find(const QString& name) const
    {
        return window.findChild<T*>(name);
    }

    QMainWindow window;
    Ui::frmMain ui;
};
