#pragma once

// main() for test programs that play sound or open windows.
#include <QtTest>

#define HOPSMELD_TEST_MAIN(TestObject, Application, ...)                                           \
    int main(int argc, char* argv[]) {                                                             \
        Application app(argc, argv);                                                               \
        __VA_ARGS__;                                                                               \
        TestObject test;                                                                           \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
