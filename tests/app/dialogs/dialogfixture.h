#pragma once
// Fresh settings, defaults and camera type trees for each test, the viewer's string table,
// message boxes and modal dialogs answered by the test, and the log lines collected.

#include "app/dialogs/controlids.h"
#include "app/resources/strings.h"

#include "cameratype/lookupthread.h"
#include "foundation/log.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/modal.h"
#include "settings/defaults.h"
#include "settings/settingsstore.h"
#include "tests/support/temporarydataroot.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <string>
#include <typeinfo>

// How long a test waits for what should happen at once; only a failing test waits this long.
inline constexpr int kDialogWaitMs = 5000;

class DialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RegisterViewerStrings();
        QApplication::setApplicationDisplayName(QStringLiteral("Lumenfold"));
        Settings() = Node();
        Defaults() = Node();
        CameraTypes() = Node();
        Defaults().SetFromTable(kDefaultValuesTable);
        Settings().SetValue("/CameraCollection/Name", Data("Cameras"));
        Settings().SetValue("/CameraCollection/Type", Data("Folder"));
        MessageBoxSeam::Enable();
        ModalSeam::Enable();
        DiagLog::Instance().SetConsoleForTest([this](std::string_view text) {
            std::lock_guard<std::mutex> guard(consoleLock);
            console += text;
        });
    }
    void TearDown() override {
        EXPECT_EQ(ModalSeam::Unexpected(), 0) << "a dialog opened that the test did not expect";
        ModalSeam::Disable();
        MessageBoxSeam::Disable();
        // Identifications a page left running end on their own.
        EXPECT_TRUE(QTest::qWaitFor([] { return LookupThread::ExistingCount() == 0; }, kDialogWaitMs));
        DiagLog::Instance().SetConsoleForTest(nullptr);
    }

    // An item node with its name and type under a folder.
    static void AddItem(const QString& folder, const QString& name, const char* type) {
        const Node item = Settings().GetNode(folder + "/" + name);
        item.SetValue("Name", Data(name));
        item.SetValue("Type", Data(type));
    }
    static void AddCamera(const QString& folder, const QString& name, const QString& address) {
        AddItem(folder, name, "Camera");
        const Node camera = Settings().GetNode(folder + "/" + name);
        camera.SetValue("Address", Data(address));
        camera.SetValue("CheckedAddress", Data(address));
        camera.SetValue("Port", Data(80));
        camera.SetValue("Model", Data("unknown"));
        camera.SetValue("Resolution", Data("default"));
        camera.SetValue("CameraNumber", Data("default"));
        camera.SetValue("Rotation", Data("0"));
    }
    static QString Value(const QString& path) { return Settings().GetValue(path).GetText(); }

    template <typename Widget> static Widget* Control(QWidget* in, int id) {
        auto* control = in->findChild<Widget*>(ControlName(id));
        EXPECT_NE(control, nullptr) << "no control " << id;
        return control;
    }
    static void Click(QDialog* dialog, QDialogButtonBox::StandardButton which) {
        for (auto* box : dialog->findChildren<QDialogButtonBox*>()) {
            if (QPushButton* button = box->button(which)) {
                button->click();
                return;
            }
        }
        ADD_FAILURE() << "no such button";
    }
    // The next modal dialog is handed to the handler once it shows. The handler closes it; one
    // that it leaves open (a failed assertion returns early) is closed as a failure, so that a
    // failing test never hangs.
    template <typename Dialog> static void WhenShown(std::function<void(Dialog*)> handler) {
        LetRun<Dialog>([handler](Dialog* dialog) {
            handler(dialog);
            if (dialog->isVisible()) {
                ADD_FAILURE() << "the handler left the dialog open";
                dialog->done(QDialog::Rejected);
            }
        });
    }
    // The same for a dialog that the handler leaves to run on its own.
    template <typename Dialog> static void LetRun(std::function<void(Dialog*)> handler) {
        ModalSeam::QueueHandler([handler](QDialog* dialog) {
            auto* typed = dynamic_cast<Dialog*>(dialog);
            EXPECT_NE(typed, nullptr) << "another dialog showed: " << typeid(*dialog).name();
            if (typed) {
                handler(typed);
            } else {
                dialog->reject();
            }
        });
    }

    std::string Console() {
        std::lock_guard<std::mutex> guard(consoleLock);
        return console;
    }
    bool Logged(const std::string& text) { return Console().find(text) != std::string::npos; }

    TemporaryDataRoot root; // identifications write the camera types file
    std::mutex consoleLock;
    std::string console;
};
