#pragma once
// Fresh settings and defaults trees for each test, and a console that collects the log lines.

#include "foundation/log.h"
#include "settings/defaults.h"
#include "settings/settingsstore.h"
#include "tests/support/qtprinters.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <string>

class CollectionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Settings() = Node();
        Defaults() = Node();
        Defaults().SetFromTable(kDefaultValuesTable);
        Settings().SetValue("/CameraCollection/Name", Data("Cameras"));
        Settings().SetValue("/CameraCollection/Type", Data("Folder"));
        DiagLog::Instance().SetConsoleForTest([this](std::string_view text) { console += text; });
    }
    void TearDown() override { DiagLog::Instance().SetConsoleForTest(nullptr); }

    // An item node with its name and type under a folder.
    static void AddItem(const QString& folder, const QString& name, const char* type) {
        const Node item = Settings().GetNode(folder + "/" + name);
        item.SetValue("Name", Data(name));
        item.SetValue("Type", Data(type));
    }

    static QStringList ChildNames(const Path& at) {
        QStringList names;
        ChildIterator it = Settings().GetFirstChild(at);
        QString name;
        Data value;
        while (Settings().GetNextChild(it, name, value))
            names.append(name);
        return names;
    }

    std::string console;
};
