#pragma once

// main() of a window test: the program's own application object, so that errors escaping
// event handlers reach the scripted error box as they reach the real one.

#include <QtTest>

#include "app/Application.h"
#include "tests/gui/ScriptedDialogs.h"

#define ORVANE_GUI_TEST_MAIN(TestClass)                             \
    int main(int argc, char** argv) {                               \
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); \
        orvane::test::ScriptedDialogs dialogs;                      \
        orvane::OrvaneApplication app(argc, argv, dialogs);         \
        TestClass test(dialogs);                                    \
        return QTest::qExec(&test, argc, argv);                     \
    }
