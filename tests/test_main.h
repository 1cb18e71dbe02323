#pragma once

// main() for test programs that play sound or open windows: the process ends without the
// shared libraries' static destructors, as the program itself does (see cue/process_end.h).
#include "process_end.h"

#include <QtTest>

#define HOPSMELD_TEST_MAIN(TestObject, Application, ...)                                           \
    int main(int argc, char* argv[]) {                                                             \
        int status = 0;                                                                            \
        {                                                                                          \
            Application app(argc, argv);                                                           \
            __VA_ARGS__;                                                                           \
            TestObject test;                                                                       \
            status = QTest::qExec(&test, argc, argv);                                              \
        }                                                                                          \
        hopsmeld::endProcess(status);                                                              \
    }
