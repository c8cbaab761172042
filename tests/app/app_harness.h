// Shared by the desktop program's tests: the window's state put back between tests, and modal
// boxes answered the way a person would.
#pragma once
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>
#include <string>

#include "app/commands.h"
#include "app/preferences.h"
#include "app/run_state.h"
#include "display/display_state.h"
#include "media/tape.h"
#include "peripherals/settings.h"

// Closes the next modal box as soon as it shows and keeps its caption and text.
struct ModalCatcher {
    std::string caption, text, detail;
    void Arm() {
        QTimer::singleShot(0, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                caption = box->windowTitle().toStdString();
                text = box->text().toStdString();
                detail = box->informativeText().toStdString();
                box->accept();
            }
        });
    }
};

// Every test starts from the 1x1 window at True speed, active, with no tape, and with a tape
// only inserted when opened (not auto-loaded).
class AppFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        CloseTape();
        SelectWindowMode(ModeWindow);
        FullscreenTv = false;
        SpeedDisplay = true;
        SpeedMode = SpeedTrue;
        AppActive = true;
        TickEnabled = true;
        Preferences.autoLoad = 0;
    }
};
