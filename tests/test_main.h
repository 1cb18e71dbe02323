#pragma once

// main() for test programs that play sound or open windows.
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
        return status;                                                                             \
    }
